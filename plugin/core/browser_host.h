// Browser host: the services a browser offers to one plug-in instance (interface part).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "plugin/scripting/js_object.h"
#include "plugin/scripting/script_error.h"
#include "plugin/scripting/variant.h"

namespace FB {

/// The plug-in's link to the browser for one instance. The browser-specific operations are
/// pure; the hosts of the two browser sides implement them. The host is created on the
/// browser's main thread, which it remembers as the main thread for the whole plug-in.
class BrowserHost : public std::enable_shared_from_this<BrowserHost> {
public:
    BrowserHost() : mainThread_(std::this_thread::get_id()) {}
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;
    virtual ~BrowserHost() = default;

    /// Have the browser call function(userData) on the main thread later; true when the
    /// call was handed over.
    virtual bool scheduleAsyncCall(void (*function)(void*), void* userData) = 0;

    /// The page function that runs calls from a page timer; empty when the page has none.
    virtual std::shared_ptr<JSObject> delayedCallHelper() = 0;

    /// Whether the calling thread is the thread that made the host.
    bool isMainThread() const { return std::this_thread::get_id() == mainThread_; }

    /// Queue a call for the main thread and return at once, also on the main thread. The
    /// target stays alive until the call has run or been dropped; whatever the call raises
    /// is dropped.
    template <class Target, class Call>
    void postToMainThread(std::shared_ptr<Target> target, Call call) {
        auto record = std::make_unique<PostedCallRecord>();
        record->target = std::move(target);
        record->call = std::function<void()>(std::move(call));
        if (scheduleAsyncCall(&BrowserHost::runPostedCall, record.get())) {
            record.release();
        }
    }

    /// Call a page function (or its method named methodName) from a page timer of delay ms.
    /// Answers the timer id, or -1 when the page has no helper function to do it.
    int invokeDelayed(int delay, const std::shared_ptr<JSObject>& function,
                      const VariantArray& arguments, const std::string& methodName) {
        std::shared_ptr<JSObject> helper = delayedCallHelper();
        if (!helper) {
            return -1;
        }
        VariantArray helperArgs;
        helperArgs.push_back(variant(delay));
        helperArgs.push_back(variant(function));
        helperArgs.push_back(variant(arguments));
        if (!methodName.empty()) {
            helperArgs.push_back(variant(methodName));
        }
        return helper->invoke("", helperArgs).convertTo<int>();
    }

private:
    struct PostedCallRecord {
        std::shared_ptr<void> target;
        std::function<void()> call;
    };

    static void runPostedCall(void* userData) {
        std::unique_ptr<PostedCallRecord> record(static_cast<PostedCallRecord*>(userData));
        try {
            record->call();
        } catch (const script_error&) {
        } catch (const bad_variant_cast&) {
        } catch (...) {
            // This runs inside the browser's call into the plug-in, which no exception may leave.
        }
    }

    std::thread::id mainThread_;
};

}  // namespace FB

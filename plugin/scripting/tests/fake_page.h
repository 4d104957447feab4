// Test doubles: a page object that records what the plug-in asks of it, and a browser host
// whose main-thread queue the test runs by hand.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "plugin/core/browser_host.h"
#include "plugin/scripting/js_object.h"
#include "plugin/scripting/script_error.h"
#include "plugin/scripting/variant.h"

namespace fakes {

/// The calls made on every fake page object of one test, in the order they were made.
using CallLog = std::vector<std::string>;

/// A value as a short text for the call log: numbers and text as written, lists in brackets.
inline std::string describe(const FB::variant& value) {
    if (value.isEmpty()) return "undefined";
    if (value.isNull()) return "null";
    if (value.storedType() == typeid(FB::VariantArray)) {
        std::string text = "[";
        for (const FB::variant& element : value.exactCast<FB::VariantArray>()) {
            text += (text.size() > 1 ? "," : "") + describe(element);
        }
        return text + "]";
    }
    if (value.storedType() == typeid(FB::VariantDictionary)) return "{object}";
    if (value.storedType() == typeid(std::shared_ptr<FB::JSAPI>)) return "<jsapi>";
    if (value.storedType() == typeid(std::shared_ptr<FB::JSObject>)) return "<page object>";
    return value.convertTo<std::string>();
}

inline std::string describe(const FB::VariantArray& args) { return describe(FB::variant(args)); }

/// A page function or object. Asynchronous calls and batch calls are written to the log
/// instead of being scheduled; its properties live in a plain map.
class FakePageObject : public FB::JSObject {
public:
    FakePageObject(std::string objectName, CallLog* callLog, void* context = nullptr,
                   const std::shared_ptr<FB::BrowserHost>& browserHost = nullptr)
        : FB::JSObject(browserHost), name(std::move(objectName)), log(callLog), contextKey(context) {}

    std::string name;
    CallLog* log;
    void* contextKey;
    void* objectKey = this;
    bool alive = true;
    bool batch = false;
    bool recordAsync = true;  // false: the real scheduling through the host
    std::shared_ptr<FB::JSAPI> wrapped;
    FB::VariantDictionary props;
    std::string failMemberRead;  // a property whose read raises invalid_member

    void* getObjectKey() const override { return objectKey; }
    void* getContextKey() const override { return contextKey; }
    bool supportsBatchCalls() const override { return batch; }
    bool isAlive() const override { return alive; }
    std::shared_ptr<FB::JSAPI> getWrappedJSAPI() const override { return wrapped; }

    void callBatch(const std::string& eventName, const FB::VariantArray& args,
                   const std::vector<std::shared_ptr<FB::JSObject>>& handlers,
                   const std::vector<std::shared_ptr<FB::JSObject>>& sinks) override {
        log->push_back(name + ".callBatch(" + eventName + " " + describe(args) + " handlers=" + names(handlers) +
                       " sinks=" + names(sinks) + ")");
    }

    void invokeAsync(const std::string& methodName, const FB::VariantArray& args) override {
        if (!recordAsync) {
            FB::JSObject::invokeAsync(methodName, args);
            return;
        }
        log->push_back(name + ".invokeAsync(" + methodName + " " + describe(args) + ")");
        if (keepAsyncArgs) lastAsyncArgs = args;
    }
    FB::VariantArray lastAsyncArgs;
    bool keepAsyncArgs = true;  // false: hold no reference to what the call was given

    void invalidate() override {}
    void listMemberNames(std::vector<std::string>& names) const override {
        names.clear();
        for (const auto& entry : props) names.push_back(entry.first);
    }
    unsigned countMembers() const override { return static_cast<unsigned>(props.size()); }
    bool hasMethod(const std::string&) const override { return false; }
    bool hasProperty(int index) const override { return props.count(std::to_string(index)) != 0; }
    bool hasProperty(const std::string& property) const override { return props.count(property) != 0; }
    FB::variant getProperty(int index) override { return getProperty(std::to_string(index)); }
    FB::variant getProperty(const std::string& property) override {
        if (property == failMemberRead) throw FB::invalid_member(property);
        auto found = props.find(property);
        return found == props.end() ? FB::variant() : found->second;
    }
    void setProperty(int index, const FB::variant& value) override { setProperty(std::to_string(index), value); }
    void setProperty(const std::string& property, const FB::variant& value) override {
        log->push_back(name + ".setProperty(" + property + " " + describe(value) + ")");
        props[property] = value;
    }
    void removeProperty(int index) override { props.erase(std::to_string(index)); }
    void removeProperty(const std::string& property) override { props.erase(property); }
    FB::variant invoke(const std::string& methodName, const FB::VariantArray& args) override {
        log->push_back(name + ".invoke(" + methodName + " " + describe(args) + ")");
        return invokeResult;
    }
    FB::variant invokeResult;
    FB::variant construct(const FB::VariantArray&) override { return FB::variant(); }

    using FB::JSAPI::getProperty;
    using FB::JSAPI::hasMethod;
    using FB::JSAPI::hasProperty;
    using FB::JSAPI::invoke;
    using FB::JSAPI::removeProperty;
    using FB::JSAPI::setProperty;
    using FB::JSAPI::listMemberNames;

private:
    static std::string names(const std::vector<std::shared_ptr<FB::JSObject>>& objects) {
        std::string text;
        for (const auto& object : objects) {
            text += (text.empty() ? "" : ",") + static_cast<FakePageObject&>(*object).name;
        }
        return text;
    }
};

/// A host whose main-thread calls wait in a queue until runPending; its page has a delayed-call
/// helper that records its calls and answers a timer id.
class FakeHost : public FB::BrowserHost {
public:
    explicit FakeHost(CallLog* callLog) : log(callLog) {}

    bool scheduleAsyncCall(void (*function)(void*), void* userData) override {
        if (refuseCalls) return false;
        pending.emplace_back(function, userData);
        return true;
    }

    std::shared_ptr<FB::JSObject> delayedCallHelper() override {
        if (!pageHasHelper) return nullptr;
        if (!helper) {
            helper = std::make_shared<FakePageObject>("helper", log);
            helper->invokeResult = FB::variant(17);
        }
        return helper;
    }

    /// Runs the queued main-thread calls, in order, as the browser would.
    void runPending() {
        auto calls = std::move(pending);
        pending.clear();
        for (auto& call : calls) call.first(call.second);
    }

    CallLog* log;
    bool refuseCalls = false;
    bool pageHasHelper = true;
    std::shared_ptr<FakePageObject> helper;
    std::vector<std::pair<void (*)(void*), void*>> pending;
};

}  // namespace fakes

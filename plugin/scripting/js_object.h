// FB::JSObject: an object of the page's script engine seen from native code.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugin/scripting/jsapi.h"

namespace FB {

class BrowserHost;

/// A page function, array, window or element. The browser sides implement the JSAPI part over
/// their object model; this class adds what event delivery and asynchronous calls need.
class JSObject : public JSAPI {
public:
    explicit JSObject(const std::shared_ptr<BrowserHost>& host);
    ~JSObject() override;

    /// Identifies the underlying browser object: two wrappers of one page function are equal.
    virtual void* getObjectKey() const;
    /// Identifies the page instance the object belongs to; groups handlers and sinks.
    virtual void* getContextKey() const;
    /// Whether callBatch can serve all handlers and sinks of one page instance at once.
    virtual bool supportsBatchCalls() const;
    /// Deliver one event to the handlers (called as functions) and sinks (called by method).
    virtual void callBatch(const std::string& eventName, const VariantArray& args,
                           const std::vector<std::shared_ptr<JSObject>>& handlers,
                           const std::vector<std::shared_ptr<JSObject>>& sinks);
    /// Whether the browser object can still be called.
    virtual bool isAlive() const = 0;
    /// Schedule a call of the named method (the empty name: the object itself) on the main
    /// thread and return at once.
    virtual void invokeAsync(const std::string& methodName, const VariantArray& args);
    /// Runs on the main thread: have the page make the call from a zero-delay timer.
    virtual void invokeDeferred(const VariantArray& args, const std::string& methodName);
    /// Schedule a property write on the main thread and return at once.
    virtual void setPropertyAsync(const std::string& name, const variant& value);
    /// The plug-in's own scriptable object this browser object stands for, or null.
    virtual std::shared_ptr<JSAPI> getWrappedJSAPI() const = 0;

    /// The host that made the object; throws std::bad_weak_ptr when it is gone.
    std::shared_ptr<BrowserHost> getHost() const;

protected:
    std::weak_ptr<BrowserHost> host;

private:
    /// Queues one of this object's operations on the main thread, keeping the object alive
    /// until it has run; throws when the host is gone.
    template <class Call> void postToHost(Call call);
};

}  // namespace FB

// FB::JSAPIImpl: the state every plug-in scriptable object carries: validity, access zones,
// event handlers and sinks, proxies, and the raising of events to script.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/scripting/jsapi.h"

namespace FB {

/// The stateful base of the plug-in's scriptable objects. Lock order within one object: the
/// zone mutex, then the proxy mutex, then the event mutex; nothing takes them the other way.
class JSAPIImpl : public JSAPI {
public:
    explicit JSAPIImpl(const int& zone);
    ~JSAPIImpl() override;

    void invalidate() override;

    /// Locks the zone mutex and keeps it locked until the matching leaveZone.
    void enterZone(const int& zone) override;
    /// Pops the zone pushed by this thread's matching enterZone; the base zone always stays.
    void leaveZone() override;
    void setBaseZone(const int& zone) override;
    int baseZone() const override;
    int currentZone() const override;

    using JSAPI::addEventHandler;
    using JSAPI::removeEventHandler;
    void addEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler) override;
    void removeEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler) override;
    void addEventSink(const std::shared_ptr<JSObject>& sink) override;
    void removeEventSink(const std::shared_ptr<JSObject>& sink) override;

    /// Hand the event to this object's handlers and sinks.
    virtual void deliverEvent(const std::string& eventName, const VariantArray& args);
    /// Raise the event on the proxies (with this object replaced by each) and on this object.
    virtual void raiseEvent(const std::string& eventName, const VariantArray& args);
    virtual void raiseEvent(const std::wstring& eventName, const VariantArray& args);
    /// Raise the event with one event object as the only argument of every call.
    virtual void raiseEventObject(const std::string& eventName, const VariantArray& args);
    virtual void raiseEventObject(const std::string& eventName, const VariantDictionary& members);
    virtual void raiseEventObject(const std::string& eventName, const VariantDictionary& members,
                                  const VariantArray& args);
    virtual void declareEvent(const std::wstring& eventName);
    virtual void declareEvent(const std::string& eventName);
    /// Have the proxy receive every event raised on this object; the proxy is only observed.
    virtual void addProxy(const std::weak_ptr<JSAPIImpl>& proxy);
    /// Forget the proxy, and every proxy that has gone meanwhile.
    virtual void removeProxy(const std::weak_ptr<JSAPIImpl>& proxy);

    /// The event object handed to script by raiseEventObject.
    static VariantDictionary makeEventObject(const std::string& eventName, const VariantDictionary& members,
                                             const VariantArray& args, const std::shared_ptr<JSAPI>& self);
    /// Copies in which every value that is self (also inside nested lists and maps) is the proxy.
    static VariantArray substituteProxy(const VariantArray& values, const JSAPI* self,
                                        const std::shared_ptr<JSAPIImpl>& proxy);
    static VariantDictionary substituteProxy(const VariantDictionary& members, const JSAPI* self,
                                             const std::shared_ptr<JSAPIImpl>& proxy);

protected:
    /// Whether the object has not been invalidated; events may test it from any thread.
    bool isStillValid() const { return valid; }

    std::map<void*, std::multimap<std::string, std::shared_ptr<JSObject>>> eventHandlers;
    std::map<void*, std::map<JSObject*, std::shared_ptr<JSObject>>> eventSinks;
    std::vector<std::weak_ptr<JSAPIImpl>> proxies;
    mutable std::recursive_mutex eventMutex;
    mutable std::recursive_mutex proxyMutex;
    mutable std::recursive_mutex zoneMutex;
    std::deque<int> zoneStack;
    std::atomic<bool> valid;

private:
    template <class RaiseOnProxy>
    void raiseOnProxies(RaiseOnProxy raiseOnProxy);
};

}  // namespace FB

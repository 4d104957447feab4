// FB::JSAPIImpl: validity, access zones, handler and sink tables, proxies and event raising.
#include "plugin/scripting/jsapi_impl.h"

#include <algorithm>
#include <set>
#include <typeinfo>

#include "plugin/scripting/js_object.h"
#include "plugin/scripting/script_error.h"
#include "plugin/scripting/utf8_tools.h"

namespace FB {

namespace {

using JSObjectList = std::vector<std::shared_ptr<JSObject>>;

variant substituteValue(const variant& value, const JSAPI* self, const std::shared_ptr<JSAPIImpl>& proxy) {
    const std::type_info& type = value.storedType();
    if (type == typeid(std::shared_ptr<JSAPI>)) {
        if (value.exactCast<std::shared_ptr<JSAPI>>().get() == self) {
            return variant(std::shared_ptr<JSAPI>(proxy));
        }
        return value;
    }
    if (type == typeid(VariantArray)) {
        return variant(JSAPIImpl::substituteProxy(value.exactCast<VariantArray>(), self, proxy));
    }
    if (type == typeid(VariantDictionary)) {
        return variant(JSAPIImpl::substituteProxy(value.exactCast<VariantDictionary>(), self, proxy));
    }
    return value;
}

}  // namespace

JSAPIImpl::JSAPIImpl(const int& zone) : zoneStack{zone}, valid(true) {}

JSAPIImpl::~JSAPIImpl() = default;

void JSAPIImpl::invalidate() { valid = false; }

void JSAPIImpl::enterZone(const int& zone) {
    zoneMutex.lock();
    try {
        zoneStack.push_back(zone);
    } catch (...) {
        zoneMutex.unlock();
        throw;
    }
}

void JSAPIImpl::leaveZone() {
    // Zones above the base are pushed only by enterZone, which keeps the mutex until the
    // matching leaveZone. So once this thread holds the mutex, any zone above the base is
    // one this thread entered; without one the call is unpaired and changes nothing.
    std::unique_lock<std::recursive_mutex> lock(zoneMutex);
    if (zoneStack.size() > 1) {
        zoneStack.pop_back();
        zoneMutex.unlock();  // the hold taken by the matching enterZone
    }
}

void JSAPIImpl::setBaseZone(const int& zone) {
    std::lock_guard<std::recursive_mutex> lock(zoneMutex);
    if (!zoneStack.empty()) {
        zoneStack.pop_front();
    }
    zoneStack.push_front(zone);
}

int JSAPIImpl::baseZone() const {
    std::lock_guard<std::recursive_mutex> lock(zoneMutex);
    return zoneStack.front();
}

int JSAPIImpl::currentZone() const {
    std::lock_guard<std::recursive_mutex> lock(zoneMutex);
    return zoneStack.back();
}

void JSAPIImpl::addEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler) {
    if (!handler) {
        throw invalid_arguments();
    }
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    auto& handlers = eventHandlers[handler->getContextKey()];
    auto range = handlers.equal_range(eventName);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->getObjectKey() == handler->getObjectKey()) {
            return;
        }
    }
    handlers.emplace_hint(range.second, eventName, handler);
}

void JSAPIImpl::removeEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler) {
    if (!handler) {
        throw invalid_arguments();
    }
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    auto context = eventHandlers.find(handler->getContextKey());
    if (context == eventHandlers.end()) {
        return;
    }
    auto range = context->second.equal_range(eventName);
    for (auto it = range.first; it != range.second; ++it) {
        if (it->second->getObjectKey() == handler->getObjectKey()) {
            context->second.erase(it);
            return;
        }
    }
}

void JSAPIImpl::addEventSink(const std::shared_ptr<JSObject>& sink) {
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    eventSinks[sink->getContextKey()][sink.get()] = sink;
}

void JSAPIImpl::removeEventSink(const std::shared_ptr<JSObject>& sink) {
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    auto context = eventSinks.find(sink->getContextKey());
    if (context != eventSinks.end()) {
        context->second.erase(sink.get());
    }
}

void JSAPIImpl::deliverEvent(const std::string& eventName, const VariantArray& args) {
    // The calls below may reach the plug-in's own objects at once, which may change these
    // tables on this thread (the mutex is recursive), so each pass walks a copy.
    std::set<void*> servedContexts;
    {
        std::lock_guard<std::recursive_mutex> lock(eventMutex);
        const auto handlerTable = eventHandlers;
        for (const auto& [context, handlers] : handlerTable) {
            auto range = handlers.equal_range(eventName);
            bool first = true;
            for (auto it = range.first; it != range.second; ++it) {
                const std::shared_ptr<JSObject>& handler = it->second;
                if (first && handler->isAlive() && handler->supportsBatchCalls()) {
                    servedContexts.insert(context);
                    JSObjectList handlerList;
                    for (auto h = range.first; h != range.second; ++h) {
                        handlerList.push_back(h->second);
                    }
                    JSObjectList sinkList;
                    auto sinks = eventSinks.find(context);
                    if (sinks != eventSinks.end()) {
                        for (const auto& entry : sinks->second) {
                            sinkList.push_back(entry.second);
                        }
                    }
                    handler->callBatch(eventName, args, handlerList, sinkList);
                    break;
                }
                if (handler->isAlive()) {
                    first = false;
                    handler->invokeAsync("", args);
                }
            }
        }
    }
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    const auto sinkTable = eventSinks;
    for (const auto& [context, sinks] : sinkTable) {
        if (servedContexts.count(context) != 0) {
            continue;
        }
        for (auto it = sinks.begin(); it != sinks.end(); ++it) {
            const std::shared_ptr<JSObject>& sink = it->second;
            if (sink->isAlive() && sink->supportsBatchCalls()) {
                // The sinks before this one have had the event singly; the batch serves the rest.
                JSObjectList remainingSinks;
                for (auto rest = it; rest != sinks.end(); ++rest) {
                    remainingSinks.push_back(rest->second);
                }
                sink->callBatch(eventName, args, JSObjectList(), remainingSinks);
                break;
            }
            sink->invokeAsync(eventName, args);
        }
    }
}

template <class RaiseOnProxy>
void JSAPIImpl::raiseOnProxies(RaiseOnProxy raiseOnProxy) {
    std::lock_guard<std::recursive_mutex> lock(proxyMutex);
    // A proxy's raise may add or remove proxies of this object on this thread; walk a copy.
    const std::vector<std::weak_ptr<JSAPIImpl>> current = proxies;
    bool anyExpired = false;
    for (const auto& entry : current) {
        if (std::shared_ptr<JSAPIImpl> proxy = entry.lock()) {
            raiseOnProxy(proxy);
        } else {
            anyExpired = true;
        }
    }
    if (anyExpired) {
        auto expired = [](const std::weak_ptr<JSAPIImpl>& entry) { return entry.expired(); };
        proxies.erase(std::remove_if(proxies.begin(), proxies.end(), expired), proxies.end());
    }
}

void JSAPIImpl::raiseEvent(const std::string& eventName, const VariantArray& args) {
    if (!valid) {
        return;
    }
    // Held until delivery is over: a handler may drop the last other owner of this object.
    const std::shared_ptr<JSAPI> self = shared_from_this();
    raiseOnProxies([&](const std::shared_ptr<JSAPIImpl>& proxy) {
        proxy->raiseEvent(eventName, substituteProxy(args, this, proxy));
    });
    try {
        deliverEvent(eventName, args);
    } catch (const script_error&) {
    }
}

void JSAPIImpl::raiseEvent(const std::wstring& eventName, const VariantArray& args) {
    raiseEvent(wideToUtf8(eventName), args);
}

void JSAPIImpl::raiseEventObject(const std::string& eventName, const VariantArray& args) {
    raiseEventObject(eventName, VariantDictionary(), args);
}

void JSAPIImpl::raiseEventObject(const std::string& eventName, const VariantDictionary& members) {
    raiseEventObject(eventName, members, VariantArray());
}

void JSAPIImpl::raiseEventObject(const std::string& eventName, const VariantDictionary& members,
                                 const VariantArray& args) {
    if (!valid) {
        return;
    }
    const std::shared_ptr<JSAPI> self = shared_from_this();
    raiseOnProxies([&](const std::shared_ptr<JSAPIImpl>& proxy) {
        proxy->raiseEventObject(eventName, substituteProxy(members, this, proxy), substituteProxy(args, this, proxy));
    });
    VariantArray eventArgs;
    eventArgs.push_back(variant(makeEventObject(eventName, members, args, self)));
    {
        std::lock_guard<std::recursive_mutex> lock(eventMutex);
        const auto handlerTable = eventHandlers;
        for (const auto& [context, handlers] : handlerTable) {
            auto range = handlers.equal_range(eventName);
            for (auto it = range.first; it != range.second; ++it) {
                it->second->invokeAsync("", eventArgs);
            }
        }
    }
    std::lock_guard<std::recursive_mutex> lock(eventMutex);
    const auto sinkTable = eventSinks;
    for (const auto& [context, sinks] : sinkTable) {
        for (const auto& entry : sinks) {
            entry.second->invokeAsync(eventName, eventArgs);
        }
    }
}

void JSAPIImpl::declareEvent(const std::wstring& eventName) { declareEvent(wideToUtf8(eventName)); }

void JSAPIImpl::declareEvent(const std::string&) {}

void JSAPIImpl::addProxy(const std::weak_ptr<JSAPIImpl>& proxy) {
    std::lock_guard<std::recursive_mutex> lock(proxyMutex);
    proxies.push_back(proxy);
}

void JSAPIImpl::removeProxy(const std::weak_ptr<JSAPIImpl>& proxy) {
    std::lock_guard<std::recursive_mutex> lock(proxyMutex);
    const std::shared_ptr<JSAPIImpl> target = proxy.lock();
    auto goneOrSame = [&](const std::weak_ptr<JSAPIImpl>& entry) {
        std::shared_ptr<JSAPIImpl> object = entry.lock();
        return !object || object == target;
    };
    proxies.erase(std::remove_if(proxies.begin(), proxies.end(), goneOrSame), proxies.end());
}

VariantDictionary JSAPIImpl::makeEventObject(const std::string& eventName, const VariantDictionary& members,
                                             const VariantArray& args, const std::shared_ptr<JSAPI>& self) {
    VariantDictionary event;
    event["type"] = variant(eventName);
    event["target"] = variant(self);
    event["currentTarget"] = variant(self);
    event["eventPhase"] = variant(2);
    event["bubbles"] = variant(false);
    event["cancelable"] = variant(false);
    event["namespaceURI"] = variant(eventName);
    for (const auto& member : members) {
        event.insert(member);  // keeps a fixed entry of the same name
    }
    event["arguments"] = variant(args);
    return event;
}

VariantArray JSAPIImpl::substituteProxy(const VariantArray& values, const JSAPI* self,
                                        const std::shared_ptr<JSAPIImpl>& proxy) {
    VariantArray result;
    result.reserve(values.size());
    for (const variant& value : values) {
        result.push_back(substituteValue(value, self, proxy));
    }
    return result;
}

VariantDictionary JSAPIImpl::substituteProxy(const VariantDictionary& members, const JSAPI* self,
                                             const std::shared_ptr<JSAPIImpl>& proxy) {
    VariantDictionary result;
    for (const auto& member : members) {
        result.emplace(member.first, substituteValue(member.second, self, proxy));
    }
    return result;
}

}  // namespace FB

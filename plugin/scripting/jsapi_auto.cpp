// FB::JSAPIAuto: member tables, the member rules script sees, built-ins and event attributes.
#include "plugin/scripting/jsapi_auto.h"

#include <mutex>
#include <typeinfo>

#include "plugin/scripting/js_function.h"
#include "plugin/scripting/js_object.h"
#include "plugin/scripting/method_binding.h"
#include "plugin/scripting/property_binding.h"
#include "plugin/scripting/script_error.h"
#include "plugin/scripting/utf8_tools.h"
#include "plugin/scripting/zone_scope.h"

namespace FB {

namespace {

using ZoneLock = std::lock_guard<std::recursive_mutex>;

/// The name under which an index reaches the attribute table.
std::string indexText(int index) { return std::to_string(index); }

invalid_arguments conversionFailure(const bad_variant_cast& failure) {
    return invalid_arguments(std::string("Could not convert from ") + failure.sourceType + " to " +
                             failure.targetType);
}

}  // namespace

bool JSAPIAuto::allowPropertyRemovalByDefault = false;

JSAPIAuto::JSAPIAuto(const std::string& objectDescription) : JSAPIAuto(0, objectDescription) {}

JSAPIAuto::JSAPIAuto(const int& zone, const std::string& objectDescription)
    : JSAPIImpl(zone), description(objectDescription), allowsPropertyRemoval(allowPropertyRemovalByDefault) {
    init();
}

JSAPIAuto::~JSAPIAuto() = default;

void JSAPIAuto::init() {
    {
        ZoneScope builtInZone(this, 0);
        addMethod("toString", bindMethod(this, &JSAPIAuto::toString));
        addMethod("getAttribute", bindMethod(this, &JSAPIAuto::getAttribute));
        addMethod("setAttribute", bindMethod(this, &JSAPIAuto::setAttribute));
        addProperty("value", bindProperty(this, &JSAPIAuto::toString));
        addProperty("valid", bindProperty(this, &JSAPIAuto::isValid));
    }
    for (const char* name : {"offsetWidth", "offsetHeight", "width", "height", "attributes", "nodeType",
                             "namespaceURI", "localName", "wrappedJSObject", "prototype", "style", "id",
                             "constructor"}) {
        reserveName(name);
    }
}

bool JSAPIAuto::isVisible(const std::string& name) const {
    ZoneLock lock(zoneMutex);
    auto entry = memberZones.find(name);
    return entry != memberZones.end() && currentZone() >= entry->second;
}

void JSAPIAuto::listMemberNames(std::vector<std::string>& names) const {
    ZoneLock lock(zoneMutex);
    names.clear();
    const int zone = currentZone();
    for (const auto& [name, memberZone] : memberZones) {
        if (zone >= memberZone) {
            names.push_back(name);
        }
    }
}

unsigned JSAPIAuto::countMembers() const {
    ZoneLock lock(zoneMutex);
    const int zone = currentZone();
    unsigned count = 0;
    for (const auto& entry : memberZones) {
        if (zone >= entry.second) {
            ++count;
        }
    }
    return count;
}

bool JSAPIAuto::hasMethod(const std::string& name) const {
    ZoneLock lock(zoneMutex);
    return isStillValid() && methods.count(name) != 0 && isVisible(name);
}

bool JSAPIAuto::hasFunctionObject(const std::string& name) const {
    ZoneLock lock(zoneMutex);
    return offersFunctionObjects && hasMethod(name);
}

bool JSAPIAuto::hasProperty(int index) const {
    ZoneLock lock(zoneMutex);
    return isStillValid() && (acceptsNewAttributes || attributes.count(indexText(index)) != 0);
}

bool JSAPIAuto::hasProperty(const std::string& name) const {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        return false;
    }
    return (acceptsNewAttributes && !hasMethod(name) && reservedNames.count(name) == 0) ||
           (offersFunctionObjects && hasMethod(name)) || properties.count(name) != 0 ||
           attributes.count(name) != 0;
}

std::shared_ptr<JSAPI> JSAPIAuto::getFunctionObject(const std::string& name) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    if (!isVisible(name) || !hasMethod(name)) {
        throw invalid_member(name);
    }
    const int zone = currentZone();
    std::shared_ptr<JSAPI>& cached = functionObjectCache[std::make_pair(name, zone)];
    if (!cached) {
        cached = std::make_shared<JSFunction>(weak_from_this(), name, zone);
    }
    return cached;
}

variant JSAPIAuto::getProperty(int index) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    const std::string name = indexText(index);
    auto attribute = attributes.find(name);
    if (attribute != attributes.end() && isVisible(name)) {
        return attribute->second.value;
    }
    if (acceptsNewAttributes) {
        return variant();
    }
    throw invalid_member(name);
}

variant JSAPIAuto::getProperty(const std::string& name) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    const bool visible = isVisible(name);
    auto property = properties.find(name);
    if (property != properties.end() && visible) {
        const auto getter = property->second.getter;  // the getter may change the tables
        return getter();
    }
    if (visible && hasFunctionObject(name)) {
        return variant(getFunctionObject(name));
    }
    auto attribute = attributes.find(name);
    if (visible && attribute != attributes.end()) {
        return attribute->second.value;
    }
    if (acceptsNewAttributes) {
        return variant();
    }
    throw invalid_member(name);
}

void JSAPIAuto::setProperty(int index, const variant& value) {
    if (!isStillValid()) {
        throw object_invalidated();
    }
    ZoneLock lock(zoneMutex);
    const std::string name = indexText(index);
    if (!acceptsNewAttributes) {
        auto attribute = attributes.find(name);
        if (attribute == attributes.end() || attribute->second.readOnly) {
            throw invalid_member(name);
        }
    }
    addAttribute(name, value, false);
}

void JSAPIAuto::setProperty(const std::string& name, const variant& value) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    auto property = properties.find(name);
    if (property != properties.end()) {
        if (!isVisible(name)) {
            throw invalid_member(name);
        }
        const auto setter = property->second.setter;
        try {
            setter(value);
        } catch (const bad_variant_cast& failure) {
            throw conversionFailure(failure);
        }
        return;
    }
    if (!acceptsNewAttributes) {
        auto attribute = attributes.find(name);
        if (attribute == attributes.end() || attribute->second.readOnly) {
            throw invalid_member(name);
        }
    }
    addAttribute(name, value, false);
}

void JSAPIAuto::removeProperty(int index) {
    if (!isStillValid()) {
        throw object_invalidated();
    }
    ZoneLock lock(zoneMutex);
    const std::string name = indexText(index);
    auto attribute = attributes.find(name);
    if (acceptsNewAttributes && attribute != attributes.end() && !attribute->second.readOnly) {
        removeAttribute(name);
        return;
    }
    throw invalid_member(name);
}

void JSAPIAuto::removeProperty(const std::string& name) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    if (!isVisible(name)) {
        throw invalid_member(name);
    }
    if (allowsPropertyRemoval && properties.count(name) != 0) {
        dropProperty(name);
        return;
    }
    auto attribute = attributes.find(name);
    if (acceptsNewAttributes && attribute != attributes.end() && !attribute->second.readOnly) {
        removeAttribute(name);
    }
}

variant JSAPIAuto::invoke(const std::string& name, const VariantArray& args) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    if (!isVisible(name)) {
        throw invalid_member(name);
    }
    auto method = methods.find(name);
    if (method == methods.end()) {
        throw invalid_member(name);
    }
    const BoundMethod call = method->second;  // the method may drop itself from the table
    try {
        return call(args);
    } catch (const bad_variant_cast& failure) {
        throw conversionFailure(failure);
    }
}

variant JSAPIAuto::construct(const VariantArray&) {
    ZoneLock lock(zoneMutex);
    if (!isStillValid()) {
        throw object_invalidated();
    }
    throw invalid_member("constructor");
}

std::shared_ptr<JSObject> JSAPIAuto::eventAttributeFunction(const std::string& eventName) {
    // Events may be raised on any thread; the page writes attributes on the main thread.
    ZoneLock lock(zoneMutex);
    const variant value = getAttribute(eventName);
    if (value.storedType() != typeid(std::shared_ptr<JSObject>)) {
        return nullptr;
    }
    return value.exactCast<std::shared_ptr<JSObject>>();
}

void JSAPIAuto::deliverEvent(const std::string& eventName, const VariantArray& args) {
    JSAPIImpl::deliverEvent(eventName, args);
    try {
        if (std::shared_ptr<JSObject> function = eventAttributeFunction(eventName)) {
            function->invokeAsync("", args);
        }
    } catch (...) {
        // The page's own event attribute is a convenience; its failure must not stop the raiser.
    }
}

void JSAPIAuto::raiseEventObject(const std::string& eventName, const VariantDictionary& members,
                                 const VariantArray& args) {
    // Held until raising is over: a handler may drop the last other owner of this object.
    const std::shared_ptr<JSAPI> self = weak_from_this().lock();
    JSAPIImpl::raiseEventObject(eventName, members, args);
    try {
        if (std::shared_ptr<JSObject> function = eventAttributeFunction(eventName)) {
            VariantArray eventArgs;
            eventArgs.push_back(variant(makeEventObject(eventName, members, args, shared_from_this())));
            function->invokeAsync("", eventArgs);
        }
    } catch (...) {
        // As for deliverEvent: the attribute call never fails the raiser.
    }
}

void JSAPIAuto::stampAttributeZone(const std::string& name) {
    const bool zoneSetByMember = methods.count(name) != 0 || properties.count(name) != 0;
    if (zoneSetByMember && memberZones.count(name) != 0) {
        return;
    }
    memberZones[name] = currentZone();
}

void JSAPIAuto::dropZoneIfUnused(const std::string& name) {
    if (methods.count(name) == 0 && properties.count(name) == 0 && attributes.count(name) == 0) {
        memberZones.erase(name);
    }
}

void JSAPIAuto::addAttribute(const std::string& name, const variant& value, bool readOnly) {
    ZoneLock lock(zoneMutex);
    attributes[name] = AttributeValue{value, readOnly};
    stampAttributeZone(name);
}

void JSAPIAuto::reserveName(const std::string& name) {
    ZoneLock lock(zoneMutex);
    reservedNames.insert(name);
}

void JSAPIAuto::dropMethod(const std::string& name) {
    ZoneLock lock(zoneMutex);
    if (methods.erase(name) != 0) {
        dropZoneIfUnused(name);
    }
}

void JSAPIAuto::dropMethod(const std::wstring& name) { dropMethod(wideToUtf8(name)); }

void JSAPIAuto::addMethod(const std::string& name, const BoundMethod& method) {
    ZoneLock lock(zoneMutex);
    methods[name] = method;
    memberZones[name] = currentZone();
}

void JSAPIAuto::addMethod(const std::wstring& name, const BoundMethod& method) {
    addMethod(wideToUtf8(name), method);
}

void JSAPIAuto::addProperty(const std::string& name, const PropertyAccessors& accessors) {
    ZoneLock lock(zoneMutex);
    properties[name] = accessors;
    memberZones[name] = currentZone();
}

void JSAPIAuto::addProperty(const std::wstring& name, const PropertyAccessors& accessors) {
    addProperty(wideToUtf8(name), accessors);
}

void JSAPIAuto::dropProperty(const std::string& name) {
    ZoneLock lock(zoneMutex);
    if (properties.erase(name) != 0) {
        dropZoneIfUnused(name);
    }
}

void JSAPIAuto::dropProperty(const std::wstring& name) { dropProperty(wideToUtf8(name)); }

std::string JSAPIAuto::toString() { return description; }

bool JSAPIAuto::isValid() { return true; }

variant JSAPIAuto::getAttribute(const std::string& name) {
    ZoneLock lock(zoneMutex);
    auto attribute = attributes.find(name);
    return attribute == attributes.end() ? variant() : attribute->second.value;
}

void JSAPIAuto::setAttribute(const std::string& name, const variant& value) {
    ZoneLock lock(zoneMutex);
    auto attribute = attributes.find(name);
    if (attribute != attributes.end() && attribute->second.readOnly) {
        throw script_error("Cannot set read-only property " + name);
    }
    attributes[name] = AttributeValue{value, false};
    stampAttributeZone(name);
}

void JSAPIAuto::removeAttribute(const std::string& name) {
    ZoneLock lock(zoneMutex);
    auto attribute = attributes.find(name);
    if (attribute == attributes.end()) {
        return;
    }
    if (attribute->second.readOnly) {
        throw script_error("Cannot remove read-only property " + name);
    }
    attributes.erase(attribute);
    dropZoneIfUnused(name);
}

}  // namespace FB

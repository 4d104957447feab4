// FB::JSAPI: the interface through which page script reaches an object of the plug-in.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugin/scripting/variant.h"
#include "plugin/scripting/variant_object_conversions.h"

namespace FB {

class JSObject;

/// Integer access level; a member is visible while the object's current zone is at least the
/// member's zone (signed comparison).
using AccessZone = int;

/// Every scriptable object of the system, and every page object seen from native code. Each
/// wide-name form converts the name to UTF-8 and calls the narrow form.
class JSAPI : public std::enable_shared_from_this<JSAPI> {
public:
    JSAPI() = default;
    JSAPI(const JSAPI&) = delete;
    JSAPI& operator=(const JSAPI&) = delete;
    virtual ~JSAPI();

    /// Mark the object unusable for script; there is no way back.
    virtual void invalidate() = 0;

    /// Push an access zone for the calling thread; paired with exactly one leaveZone.
    virtual void enterZone(const int& zone);
    /// Pop the zone the matching enterZone pushed.
    virtual void leaveZone();
    /// Replace the zone at the bottom of the zone stack.
    virtual void setBaseZone(const int& zone);
    /// The zone at the bottom of the stack.
    virtual int baseZone() const;
    /// The zone at the top of the stack: the one member visibility is tested against.
    virtual int currentZone() const;

    /// Register a page function to be called when the named event is raised.
    virtual void addEventHandler(const std::wstring& eventName, const std::shared_ptr<JSObject>& handler);
    virtual void addEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler);
    /// Unregister a page function registered with addEventHandler.
    virtual void removeEventHandler(const std::wstring& eventName, const std::shared_ptr<JSObject>& handler);
    virtual void removeEventHandler(const std::string& eventName, const std::shared_ptr<JSObject>& handler);
    /// Register a page object that receives every event as a call of its method of that name.
    virtual void addEventSink(const std::shared_ptr<JSObject>& sink);
    /// Unregister a sink registered with addEventSink.
    virtual void removeEventSink(const std::shared_ptr<JSObject>& sink);

    /// The names script can see, in the object's own order.
    virtual void listMemberNames(std::vector<std::string>* names) const;
    virtual void listMemberNames(std::vector<std::string>& names) const = 0;
    virtual void listMemberNames(std::vector<std::wstring>* names) const;
    virtual void listMemberNames(std::vector<std::wstring>& names) const;
    /// The number of names script can see.
    virtual unsigned countMembers() const = 0;

    /// Whether script may call the name as a method.
    virtual bool hasMethod(const std::string& name) const = 0;
    virtual bool hasMethod(const std::wstring& name) const;
    /// Whether reading the method's name as a property gives a function object.
    virtual bool hasFunctionObject(const std::string& name) const;
    virtual bool hasFunctionObject(const std::wstring& name) const;
    /// Whether script may read or write the index or name as a property.
    virtual bool hasProperty(int index) const = 0;
    virtual bool hasProperty(const std::string& name) const = 0;
    virtual bool hasProperty(const std::wstring& name) const;

    /// The function object that stands for the named method; null when none is offered.
    virtual std::shared_ptr<JSAPI> getFunctionObject(const std::string& name);
    virtual std::shared_ptr<JSAPI> getFunctionObject(const std::wstring& name);

    /// Script's read of a property by index or name.
    virtual variant getProperty(int index) = 0;
    virtual variant getProperty(const std::string& name) = 0;
    virtual variant getProperty(const std::wstring& name);
    /// Script's write of a property by index or name.
    virtual void setProperty(int index, const variant& value) = 0;
    virtual void setProperty(const std::string& name, const variant& value) = 0;
    virtual void setProperty(const std::wstring& name, const variant& value);
    /// Script's delete of a property by index or name.
    virtual void removeProperty(int index) = 0;
    virtual void removeProperty(const std::string& name) = 0;
    virtual void removeProperty(const std::wstring& name);

    /// Call the named method; the empty name calls the object itself as a function.
    virtual variant invoke(const std::string& name, const VariantArray& args) = 0;
    virtual variant invoke(const std::wstring& name, const VariantArray& args);
    /// The script new operator applied to the object.
    virtual variant construct(const VariantArray& args) = 0;
};

}  // namespace FB

// FB::JSAPIAuto: a scriptable object whose script members come from tables of methods,
// properties and attributes, each visible from the access zone it was registered under.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plugin/scripting/jsapi_impl.h"
#include "plugin/scripting/member_types.h"

namespace FB {

/// The base of the product's object and of the function objects. Every member operation that
/// script reaches holds the zone mutex for its whole run, the bound call included.
class JSAPIAuto : public JSAPIImpl {
public:
    /// At zone 0.
    explicit JSAPIAuto(const std::string& description);
    JSAPIAuto(const int& zone, const std::string& description);
    ~JSAPIAuto() override;

    using JSAPI::countMembers;
    using JSAPI::getFunctionObject;
    using JSAPI::getProperty;
    using JSAPI::hasFunctionObject;
    using JSAPI::hasMethod;
    using JSAPI::hasProperty;
    using JSAPI::invoke;
    using JSAPI::listMemberNames;
    using JSAPI::removeProperty;
    using JSAPI::setProperty;
    using JSAPIImpl::raiseEventObject;

    void listMemberNames(std::vector<std::string>& names) const override;
    unsigned countMembers() const override;
    bool hasMethod(const std::string& name) const override;
    bool hasFunctionObject(const std::string& name) const override;
    bool hasProperty(int index) const override;
    bool hasProperty(const std::string& name) const override;
    std::shared_ptr<JSAPI> getFunctionObject(const std::string& name) override;
    variant getProperty(int index) override;
    variant getProperty(const std::string& name) override;
    void setProperty(int index, const variant& value) override;
    void setProperty(const std::string& name, const variant& value) override;
    void removeProperty(int index) override;
    void removeProperty(const std::string& name) override;
    variant invoke(const std::string& name, const VariantArray& args) override;
    variant construct(const VariantArray& args) override;

    /// After the handlers and sinks, a page function stored in the attribute named like the
    /// event is called too.
    void deliverEvent(const std::string& eventName, const VariantArray& args) override;
    void raiseEventObject(const std::string& eventName, const VariantDictionary& members,
                          const VariantArray& args) override;

    /// Store a value under the name, replacing any attribute of that name.
    virtual void addAttribute(const std::string& name, const variant& value, bool readOnly);
    /// Keep the name from being taken as a new attribute by the page.
    virtual void reserveName(const std::string& name);
    /// Forget the method; the name's zone stays while another member of that name is left.
    virtual void dropMethod(const std::string& name);
    virtual void dropMethod(const std::wstring& name);
    /// Register a method under the current zone, replacing one of the same name.
    virtual void addMethod(const std::string& name, const BoundMethod& method);
    virtual void addMethod(const std::wstring& name, const BoundMethod& method);
    /// Register a property under the current zone, replacing one of the same name.
    virtual void addProperty(const std::string& name, const PropertyAccessors& accessors);
    virtual void addProperty(const std::wstring& name, const PropertyAccessors& accessors);
    /// Forget the property; the name's zone stays while another member of that name is left.
    virtual void dropProperty(const std::string& name);
    virtual void dropProperty(const std::wstring& name);
    /// The description: script's "toString" and "value".
    virtual std::string toString();
    /// Script's "valid".
    virtual bool isValid();
    /// The attribute's value, or an empty value when there is none.
    virtual variant getAttribute(const std::string& name);
    /// Script's "setAttribute": refuses read-only attributes.
    virtual void setAttribute(const std::string& name, const variant& value);
    /// Refuses read-only attributes; an absent name changes nothing.
    virtual void removeAttribute(const std::string& name);

protected:
    /// Whether the name has a zone entry that the current zone reaches.
    bool isVisible(const std::string& name) const;

    std::map<std::pair<std::string, int>, std::shared_ptr<JSAPI>> functionObjectCache;
    std::map<std::string, BoundMethod> methods;
    std::map<std::string, PropertyAccessors> properties;
    std::map<std::string, int> memberZones;
    std::string description;
    std::map<std::string, AttributeValue> attributes;
    std::set<std::string> reservedNames;
    bool acceptsNewAttributes = true;
    bool allowsPropertyRemoval;
    bool offersFunctionObjects = true;

private:
    void init();
    /// Gives an attribute the current zone, unless a method or property of that name already
    /// decides the name's zone.
    void stampAttributeZone(const std::string& name);
    /// Drops the name's zone entry once no member of that name is left.
    void dropZoneIfUnused(const std::string& name);
    /// The attribute named like an event, read under the zone mutex.
    std::shared_ptr<JSObject> eventAttributeFunction(const std::string& eventName);

    /// Property removal through script; nothing in the system turns it on.
    static bool allowPropertyRemovalByDefault;
};

}  // namespace FB

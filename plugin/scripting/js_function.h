// FB::JSFunction: one method of a plug-in object, held by the page as a function value.
#pragma once

#include <memory>
#include <string>

#include "plugin/scripting/jsapi_auto.h"

namespace FB {

/// Calls its owner's method by name, at the zone it was made for. It never keeps the owner
/// alive: once the owner is gone a call fails with "Invalid JSAPI object".
class JSFunction : public JSAPIAuto {
public:
    JSFunction(const std::weak_ptr<JSAPI>& owner, const std::string& methodName, const int& zone);
    ~JSFunction() override;

    using JSAPIAuto::hasMethod;
    using JSAPIAuto::hasProperty;
    using JSAPIAuto::invoke;

    /// The empty name (the function itself), "call" and "apply", besides the built-ins.
    bool hasMethod(const std::string& name) const override;
    bool hasProperty(const std::string& name) const override;
    variant invoke(const std::string& name, const VariantArray& args) override;

    /// Calls the owner's method with the arguments, inside this function's zone on the owner.
    virtual variant exec(const VariantArray& args);
    /// Script's call(thisValue, ...): the arguments after the this value.
    virtual variant call(const VariantArray& args);
    /// Script's apply(thisValue, list): the second argument as the argument list.
    virtual variant apply(const VariantArray& args);

protected:
    std::weak_ptr<JSAPI> owner;
    std::string methodName;
};

}  // namespace FB

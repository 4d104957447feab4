// FB::JSFunction: calling a plug-in object's method through a function value.
#include "plugin/scripting/js_function.h"

#include "plugin/scripting/script_error.h"
#include "plugin/scripting/variant_object_conversions.h"
#include "plugin/scripting/zone_scope.h"

namespace FB {

JSFunction::JSFunction(const std::weak_ptr<JSAPI>& functionOwner, const std::string& name, const int& zone)
    : JSAPIAuto(zone, name + "()"), owner(functionOwner), methodName(name) {
    offersFunctionObjects = false;
    reservedNames.clear();
}

JSFunction::~JSFunction() = default;

bool JSFunction::hasMethod(const std::string& name) const {
    if (name.empty() || name == "call" || name == "apply") {
        return true;
    }
    return JSAPIAuto::hasMethod(name);
}

bool JSFunction::hasProperty(const std::string& name) const {
    if (name == "call" || name == "apply") {
        return false;
    }
    return JSAPIAuto::hasProperty(name);
}

variant JSFunction::invoke(const std::string& name, const VariantArray& args) {
    if (name.empty()) {
        return exec(args);
    }
    if (name == "call") {
        return call(args);
    }
    if (name == "apply") {
        return apply(args);
    }
    return JSAPIAuto::invoke(name, args);
}

variant JSFunction::exec(const VariantArray& args) {
    std::shared_ptr<JSAPI> target = owner.lock();
    if (!target) {
        throw script_error("Invalid JSAPI object");
    }
    const int zone = currentZone();
    ZoneScope scope(target.get(), zone, target);
    return target->invoke(methodName, args);
}

variant JSFunction::call(const VariantArray& args) {
    if (args.empty()) {
        return exec(VariantArray());
    }
    return exec(VariantArray(args.begin() + 1, args.end()));
}

variant JSFunction::apply(const VariantArray& args) {
    if (args.size() < 2) {
        return exec(VariantArray());
    }
    return exec(args[1].convertTo<VariantArray>());
}

}  // namespace FB

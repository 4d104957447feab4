// Reading a script value as a script object, a scriptable object, or a container of values,
// walking a page object's properties where the value is one.
#pragma once

#include <memory>
#include <vector>

#include "plugin/scripting/variant.h"

namespace FB {
namespace variant_detail {

/// The page object held; the plug-in's own object when it comes back wrapped by the page.
template <> struct converter<std::shared_ptr<JSObject>> {
    static std::shared_ptr<JSObject> convert(const variant& value);
};

/// The scriptable object held; the plug-in's own object when the page hands it back wrapped.
template <> struct converter<std::shared_ptr<JSAPI>> {
    static std::shared_ptr<JSAPI> convert(const variant& value);
};

/// Whether the value reads as a page object (empty and null read as a null object).
template <> struct convertible<std::shared_ptr<JSObject>> {
    static bool test(const variant& value);
};

/// A stored list, or a page array read by its "length" and indices.
template <> struct converter<VariantArray> {
    static VariantArray convert(const variant& value);
};

/// A stored map, or a page object read by its member names.
template <> struct converter<VariantDictionary> {
    static VariantDictionary convert(const variant& value);
};

/// A stored list of page objects, or a page array whose elements are page objects.
template <> struct converter<std::vector<std::shared_ptr<JSObject>>> {
    static std::vector<std::shared_ptr<JSObject>> convert(const variant& value);
};

}  // namespace variant_detail
}  // namespace FB

// Object and container conversions of script values.
#include "plugin/scripting/variant_object_conversions.h"

#include <string>
#include <typeinfo>

#include "plugin/scripting/js_object.h"
#include "plugin/scripting/script_error.h"

namespace FB {
namespace variant_detail {

namespace {

/// The object held, as a P; one level of the page's wrapping is taken off.
template <class P>
std::shared_ptr<P> convertToObject(const variant& value) {
    const std::type_info& type = value.storedType();
    std::shared_ptr<JSAPI> candidate;
    if (type == typeid(std::shared_ptr<JSObject>)) {
        candidate = value.exactCast<std::shared_ptr<JSObject>>();
    } else if (type == typeid(std::weak_ptr<JSAPI>)) {
        candidate = value.exactCast<std::weak_ptr<JSAPI>>().lock();
    } else if (value.isEmpty() || value.isNull()) {
        return nullptr;
    } else {
        candidate = value.exactCast<std::shared_ptr<JSAPI>>();
    }
    if (!candidate) {
        return nullptr;
    }
    if (auto pageObject = std::dynamic_pointer_cast<JSObject>(candidate)) {
        if (auto inner = std::dynamic_pointer_cast<P>(pageObject->getWrappedJSAPI())) {
            return inner;
        }
    }
    if (auto self = std::dynamic_pointer_cast<P>(candidate)) {
        return self;
    }
    throw bad_variant_cast(value.storedType(), typeid(JSObject));
}

/// The page object to walk for a container; null for empty and null values, which give an
/// empty container.
std::shared_ptr<JSObject> objectToWalk(const variant& value) {
    if (!value.canConvertTo<std::shared_ptr<JSObject>>()) {
        throw bad_variant_cast(value.storedType(), typeid(std::shared_ptr<JSObject>));
    }
    return convertToObject<JSObject>(value);
}

/// Runs a walk over a page object; the object's script errors reach the caller as plain
/// script errors with the same text.
template <class Walk>
auto walkObject(Walk walk) -> decltype(walk()) {
    try {
        return walk();
    } catch (const script_error& error) {
        throw script_error(error.what());
    }
}

/// The elements 0 .. length - 1 of a page array, each passed through convertElement.
template <class Result, class ConvertElement>
Result readArrayElements(const std::shared_ptr<JSObject>& array, ConvertElement convertElement) {
    Result result;
    if (!array) {
        return result;
    }
    return walkObject([&] {
        const long length = array->getProperty("length").convertTo<long>();
        for (long index = 0; index < length; ++index) {
            result.push_back(convertElement(array->getProperty(static_cast<int>(index))));
        }
        return result;
    });
}

}  // namespace

std::shared_ptr<JSObject> converter<std::shared_ptr<JSObject>>::convert(const variant& value) {
    return convertToObject<JSObject>(value);
}

std::shared_ptr<JSAPI> converter<std::shared_ptr<JSAPI>>::convert(const variant& value) {
    return convertToObject<JSAPI>(value);
}

bool convertible<std::shared_ptr<JSObject>>::test(const variant& value) {
    if (value.storedType() == typeid(std::shared_ptr<JSObject>)) {
        return true;
    }
    try {
        convertToObject<JSObject>(value);
        return true;
    } catch (...) {
        return false;
    }
}

VariantArray converter<VariantArray>::convert(const variant& value) {
    if (value.storedType() == typeid(VariantArray)) {
        return value.exactCast<VariantArray>();
    }
    return readArrayElements<VariantArray>(objectToWalk(value), [](const variant& element) { return element; });
}

VariantDictionary converter<VariantDictionary>::convert(const variant& value) {
    if (value.storedType() == typeid(VariantDictionary)) {
        return value.exactCast<VariantDictionary>();
    }
    const std::shared_ptr<JSObject> object = objectToWalk(value);
    VariantDictionary result;
    if (!object) {
        return result;
    }
    return walkObject([&] {
        std::vector<std::string> names;
        object->listMemberNames(names);
        for (const std::string& name : names) {
            result.emplace(name, object->getProperty(name));  // a repeated name keeps its first value
        }
        return result;
    });
}

std::vector<std::shared_ptr<JSObject>> converter<std::vector<std::shared_ptr<JSObject>>>::convert(
    const variant& value) {
    using ObjectList = std::vector<std::shared_ptr<JSObject>>;
    if (value.storedType() == typeid(ObjectList)) {
        return value.exactCast<ObjectList>();
    }
    return readArrayElements<ObjectList>(objectToWalk(value),
                                         [](const variant& element) { return convertToObject<JSObject>(element); });
}

}  // namespace variant_detail
}  // namespace FB

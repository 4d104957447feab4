// Binding a native member function as the getter of a read-only script property.
#pragma once

#include <functional>

#include "plugin/scripting/member_types.h"
#include "plugin/scripting/variant.h"

namespace FB {

/// A getter that calls the member and stores its result as its own type.
template <class T, class C, class R>
std::function<variant()> bindGetter(T* object, R (C::*function)()) {
    C* target = static_cast<C*>(object);
    return [target, function] { return variant((target->*function)()); };
}

template <class T, class C, class R>
std::function<variant()> bindGetter(T* object, R (C::*function)() const) {
    const C* target = static_cast<const C*>(object);
    return [target, function] { return variant((target->*function)()); };
}

/// A read-only property: the getter above, and a setter that accepts and ignores writes.
template <class T, class Getter>
PropertyAccessors bindProperty(T* object, Getter getter) {
    PropertyAccessors accessors;
    accessors.getter = bindGetter(object, getter);
    accessors.setter = [](const variant&) {};
    return accessors;
}

}  // namespace FB

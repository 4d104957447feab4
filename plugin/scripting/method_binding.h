// Binding native member functions as script methods: argument count and conversion checks
// with the texts page script sees.
#pragma once

#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>

#include "plugin/scripting/member_types.h"
#include "plugin/scripting/script_error.h"
#include "plugin/scripting/variant.h"
#include "plugin/scripting/variant_object_conversions.h"

namespace FB {
namespace detail {
namespace methods {

template <class T> struct isOptional : std::false_type {};
template <class T> struct isOptional<std::optional<T>> : std::true_type {};

/// The value a parameter of type T takes from one script argument at 1-based position.
template <class T>
T convertArgumentValue(const variant& argument, std::size_t position) {
    if constexpr (std::is_same_v<T, variant>) {
        return argument;
    } else {
        try {
            return argument.convertTo<T>();
        } catch (const bad_variant_cast& failure) {
            std::ostringstream text;
            text << "Invalid argument conversion " << "from " << failure.sourceType << " to " << failure.targetType
                 << " at index " << position;
            throw invalid_arguments(text.str());
        }
    }
}

/// The value of the parameter at 1-based position; a missing argument is allowed only for an
/// optional or a variant parameter.
template <class T>
T convertArgument(const VariantArray& args, std::size_t position) {
    if (args.size() < position) {
        if constexpr (isOptional<T>::value) {
            return T();
        } else if constexpr (std::is_same_v<T, variant>) {
            return variant();
        } else {
            std::ostringstream text;
            text << "Error: Argument " << position << "is not optional.";
            throw invalid_arguments(text.str());
        }
    }
    return convertArgumentValue<T>(args[position - 1], position);
}

/// The value of the last parameter (position = parameter count), after the count check.
template <class T>
T convertFinalArgument(const VariantArray& args, std::size_t position) {
    if (args.size() > position) {
        std::ostringstream text;
        text << "Too many arguments, expected " << position << ".";
        throw invalid_arguments(text.str());
    }
    return convertArgument<T>(args, position);
}

/// The member's result as a script value; void gives an empty value.
template <class R, class Call>
variant wrapResult(Call call) {
    if constexpr (std::is_void_v<R>) {
        call();
        return variant();
    } else {
        return variant(call());
    }
}

template <class C, class R, class F>
struct method_wrapper0 {
    F function;
    variant operator()(C* object, const VariantArray&) const {
        return wrapResult<R>([&] { return (object->*function)(); });
    }
};

template <class C, class R, class A1, class F>
struct method_wrapper1 {
    F function;
    variant operator()(C* object, const VariantArray& args) const {
        auto a1 = convertFinalArgument<std::decay_t<A1>>(args, 1);
        return wrapResult<R>([&] { return (object->*function)(a1); });
    }
};

template <class C, class R, class A1, class A2, class F>
struct method_wrapper2 {
    F function;
    variant operator()(C* object, const VariantArray& args) const {
        // The last parameter is checked first: a bad second argument is reported before a bad first.
        auto a2 = convertFinalArgument<std::decay_t<A2>>(args, 2);
        auto a1 = convertArgument<std::decay_t<A1>>(args, 1);
        return wrapResult<R>([&] { return (object->*function)(a1, a2); });
    }
};

template <class Wrapper, class C>
BoundMethod bindWrapper(C* object, Wrapper wrapper) {
    return [object, wrapper](const VariantArray& args) { return wrapper(object, args); };
}

}  // namespace methods
}  // namespace detail

/// A script method that calls the member function on the object. The object owns the
/// method table, so the plain pointer never outlives it.
template <class T, class C, class R>
BoundMethod bindMethod(T* object, R (C::*function)()) {
    using F = R (C::*)();
    return detail::methods::bindWrapper(static_cast<C*>(object), detail::methods::method_wrapper0<C, R, F>{function});
}

template <class T, class C, class R>
BoundMethod bindMethod(T* object, R (C::*function)() const) {
    using F = R (C::*)() const;
    return detail::methods::bindWrapper(static_cast<C*>(object), detail::methods::method_wrapper0<C, R, F>{function});
}

template <class T, class C, class R, class A1>
BoundMethod bindMethod(T* object, R (C::*function)(A1)) {
    using F = R (C::*)(A1);
    return detail::methods::bindWrapper(static_cast<C*>(object),
                                        detail::methods::method_wrapper1<C, R, A1, F>{function});
}

template <class T, class C, class R, class A1>
BoundMethod bindMethod(T* object, R (C::*function)(A1) const) {
    using F = R (C::*)(A1) const;
    return detail::methods::bindWrapper(static_cast<C*>(object),
                                        detail::methods::method_wrapper1<C, R, A1, F>{function});
}

template <class T, class C, class R, class A1, class A2>
BoundMethod bindMethod(T* object, R (C::*function)(A1, A2)) {
    using F = R (C::*)(A1, A2);
    return detail::methods::bindWrapper(static_cast<C*>(object),
                                        detail::methods::method_wrapper2<C, R, A1, A2, F>{function});
}

template <class T, class C, class R, class A1, class A2>
BoundMethod bindMethod(T* object, R (C::*function)(A1, A2) const) {
    using F = R (C::*)(A1, A2) const;
    return detail::methods::bindWrapper(static_cast<C*>(object),
                                        detail::methods::method_wrapper2<C, R, A1, A2, F>{function});
}

}  // namespace FB

// FB::variant: the dynamically typed value that crosses between page script and native code.
#pragma once

#include <map>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "plugin/scripting/api_types.h"
#include "plugin/scripting/bad_variant_cast.h"
#include "plugin/scripting/script_error.h"

namespace FB {

class variant;

/// An argument list, or a script array.
using VariantArray = std::vector<variant>;
/// A script object read as names and values, or the plug-in's parameters (bytewise key order).
using VariantDictionary = std::map<std::string, variant>;

namespace variant_detail {

/// Marker of no value: script undefined, or void.
struct empty {};
/// Marker of script null.
struct null {};

/// The variant's one pointer-sized word: a small value in place, or the heap object of a larger one.
union Storage {
    void* heap;
    alignas(void*) unsigned char inWord[sizeof(void*)];
};

/// The operations a variant needs on a stored type it does not otherwise know.
struct TypeOps {
    const std::type_info& (*storedType)();
    void (*destroyValue)(Storage& object);
    void (*cloneValue)(const Storage& source, Storage& destination);
    void (*copyValue)(const Storage& source, Storage& destination);
    bool (*lessValue)(const Storage& left, const Storage& right);
};

/// Only values the word can hold byte for byte, with nothing to run on copy or destruction,
/// live in place; everything else goes to the heap.
template <typename T>
inline constexpr bool fitsInWord = sizeof(T) <= sizeof(void*) && alignof(T) <= alignof(void*) &&
                                   std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>;

template <typename T> struct isSharedPtr : std::false_type {};
template <typename T> struct isSharedPtr<std::shared_ptr<T>> : std::true_type {};
template <typename T> struct isWeakPtr : std::false_type {};
template <typename T> struct isWeakPtr<std::weak_ptr<T>> : std::true_type {};

template <typename T, typename = void> struct hasLess : std::false_type {};
template <typename T>
struct hasLess<T, std::void_t<decltype(std::declval<const T&>() < std::declval<const T&>())>> : std::true_type {};

/// Containers that can hold the very variant being assigned to them.
template <typename T>
inline constexpr bool mayHoldVariants = std::is_same_v<T, VariantArray> || std::is_same_v<T, VariantDictionary>;

template <typename T> const T& storedRef(const Storage& object) {
    if constexpr (fitsInWord<T>)
        return *std::launder(reinterpret_cast<const T*>(object.inWord));
    else
        return *static_cast<const T*>(object.heap);
}

template <typename T> T& storedRef(Storage& object) {
    return const_cast<T&>(storedRef<T>(static_cast<const Storage&>(object)));
}

template <typename T> void constructValue(Storage& destination, const T& value) {
    if constexpr (fitsInWord<T>) {
        destination.heap = nullptr;
        ::new (static_cast<void*>(destination.inWord)) T(value);
    } else {
        destination.heap = new T(value);
    }
}

template <typename T> void assignValue(Storage& destination, const T& value) {
    T& target = storedRef<T>(destination);
    if constexpr (mayHoldVariants<T>) {
        // The source may live inside the target: copy it whole before the old value goes.
        T copy(value);
        target = std::move(copy);
    } else {
        target = value;
    }
}

template <typename T> void destroyValue(Storage& object) {
    if constexpr (!fitsInWord<T>)
        delete static_cast<T*>(object.heap);
    object.heap = nullptr;
}

template <typename T> void cloneValue(const Storage& source, Storage& destination) {
    constructValue<T>(destination, storedRef<T>(source));
}

template <typename T> void copyValue(const Storage& source, Storage& destination) {
    assignValue<T>(destination, storedRef<T>(source));
}

template <typename T> bool lessValue(const Storage& left, const Storage& right) {
    const T& a = storedRef<T>(left);
    const T& b = storedRef<T>(right);
    if constexpr (isSharedPtr<T>::value || isWeakPtr<T>::value)
        return std::owner_less<T>()(a, b);  // by owner: the control blocks' addresses
    else if constexpr (hasLess<T>::value)
        return a < b;
    else
        return false;  // a type without an order: all its values are equivalent
}

template <typename T> const std::type_info& storedTypeOf() { return typeid(T); }

// The markers hold nothing: nothing to release or copy, and all their values are equivalent.
inline void markerDestroy(Storage&) {}
inline void markerCopy(const Storage&, Storage&) {}
inline bool markerLess(const Storage&, const Storage&) { return false; }

/// The one table of operations of type T; two variants hold the same type exactly when they
/// point at the same table.
template <typename T>
inline constexpr TypeOps typeOpsFor = {&storedTypeOf<T>, &destroyValue<T>, &cloneValue<T>, &copyValue<T>,
                                       &lessValue<T>};
template <>
inline constexpr TypeOps typeOpsFor<empty> = {&storedTypeOf<empty>, &markerDestroy, &markerCopy, &markerCopy,
                                              &markerLess};
template <>
inline constexpr TypeOps typeOpsFor<null> = {&storedTypeOf<null>, &markerDestroy, &markerCopy, &markerCopy,
                                             &markerLess};

template <typename T> inline constexpr bool isNarrowCText =
    std::is_same_v<std::decay_t<T>, const char*> || std::is_same_v<std::decay_t<T>, char*>;
template <typename T> inline constexpr bool isWideCText =
    std::is_same_v<std::decay_t<T>, const wchar_t*> || std::is_same_v<std::decay_t<T>, wchar_t*>;

/// A shared pointer to a class derived from one of the script types, as the base pointer type
/// that the rest of the system looks for.
template <typename P> auto asBasePointer(const std::shared_ptr<P>& pointer) {
    using U = std::remove_cv_t<P>;
    if constexpr (std::is_same_v<U, JSObject> || std::is_same_v<U, JSAPI> || std::is_same_v<U, script_error>)
        return pointer;
    else if constexpr (std::is_base_of_v<JSObject, U>)
        return std::shared_ptr<JSObject>(pointer);
    else if constexpr (std::is_base_of_v<JSAPI, U>)
        return std::shared_ptr<JSAPI>(pointer);
    else if constexpr (std::is_base_of_v<script_error, U>)
        return std::shared_ptr<script_error>(pointer);
    else
        return pointer;
}

template <typename T> struct converter;   // specialised per target type (variant_conversions.h and others)
template <typename T> struct convertible; // specialised per target type where a test is offered

} // namespace variant_detail

/// The public names of the two markers.
using FBVoid = variant_detail::empty;
using FBNull = variant_detail::null;

/// One value of any copyable type, with the operations of its type; owns what it holds.
class variant {
public:
    /// Empty.
    variant() noexcept = default;
    variant(const variant& other);
    variant(variant&& other) noexcept;
    /// A copy of \p value: C text as std::string/std::wstring, a null script object pointer as null,
    /// a pointer to a derived script type as the base pointer type.
    template <typename T> variant(const T& value) { setFrom(value, true); }
    ~variant();

    variant& operator=(const variant& other);
    variant& operator=(variant&& other) noexcept;

    /// Replaces the value with a copy of \p value (C text and derived pointers stored as above).
    template <typename T> void setValue(const T& value) { setFrom(value, false); }

    /// The stored type (for the markers, the marker type).
    const std::type_info& storedType() const { return m_table->storedType(); }
    /// True for no value (script undefined).
    bool isEmpty() const { return m_table == &variant_detail::typeOpsFor<variant_detail::empty>; }
    /// True for script null.
    bool isNull() const { return m_table == &variant_detail::typeOpsFor<variant_detail::null>; }

    /// The stored T itself; throws bad_variant_cast unless T is exactly the stored type.
    template <typename T> const T& exactCast() const {
        if (storedType() != typeid(T))
            throw bad_variant_cast(storedType(), typeid(T));
        return variant_detail::storedRef<T>(m_object);
    }

    /// The value read as T by the fixed conversion rules; throws bad_variant_cast when it cannot be.
    template <typename T> T convertTo() const { return variant_detail::converter<T>::convert(*this); }

    /// Whether convertTo<T> would succeed, for the targets that offer the test.
    template <typename T> bool canConvertTo() const { return variant_detail::convertible<T>::test(*this); }

    /// Values group by type (in the order of the types' names), then by the type's own order.
    bool operator<(const variant& other) const;

private:
    template <typename T> void setFrom(const T& value, bool nullForEmptyPointer) {
        if constexpr (std::is_array_v<T>) {
            using Element = std::remove_cv_t<std::remove_extent_t<T>>;
            static_assert(std::is_same_v<Element, char> || std::is_same_v<Element, wchar_t>,
                          "only text arrays can be stored; they become std::string or std::wstring");
            setFrom(static_cast<const std::remove_extent_t<T>*>(value), nullForEmptyPointer);
        } else if constexpr (variant_detail::isNarrowCText<T> || variant_detail::isWideCText<T>) {
            if (!value)
                store(variant_detail::null());
            else if constexpr (variant_detail::isNarrowCText<T>)
                store(std::string(value));
            else
                store(std::wstring(value));
        } else if constexpr (variant_detail::isSharedPtr<T>::value) {
            auto base = variant_detail::asBasePointer(value);
            using Base = typename decltype(base)::element_type;
            constexpr bool scriptObject = std::is_same_v<Base, JSObject> || std::is_same_v<Base, JSAPI>;
            if (scriptObject && nullForEmptyPointer && !base)
                store(variant_detail::null());
            else
                store(base);
        } else {
            store(value);
        }
    }

    template <typename T> void store(const T& value) {
        const variant_detail::TypeOps* table = &variant_detail::typeOpsFor<T>;
        if (m_table == table) {
            variant_detail::assignValue<T>(m_object, value);
            return;
        }
        replaceWith(table, [&value](variant_detail::Storage& fresh) {
            variant_detail::constructValue<T>(fresh, value);
        });
    }

    // Builds the new value before releasing the old one, since the new value may live inside
    // the old (an element of a stored container); a failed build still leaves the value empty.
    template <typename Construct>
    void replaceWith(const variant_detail::TypeOps* table, Construct construct) {
        variant_detail::Storage fresh;
        fresh.heap = nullptr;
        try {
            construct(fresh);
        } catch (...) {
            reset();
            throw;
        }
        reset();
        m_object = fresh;
        m_table = table;
    }

    void reset() noexcept;

    const variant_detail::TypeOps* m_table = &variant_detail::typeOpsFor<variant_detail::empty>;
    variant_detail::Storage m_object{nullptr};
};

/// A one-argument list holding a copy of \p value.
VariantArray makeVariantArray(variant value);

} // namespace FB

#include "plugin/scripting/variant_conversions.h"

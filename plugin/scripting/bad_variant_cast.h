// The exception of every failed read of a script value as another type.
#pragma once

#include <typeinfo>

namespace FB {

/// Readable (demangled) name of \p type; the text stays valid for the life of the process.
const char* readableTypeName(const std::type_info& type);

/// A script value that could not be read as the requested type; what() is "bad cast".
class bad_variant_cast : public std::bad_cast {
public:
    /// Records the readable names of the stored type \p source and the requested type \p target.
    bad_variant_cast(const std::type_info& source, const std::type_info& target);
    bad_variant_cast(const bad_variant_cast& other) = default;
    bad_variant_cast& operator=(const bad_variant_cast& other) = default;
    ~bad_variant_cast() override;

    /// "bad cast".
    const char* what() const noexcept override;

    /// Readable name of the type the value held.
    const char* sourceType;
    /// Readable name of the type asked for.
    const char* targetType;
};

} // namespace FB

// Reading a script value as a number, text, truth value or optional text by fixed rules.
#pragma once

#include <optional>
#include <string>

namespace FB {
class variant;

namespace variant_detail {

/// Numbers between all numeric types, range-checked, and numbers parsed from text.
template <typename T> struct numericConverter {
    static T convert(const variant& value);
};

template <> struct converter<long> : numericConverter<long> {};
template <> struct converter<int> : numericConverter<int> {};
template <> struct converter<short> : numericConverter<short> {};
template <> struct converter<unsigned short> : numericConverter<unsigned short> {};
template <> struct converter<unsigned int> : numericConverter<unsigned int> {};
template <> struct converter<unsigned long> : numericConverter<unsigned long> {};
template <> struct converter<long long> : numericConverter<long long> {};
template <> struct converter<unsigned long long> : numericConverter<unsigned long long> {};
template <> struct converter<float> : numericConverter<float> {};
template <> struct converter<double> : numericConverter<double> {};

/// Narrow (UTF-8) text written from the value.
template <> struct converter<std::string> {
    static std::string convert(const variant& value);
};

/// Wide (UTF-16) text written from the value.
template <> struct converter<std::wstring> {
    static std::wstring convert(const variant& value);
};

/// The value's truth: a truth word, or a number that is not zero.
template <> struct converter<bool> {
    static bool convert(const variant& value);
};

/// No text for empty and null, else the value as narrow text.
template <> struct converter<std::optional<std::string>> {
    static std::optional<std::string> convert(const variant& value);
};

} // namespace variant_detail
} // namespace FB

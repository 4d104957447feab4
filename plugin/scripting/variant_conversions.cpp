// Reading a script value as a number, text, truth value or optional text by fixed rules.
#include "plugin/scripting/variant.h"

#include <cmath>
#include <sstream>

#include <boost/numeric/conversion/cast.hpp>

#include "plugin/scripting/utf8_tools.h"

namespace FB {
namespace variant_detail {
namespace {

/// When the value holds the number type S: the value as T, range-checked, into \p out.
template <typename T, typename S> bool numberAs(const variant& value, T& out) {
    if (value.storedType() != typeid(S))
        return false;
    const S& number = value.exactCast<S>();
    if constexpr (std::is_floating_point_v<S> && std::is_integral_v<T>) {
        // A NaN passes every range test and its truncation is undefined: refuse it.
        if (std::isnan(number))
            throw bad_variant_cast(typeid(S), typeid(T));
    }
    try {
        out = boost::numeric_cast<T>(number);
    } catch (const boost::numeric::bad_numeric_cast&) {
        throw bad_variant_cast(typeid(S), typeid(T));
    }
    return true;
}

/// One stream extraction into a T; the longest valid prefix after leading blanks.
template <typename T, typename Text> T parsedAs(const Text& text) {
    std::basic_istringstream<typename Text::value_type> in(text);
    T parsed{};
    in >> parsed;
    if (in.fail() || in.bad())
        throw bad_variant_cast(typeid(Text), typeid(T));
    return parsed;
}

/// When the value holds S: writes it to \p out with the stream's default formatting.
template <typename S, typename Stream> bool writtenAs(const variant& value, Stream& out) {
    if (value.storedType() != typeid(S))
        return false;
    out << value.exactCast<S>();
    return true;
}

/// Lower-cases only A-Z; other units, bytes of UTF-8 sequences included, stay as they are.
template <typename Char> std::basic_string<Char> asciiLowered(std::basic_string<Char> text) {
    for (Char& unit : text) {
        if (unit >= Char('A') && unit <= Char('Z'))
            unit = static_cast<Char>(unit - Char('A') + Char('a'));
    }
    return text;
}

template <typename Char> bool isTruthWord(const std::basic_string<Char>& text) {
    static const char* const words[] = {"y", "1", "yes", "true", "t"};
    const std::basic_string<Char> lowered = asciiLowered(text);
    for (const char* word : words) {
        if (lowered == std::basic_string<Char>(word, word + std::char_traits<char>::length(word)))
            return true;
    }
    return false;
}

} // namespace

template <typename T> T numericConverter<T>::convert(const variant& value) {
    if (value.storedType() == typeid(T))
        return value.exactCast<T>();
    T out{};
    if (numberAs<T, char>(value, out) || numberAs<T, unsigned char>(value, out) ||
        numberAs<T, short>(value, out) || numberAs<T, unsigned short>(value, out) ||
        numberAs<T, int>(value, out) || numberAs<T, unsigned int>(value, out) ||
        numberAs<T, long>(value, out) || numberAs<T, unsigned long>(value, out) ||
        numberAs<T, long long>(value, out) || numberAs<T, unsigned long long>(value, out) ||
        numberAs<T, float>(value, out) || numberAs<T, double>(value, out))
        return out;
    if (value.storedType() == typeid(bool))
        return value.exactCast<bool>() ? T(1) : T(0);
    if (value.storedType() == typeid(std::string))
        return parsedAs<T>(value.exactCast<std::string>());
    if (value.storedType() == typeid(std::wstring))
        return parsedAs<T>(value.exactCast<std::wstring>());
    throw bad_variant_cast(value.storedType(), typeid(T));
}

template struct numericConverter<long>;
template struct numericConverter<int>;
template struct numericConverter<short>;
template struct numericConverter<unsigned short>;
template struct numericConverter<unsigned int>;
template struct numericConverter<unsigned long>;
template struct numericConverter<long long>;
template struct numericConverter<unsigned long long>;
template struct numericConverter<float>;
template struct numericConverter<double>;

std::string converter<std::string>::convert(const variant& value) {
    const std::type_info& stored = value.storedType();
    if (stored == typeid(std::string))
        return value.exactCast<std::string>();
    if (stored == typeid(bool))
        return value.exactCast<bool>() ? "true" : "false";
    if (stored == typeid(std::wstring))
        return wideToUtf8(value.exactCast<std::wstring>());
    // The byte itself, not its number.
    if (stored == typeid(char))
        return std::string(1, value.exactCast<char>());
    if (stored == typeid(unsigned char))
        return std::string(1, static_cast<char>(value.exactCast<unsigned char>()));

    std::ostringstream out;
    const bool written = writtenAs<double>(value, out) || writtenAs<float>(value, out) ||
                         writtenAs<int>(value, out) || writtenAs<unsigned int>(value, out) ||
                         writtenAs<long>(value, out) || writtenAs<unsigned long>(value, out) ||
                         writtenAs<short>(value, out) || writtenAs<unsigned short>(value, out) ||
                         writtenAs<long long>(value, out) || writtenAs<unsigned long long>(value, out);
    if (!written || out.fail() || out.bad())
        throw bad_variant_cast(stored, typeid(std::string));
    return out.str();
}

std::wstring converter<std::wstring>::convert(const variant& value) {
    const std::type_info& stored = value.storedType();
    if (stored == typeid(std::wstring))
        return value.exactCast<std::wstring>();
    if (stored == typeid(bool))
        return value.exactCast<bool>() ? L"true" : L"false";
    if (stored == typeid(std::string))
        return utf8ToWide(value.exactCast<std::string>());

    // A char is written as the (widened) character, an unsigned char as its number; 64-bit
    // integers have no wide form.
    std::wostringstream out;
    bool written = writtenAs<double>(value, out) || writtenAs<float>(value, out) || writtenAs<int>(value, out) ||
                   writtenAs<unsigned int>(value, out) || writtenAs<long>(value, out) ||
                   writtenAs<unsigned long>(value, out) || writtenAs<short>(value, out) ||
                   writtenAs<unsigned short>(value, out) || writtenAs<char>(value, out);
    if (!written && stored == typeid(unsigned char)) {
        out << static_cast<unsigned int>(value.exactCast<unsigned char>());
        written = true;
    }
    if (!written || out.fail() || out.bad())
        throw bad_variant_cast(stored, typeid(std::wstring));
    return out.str();
}

bool converter<bool>::convert(const variant& value) {
    const std::type_info& stored = value.storedType();
    if (stored == typeid(bool))
        return value.exactCast<bool>();
    if (stored == typeid(std::string))
        return isTruthWord(value.exactCast<std::string>());
    if (stored == typeid(std::wstring))
        return isTruthWord(value.exactCast<std::wstring>());
    return value.convertTo<long>() != 0;
}

std::optional<std::string> converter<std::optional<std::string>>::convert(const variant& value) {
    if (value.isEmpty() || value.isNull())
        return std::nullopt;
    return value.convertTo<std::string>();
}

} // namespace variant_detail
} // namespace FB

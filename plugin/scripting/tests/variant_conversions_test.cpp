// Tests of reading a script value as a number, text, truth value or optional text.
#include "plugin/scripting/variant.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace {

using FB::variant;
using FB::VariantArray;

template <typename T> variant convertedTo(const variant& value) { return variant(value.convertTo<T>()); }

struct NumericCase {
    const char* label;
    variant source;
    variant (*convert)(const variant&);
    variant expected;  // empty: the conversion must fail
    const std::type_info* failTarget;
};

NumericCase ok(const char* label, variant source, variant (*convert)(const variant&), variant expected) {
    return {label, std::move(source), convert, std::move(expected), nullptr};
}
template <typename T> NumericCase fails(const char* label, variant source) {
    return {label, std::move(source), &convertedTo<T>, variant(), &typeid(T)};
}

TEST(VariantConversion, NumbersBySourceValueAndTarget) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const NumericCase cases[] = {
        ok("same type", 5L, &convertedTo<long>, 5L),
        // Floating to integer: the bounds are min - 1 and max + 1 in the source's type.
        fails<long>("float -2^31 rounds the lower bound onto itself", -2147483648.0f),
        ok("double -2^31", -2147483648.0, &convertedTo<long>, -2147483647L - 1),
        ok("double just above min - 1", -2147483648.9, &convertedTo<long>, -2147483647L - 1),
        fails<long>("double min - 1", -2147483649.0),
        fails<int>("double 2^31", 2147483648.0),
        fails<int>("float 2^31", 2147483648.0f),
        ok("largest float below 2^31", 2147483520.0f, &convertedTo<int>, 2147483520),
        ok("double just below 2^31", 2147483647.9, &convertedTo<int>, 2147483647),
        ok("half above long max truncates", 2147483647.5, &convertedTo<long>, 2147483647L),
        ok("-0.5 to unsigned short", -0.5, &convertedTo<unsigned short>, static_cast<unsigned short>(0)),
        ok("-0.9 to unsigned long", -0.9, &convertedTo<unsigned long>, 0UL),
        fails<unsigned long>("-1.0 to unsigned long", -1.0),
        ok("4294967295.5 to unsigned int", 4294967295.5, &convertedTo<unsigned int>, 4294967295U),
        fails<unsigned int>("2^32 to unsigned int", 4294967296.0),
        ok("65535.9 to unsigned short", 65535.9, &convertedTo<unsigned short>, static_cast<unsigned short>(65535)),
        fails<unsigned short>("65536.0 to unsigned short", 65536.0),
        ok("32767.9 to short", 32767.9, &convertedTo<short>, static_cast<short>(32767)),
        ok("-32768.9 to short", -32768.9f, &convertedTo<short>, static_cast<short>(-32768)),
        fails<short>("32768 to short", 32768.0),
        fails<short>("-32769 to short", -32769.0),
        fails<long long>("float -2^63", -9223372036854775808.0f),
        // -2^63 - 1 rounds to -2^63 in a double as well, so -2^63 itself fails.
        fails<long long>("double -2^63", -9223372036854775808.0),
        fails<long long>("double 2^63", 9223372036854775808.0),
        fails<unsigned long long>("2^64", 18446744073709551616.0),
        ok("double 2^62 to long long", 4611686018427387904.0, &convertedTo<long long>, 4611686018427387904LL),
        fails<long>("NaN to long", nan),
        fails<int>("float NaN to int", std::numeric_limits<float>::quiet_NaN()),
        fails<unsigned long long>("NaN to unsigned long long", nan),
        fails<long>("infinity to long", std::numeric_limits<double>::infinity()),
        // Integer to integer: within the target's range only.
        fails<unsigned int>("-1 to unsigned int", -1),
        fails<unsigned long>("long -1 to unsigned long", -1L),
        fails<unsigned long long>("long long -1 to unsigned long long", -1LL),
        fails<long>("unsigned long long 2^32 to long", 4294967296ULL),
        fails<unsigned short>("65536 to unsigned short", 65536),
        ok("65535 to unsigned short", 65535, &convertedTo<unsigned short>, static_cast<unsigned short>(65535)),
        fails<long>("unsigned long above long max", 2147483648UL),
        ok("unsigned long at long max", 2147483647UL, &convertedTo<long>, 2147483647L),
        fails<long long>("unsigned long long 2^63", 9223372036854775808ULL),
        ok("unsigned long long 2^63 - 1", 9223372036854775807ULL, &convertedTo<long long>, 9223372036854775807LL),
        fails<int>("long long min to int", std::numeric_limits<long long>::min()),
        fails<unsigned short>("char -1 to unsigned short", static_cast<char>(-1)),
        ok("char to int", 'A', &convertedTo<int>, 65),
        ok("unsigned char to short", static_cast<unsigned char>(200), &convertedTo<short>, static_cast<short>(200)),
        // To floating point: integers never fail; double to float only beyond the largest float.
        ok("int to double", 7, &convertedTo<double>, 7.0),
        ok("2^53 + 1 rounds to nearest", 9007199254740993LL, &convertedTo<double>, 9007199254740992.0),
        ok("float to double", 0.5f, &convertedTo<double>, 0.5),
        fails<float>("1e39 to float", 1e39),
        ok("largest float", 3.4028234663852886e+38, &convertedTo<float>, 3.4028234663852886e+38f),
        fails<float>("-1e39 to float", -1e39),
        fails<float>("infinity to float", std::numeric_limits<double>::infinity()),
        // Truth values.
        ok("true to double", true, &convertedTo<double>, 1.0),
        ok("false to unsigned long", false, &convertedTo<unsigned long>, 0UL),
        // Text: one stream extraction, leading blanks skipped, the rest ignored.
        ok("text 42", "42", &convertedTo<int>, 42),
        ok("text leading blank", " 12abc", &convertedTo<int>, 12),
        fails<int>("text abc", "abc"),
        fails<int>("empty text", ""),
        fails<long>("text beyond long", "99999999999"),
        fails<short>("text beyond short", "40000"),
        ok("text 4.7 to int", "4.7", &convertedTo<int>, 4),
        ok("text 4.7 to double", "4.7", &convertedTo<double>, 4.7),
        ok("text 1e3 to int", "1e3", &convertedTo<int>, 1),
        ok("text 1e3 to double", "1e3", &convertedTo<double>, 1000.0),
        ok("text to long long", "-9000000000", &convertedTo<long long>, -9000000000LL),
        ok("wide text", std::wstring(L" 7"), &convertedTo<unsigned long>, 7UL),
        ok("wide text to float", std::wstring(L"2.5"), &convertedTo<float>, 2.5f),
        fails<int>("wide text abc", std::wstring(L"abc")),
        // Values that are no number.
        fails<long>("empty", variant()),
        fails<double>("null", FB::FBNull()),
        fails<int>("array", VariantArray{1}),
        fails<long>("error pointer", FB::ScriptErrorPtr()),
    };
    for (const NumericCase& c : cases) {
        SCOPED_TRACE(c.label);
        if (!c.failTarget) {
            const variant result = c.convert(c.source);
            EXPECT_TRUE(result.storedType() == c.expected.storedType()) << result.storedType().name();
            EXPECT_FALSE(result < c.expected || c.expected < result);
            continue;
        }
        try {
            c.convert(c.source);
            ADD_FAILURE() << "conversion should fail";
        } catch (const FB::bad_variant_cast& e) {
            EXPECT_STREQ(FB::readableTypeName(c.source.storedType()), e.sourceType);
            EXPECT_STREQ(FB::readableTypeName(*c.failTarget), e.targetType);
        }
    }
}

TEST(VariantConversion, NarrowAgainstWideText) {
    struct Case {
        const char* label;
        variant source;
        const char* narrow;     // null: fails
        const wchar_t* wide;    // null: fails
    };
    const Case cases[] = {
        {"string", "abc", "abc", L"abc"},
        {"UTF-8 string", "\xC3\xA9\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80", L"\u00E9\xD83D\xDE00"},
        {"wstring", std::wstring(L"\u00E9"), "\xC3\xA9", L"\u00E9"},
        {"double 0.1", 0.1, "0.1", L"0.1"},
        {"double 100000", 100000.0, "100000", L"100000"},
        {"double 3", 3.0, "3", L"3"},
        {"six significant digits", 2.0 / 3.0, "0.666667", L"0.666667"},
        {"float", 2.5f, "2.5", L"2.5"},
        {"int", -7, "-7", L"-7"},
        {"unsigned int", 4000000000U, "4000000000", L"4000000000"},
        {"bool true", true, "true", L"true"},
        {"bool false", false, "false", L"false"},
        {"long", -2147483647L - 1, "-2147483648", L"-2147483648"},
        {"unsigned long", 4294967295UL, "4294967295", L"4294967295"},
        {"short", static_cast<short>(-12), "-12", L"-12"},
        {"unsigned short", static_cast<unsigned short>(65535), "65535", L"65535"},
        // A char is the character both ways; an unsigned char is a character as narrow text
        // but a number as wide text.
        {"char", 'A', "A", L"A"},
        {"unsigned char 65", static_cast<unsigned char>(65), "A", L"65"},
        {"unsigned char 200", static_cast<unsigned char>(200), "\xC8", L"200"},
        // 64-bit integers have a narrow form only.
        {"long long", -9000000000LL, "-9000000000", nullptr},
        {"unsigned long long", 18446744073709551615ULL, "18446744073709551615", nullptr},
        {"empty", variant(), nullptr, nullptr},
        {"null", FB::FBNull(), nullptr, nullptr},
        {"array", VariantArray{"a"}, nullptr, nullptr},
        {"error pointer", FB::ScriptErrorPtr(), nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.narrow) {
            EXPECT_EQ(c.narrow, c.source.convertTo<std::string>());
        } else {
            try {
                c.source.convertTo<std::string>();
                ADD_FAILURE() << "narrow text should fail";
            } catch (const FB::bad_variant_cast& e) {
                EXPECT_STREQ(FB::readableTypeName(c.source.storedType()), e.sourceType);
                EXPECT_STREQ(FB::readableTypeName(typeid(std::string)), e.targetType);
            }
        }
        if (c.wide) {
            EXPECT_EQ(c.wide, c.source.convertTo<std::wstring>());
        } else {
            try {
                c.source.convertTo<std::wstring>();
                ADD_FAILURE() << "wide text should fail";
            } catch (const FB::bad_variant_cast& e) {
                EXPECT_STREQ(FB::readableTypeName(c.source.storedType()), e.sourceType);
                EXPECT_STREQ(FB::readableTypeName(typeid(std::wstring)), e.targetType);
            }
        }
    }
}

TEST(VariantConversion, LargeDoublesUseTheExponentForm) {
    // The C library decides the exponent's digits: at least two, some libraries write three.
    const std::string million = variant(1000000.0).convertTo<std::string>();
    EXPECT_TRUE(million == "1e+06" || million == "1e+006") << million;
    const std::string rounded = variant(1234567.0).convertTo<std::string>();
    EXPECT_TRUE(rounded == "1.23457e+06" || rounded == "1.23457e+006") << rounded;
}

TEST(VariantConversion, TruthValues) {
    struct Case {
        const char* label;
        variant source;
        bool expected;
    };
    const Case cases[] = {
        {"true", true, true},
        {"false", false, false},
        {"TRUE", "TRUE", true},
        {"tRuE", "tRuE", true},
        {"y", "y", true},
        {"Yes", "Yes", true},
        {"1", "1", true},
        {"T", "T", true},
        {"no", "no", false},
        {"0", "0", false},
        {"2 is no truth word", "2", false},
        {"empty text", "", false},
        {"trailing blank", "true ", false},
        {"non-ASCII bytes", "\xD0\xA2\xC3\x89", false},
        {"wide YES", std::wstring(L"YES"), true},
        {"wide t", std::wstring(L"t"), true},
        {"wide false", std::wstring(L"false"), false},
        // Only A-Z are lowered: a unit whose low byte is 'T' is not the letter.
        {"wide U+0154 looks like T in its low byte", std::wstring(L"\u0154"), false},
        {"wide U+0174 has the low byte of t", std::wstring(L"\u0174"), false},
        {"int 2", 2, true},
        {"int 0", 0, false},
        {"0.5 truncates to 0", 0.5, false},
        {"-1.5", -1.5, true},
        {"unsigned long", 2147483647UL, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, c.source.convertTo<bool>());
    }
    // Anything else is read as long first, and fails as that.
    const variant noTruth[] = {variant(), FB::FBNull(), VariantArray{}, 4294967296LL, 4294967295UL,
                               std::numeric_limits<double>::quiet_NaN()};
    for (const variant& value : noTruth) {
        SCOPED_TRACE(value.storedType().name());
        try {
            value.convertTo<bool>();
            ADD_FAILURE() << "should fail";
        } catch (const FB::bad_variant_cast& e) {
            EXPECT_STREQ(FB::readableTypeName(typeid(long)), e.targetType);
        }
    }
}

TEST(VariantConversion, OptionalText) {
    EXPECT_FALSE(variant().convertTo<std::optional<std::string>>().has_value());
    EXPECT_FALSE(variant(FB::FBNull()).convertTo<std::optional<std::string>>().has_value());
    EXPECT_EQ(std::optional<std::string>("5"), variant(5).convertTo<std::optional<std::string>>());
    EXPECT_EQ(std::optional<std::string>(""), variant("").convertTo<std::optional<std::string>>());
    EXPECT_THROW(variant(VariantArray{}).convertTo<std::optional<std::string>>(), FB::bad_variant_cast);
}

TEST(VariantConversion, FailureLeavesTheValueAsItWas) {
    const variant text("abc");
    EXPECT_THROW(text.convertTo<int>(), FB::bad_variant_cast);
    EXPECT_EQ("abc", text.exactCast<std::string>());
}

} // namespace

// Tests of FB::variant: what construction stores, exact casts, ownership through copies and
// assignment, the order of values and the cast error.
#include "plugin/scripting/variant.h"

#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

namespace {

using FB::variant;
using FB::VariantArray;
using FB::VariantDictionary;

bool equivalent(const variant& a, const variant& b) { return !(a < b) && !(b < a); }

TEST(Variant, ConstructionStoresTheCanonicalType) {
    const char* cText = "abc";
    char mutableText[] = "def";
    const char* nullText = nullptr;
    const wchar_t* wideText = L"wide";
    struct Case {
        const char* label;
        variant value;
        const std::type_info& expected;
    };
    const Case cases[] = {
        {"default", variant(), typeid(FB::variant_detail::empty)},
        {"void marker", variant(FB::FBVoid()), typeid(FB::variant_detail::empty)},
        {"null marker", variant(FB::FBNull()), typeid(FB::variant_detail::null)},
        {"int", variant(1), typeid(int)},
        {"long", variant(1L), typeid(long)},
        {"unsigned long", variant(1UL), typeid(unsigned long)},
        {"long long", variant(1LL), typeid(long long)},
        {"unsigned long long", variant(1ULL), typeid(unsigned long long)},
        {"double", variant(1.0), typeid(double)},
        {"bool", variant(true), typeid(bool)},
        {"std::string", variant(std::string("x")), typeid(std::string)},
        {"std::wstring", variant(std::wstring(L"x")), typeid(std::wstring)},
        // C text is never kept as a pointer into the caller's memory.
        {"literal", variant("abc"), typeid(std::string)},
        {"const char*", variant(cText), typeid(std::string)},
        {"char*", variant(static_cast<char*>(mutableText)), typeid(std::string)},
        {"wide literal", variant(L"abc"), typeid(std::wstring)},
        {"const wchar_t*", variant(wideText), typeid(std::wstring)},
        {"null const char*", variant(nullText), typeid(FB::variant_detail::null)},
        {"null JSAPI pointer", variant(FB::JSAPIPtr()), typeid(FB::variant_detail::null)},
        {"null JSObject pointer", variant(FB::JSObjectPtr()), typeid(FB::variant_detail::null)},
        {"derived error pointer", variant(std::make_shared<FB::invalid_member>("m")), typeid(FB::ScriptErrorPtr)},
        {"array", variant(VariantArray{1, 2}), typeid(VariantArray)},
        {"dictionary", variant(VariantDictionary{{"a", 1}}), typeid(VariantDictionary)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_TRUE(c.value.storedType() == c.expected) << c.value.storedType().name();
    }
    EXPECT_TRUE(variant().isEmpty());
    EXPECT_FALSE(variant().isNull());
    EXPECT_TRUE(variant(FB::FBNull()).isNull());
    EXPECT_FALSE(variant(FB::FBNull()).isEmpty());
    EXPECT_EQ("abc", variant(cText).exactCast<std::string>());
    EXPECT_EQ(L"abc", variant(L"abc").exactCast<std::wstring>());
}

TEST(Variant, TextIsCopiedNotReferenced) {
    char text[] = "abc";
    variant value(static_cast<const char*>(text));
    text[0] = 'X';
    EXPECT_EQ("abc", value.exactCast<std::string>());
}

TEST(Variant, ScriptErrorPointerKeptAsGivenBySetValue) {
    variant value(5);
    value.setValue(FB::ScriptErrorPtr());
    EXPECT_TRUE(value.storedType() == typeid(FB::ScriptErrorPtr));
    EXPECT_FALSE(value.exactCast<FB::ScriptErrorPtr>());

    auto error = std::make_shared<FB::invalid_arguments>();
    value.setValue(error);
    EXPECT_EQ(error.get(), value.exactCast<FB::ScriptErrorPtr>().get());
    EXPECT_EQ(2, error.use_count());
}

TEST(Variant, ExactCastNeverConverts) {
    const variant number(5);
    EXPECT_EQ(5, number.exactCast<int>());
    try {
        number.exactCast<long>();
        FAIL() << "an int read as long must fail";
    } catch (const FB::bad_variant_cast& e) {
        EXPECT_STREQ("int", e.sourceType);
        EXPECT_STREQ("long", e.targetType);
        EXPECT_STREQ("bad cast", e.what());
        const std::bad_cast& asBase = e;
        EXPECT_STREQ("bad cast", asBase.what());
    }
    EXPECT_THROW(variant(std::string("x")).exactCast<std::wstring>(), FB::bad_variant_cast);
    EXPECT_THROW(variant().exactCast<int>(), FB::bad_variant_cast);
    EXPECT_THROW(variant(1.0).exactCast<float>(), FB::bad_variant_cast);
}

TEST(Variant, CastErrorNamesAreReadableAndOutliveTheError) {
    const char* source = nullptr;
    const char* target = nullptr;
    {
        FB::bad_variant_cast error(typeid(VariantArray), typeid(FB::ScriptErrorPtr));
        FB::bad_variant_cast copy(error);
        EXPECT_EQ(error.sourceType, copy.sourceType);
        source = error.sourceType;
        target = error.targetType;
    }
    // Readable: the demangled spelling, not the platform's mangled one.
    EXPECT_EQ(0, std::string(source).rfind("std::vector<FB::variant", 0)) << source;
    EXPECT_EQ(0, std::string(target).rfind("std::shared_ptr<FB::script_error>", 0)) << target;
    // Interned: the same text for every later error about the same type.
    EXPECT_EQ(source, FB::bad_variant_cast(typeid(VariantArray), typeid(int)).sourceType);
    EXPECT_STRNE(FB::readableTypeName(typeid(std::string)), FB::readableTypeName(typeid(std::wstring)));
}

// Four bytes like a pointer, but with a copy and a destructor that must run: it may not live in
// the variant's word.
struct Tracked {
    static int alive;
    int tag;
    explicit Tracked(int t) : tag(t) { ++alive; }
    Tracked(const Tracked& other) : tag(other.tag) { ++alive; }
    Tracked& operator=(const Tracked& other) = default;
    ~Tracked() { --alive; }
    bool operator<(const Tracked& other) const { return tag < other.tag; }
};
int Tracked::alive = 0;

TEST(Variant, OnlyTrivialPointerSizedTypesLiveInTheWord) {
    static_assert(sizeof(Tracked) == sizeof(void*), "the case needs a pointer-sized type");
    static_assert(FB::variant_detail::fitsInWord<long> && FB::variant_detail::fitsInWord<bool>, "");
    static_assert(!FB::variant_detail::fitsInWord<Tracked>, "");
    static_assert(!FB::variant_detail::fitsInWord<double>, "");
    ASSERT_EQ(0, Tracked::alive);
    {
        variant value(Tracked(7));
        variant copy(value);
        EXPECT_EQ(2, Tracked::alive);
        EXPECT_EQ(7, copy.exactCast<Tracked>().tag);
        copy = 3;  // replacing the value must destroy it
        EXPECT_EQ(1, Tracked::alive);
    }
    EXPECT_EQ(0, Tracked::alive);
}

TEST(Variant, CopiesShareObjectsAndAssignmentMovesCountsByOne) {
    auto first = std::make_shared<FB::script_error>("first");
    auto second = std::make_shared<FB::script_error>("second");
    std::weak_ptr<FB::script_error> firstSeen = first, secondSeen = second;
    {
        variant a(first), b(second);
        EXPECT_EQ(2, firstSeen.use_count());

        variant c(a);
        EXPECT_EQ(3, firstSeen.use_count());
        EXPECT_TRUE(equivalent(a, c));

        b = a;  // same stored type: the old object drops by one, the new one rises by one
        EXPECT_EQ(4, firstSeen.use_count());
        EXPECT_EQ(1, secondSeen.use_count());

        a = a;
        EXPECT_EQ(4, firstSeen.use_count());
        EXPECT_EQ(first.get(), a.exactCast<FB::ScriptErrorPtr>().get());

        c = std::string("text");  // another type: the pointer is released
        EXPECT_EQ(3, firstSeen.use_count());
    }
    EXPECT_EQ(1, firstSeen.use_count());
    first.reset();
    second.reset();
    EXPECT_TRUE(firstSeen.expired());
    EXPECT_TRUE(secondSeen.expired());
}

TEST(Variant, SelfAssignmentLeavesEveryKindUnchanged) {
    auto error = std::make_shared<FB::script_error>("e");
    std::weak_ptr<FB::script_error> seen = error;
    variant values[] = {variant(std::string("text")), variant(VariantArray{1, "two"}),
                        variant(VariantDictionary{{"k", 2.5}}), variant(error), variant(7L)};
    for (variant& value : values) {
        SCOPED_TRACE(value.storedType().name());
        const variant before(value);
        variant& alias = value;
        value = alias;
        EXPECT_TRUE(equivalent(before, value));
        EXPECT_TRUE(before.storedType() == value.storedType());
    }
    EXPECT_EQ(2, seen.use_count());  // the local pointer and values[3]; the loop's copies are gone
}

TEST(Variant, AssigningAValueThatLivesInsideTheTarget) {
    auto error = std::make_shared<FB::script_error>("inner");
    std::weak_ptr<FB::script_error> seen = error;

    // An element of another type: the array goes, the element stays.
    variant holder(VariantArray{variant(error), 2});
    error.reset();
    holder = holder.exactCast<VariantArray>()[0];
    ASSERT_TRUE(holder.storedType() == typeid(FB::ScriptErrorPtr));
    EXPECT_STREQ("inner", holder.exactCast<FB::ScriptErrorPtr>()->what());
    EXPECT_EQ(1, seen.use_count());

    // An element of the same type as the container holding it.
    VariantArray outer;
    outer.push_back(VariantArray{std::string("deep"), 3});
    variant nested(outer);
    nested = nested.exactCast<VariantArray>()[0];
    ASSERT_TRUE(nested.storedType() == typeid(VariantArray));
    ASSERT_EQ(2u, nested.exactCast<VariantArray>().size());
    EXPECT_EQ("deep", nested.exactCast<VariantArray>()[0].exactCast<std::string>());

    variant dictionary(VariantDictionary{{"inner", VariantDictionary{{"x", std::string("y")}}}});
    dictionary = dictionary.exactCast<VariantDictionary>().at("inner");
    EXPECT_EQ("y", dictionary.exactCast<VariantDictionary>().at("x").exactCast<std::string>());

    // setValue from inside, too.
    variant text(VariantArray{std::string("kept")});
    text.setValue(text.exactCast<VariantArray>()[0].exactCast<std::string>());
    EXPECT_EQ("kept", text.exactCast<std::string>());

    holder = variant();
    EXPECT_TRUE(seen.expired());
}

TEST(Variant, OrderWithinEachType) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto shared = std::make_shared<FB::script_error>("s");
    struct Case {
        const char* label;
        variant left, right;
        bool less, greater;  // left < right, right < left
    };
    const Case cases[] = {
        {"bool", false, true, true, false},
        {"int", -3, 2, true, false},
        {"long", -5L, -5L, false, false},
        {"unsigned long is unsigned", 1UL, 4294967295UL, true, false},
        {"long long", -(1LL << 40), 1LL, true, false},
        {"unsigned long long", 1ULL, 18446744073709551615ULL, true, false},
        {"double", 1.5, 2.5, true, false},
        {"double NaN", nan, 1.0, false, false},
        {"string", "abc", "abd", true, false},
        {"string prefix first", "ab", "abc", true, false},
        {"string bytes unsigned", "\x80", "a", false, true},
        {"wstring units unsigned", std::wstring(L"\xFFFF"), std::wstring(L"a"), false, true},
        {"shared pointer copies", variant(shared), variant(shared), false, false},
        {"array prefix first", VariantArray{1}, VariantArray{1, 2}, true, false},
        {"array first element decides", VariantArray{2}, VariantArray{1, 5}, false, true},
        {"arrays equal", VariantArray{1, "a"}, VariantArray{1, "a"}, false, false},
        {"dictionary key decides", VariantDictionary{{"a", 9}}, VariantDictionary{{"b", 1}}, true, false},
        {"dictionary value decides", VariantDictionary{{"a", 1}}, VariantDictionary{{"a", 2}}, true, false},
        {"empty", variant(), variant(), false, false},
        {"null", FB::FBNull(), FB::FBNull(), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.less, c.left < c.right);
        EXPECT_EQ(c.greater, c.right < c.left);
    }
}

TEST(Variant, OrderIsStrictWeakAcrossTypes) {
    auto a = std::make_shared<FB::script_error>("a");
    auto b = std::make_shared<FB::script_error>("b");
    const std::vector<variant> values = {
        variant(), FB::FBNull(), true, false, 1, 2, 1L, 1UL, 1LL, 1ULL, 0.5, 1.0, "a", "b", L"a", L"b",
        variant(a), variant(b), VariantArray{}, VariantArray{1}, VariantDictionary{}, VariantDictionary{{"k", 1}},
        1, "a", variant(a)};
    for (const variant& x : values) {
        EXPECT_FALSE(x < x);
        for (const variant& y : values) {
            if (x < y) {
                EXPECT_FALSE(y < x);
            }
            for (const variant& z : values) {
                if (x < y && y < z) {
                    EXPECT_TRUE(x < z);
                }
                if (equivalent(x, y) && equivalent(y, z)) {
                    EXPECT_TRUE(equivalent(x, z));
                }
            }
        }
    }
    // Equivalence across types never holds: different types are different keys.
    EXPECT_FALSE(equivalent(variant(1), variant(1L)));
}

TEST(Variant, SameTextNarrowAndWideAreDifferentKeys) {
    std::map<variant, int> keys;
    keys[variant("name")] = 1;
    keys[variant(L"name")] = 2;
    keys[variant(std::string("name"))] = 3;
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ(3, keys[variant("name")]);
    EXPECT_EQ(2, keys[variant(L"name")]);
}

TEST(Variant, MakeVariantArrayHoldsOneCopy) {
    const variant value(VariantArray{1, "x"});
    const VariantArray list = FB::makeVariantArray(value);
    ASSERT_EQ(1u, list.size());
    EXPECT_TRUE(equivalent(value, list[0]));
    EXPECT_TRUE(list[0].storedType() == typeid(VariantArray));
}

TEST(Variant, MovedFromIsEmptyAndOwnershipTransfers) {
    auto error = std::make_shared<FB::script_error>("m");
    std::weak_ptr<FB::script_error> seen = error;
    variant source(error);
    variant target(std::move(source));
    EXPECT_TRUE(source.isEmpty());
    EXPECT_EQ(2, seen.use_count());
    variant other(3);
    other = std::move(target);
    EXPECT_EQ(2, seen.use_count());
    EXPECT_EQ(error.get(), other.exactCast<FB::ScriptErrorPtr>().get());
}

} // namespace

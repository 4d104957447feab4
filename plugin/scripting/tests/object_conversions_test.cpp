// Reading script values as page objects, scriptable objects and containers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "fake_page.h"
#include "plugin/scripting/jsapi_auto.h"
#include "plugin/scripting/variant_object_conversions.h"

namespace {

using fakes::FakePageObject;
using FB::variant;
using FB::VariantArray;

class Own : public FB::JSAPIAuto {
public:
    Own() : FB::JSAPIAuto("own") {}
};

template <class Conversion>
std::string castFailureTarget(Conversion conversion) {
    try {
        conversion();
    } catch (const FB::bad_variant_cast& failure) {
        return failure.targetType;
    }
    return "no failure";
}

TEST(ObjectConversions, EmptyAndNullAreNullObjects) {
    for (const variant& value : {variant(), variant(FB::FBNull())}) {
        EXPECT_EQ(value.convertTo<std::shared_ptr<FB::JSObject>>(), nullptr);
        EXPECT_EQ(value.convertTo<std::shared_ptr<FB::JSAPI>>(), nullptr);
        EXPECT_TRUE(value.canConvertTo<std::shared_ptr<FB::JSObject>>());
        EXPECT_TRUE(value.convertTo<VariantArray>().empty());
    }
}

TEST(ObjectConversions, ValuesThatAreNoObjectNameTheirTarget) {
    const variant text("abc");
    EXPECT_EQ(castFailureTarget([&] { text.convertTo<std::shared_ptr<FB::JSAPI>>(); }),
              FB::readableTypeName(typeid(std::shared_ptr<FB::JSAPI>)));
    EXPECT_FALSE(text.canConvertTo<std::shared_ptr<FB::JSObject>>());
    EXPECT_EQ(castFailureTarget([&] { text.convertTo<VariantArray>(); }),
              FB::readableTypeName(typeid(std::shared_ptr<FB::JSObject>)));
    EXPECT_EQ(castFailureTarget([&] { text.convertTo<FB::VariantDictionary>(); }),
              FB::readableTypeName(typeid(std::shared_ptr<FB::JSObject>)));

    const variant own(std::shared_ptr<FB::JSAPI>(std::make_shared<Own>()));
    EXPECT_EQ(castFailureTarget([&] { own.convertTo<std::shared_ptr<FB::JSObject>>(); }),
              FB::readableTypeName(typeid(FB::JSObject)));
}

TEST(ObjectConversions, ThePluginsOwnObjectComesBackAsItself) {
    fakes::CallLog log;
    auto own = std::make_shared<Own>();
    auto wrapper = std::make_shared<FakePageObject>("wrapper", &log);
    wrapper->wrapped = own;
    const variant fromPage{std::shared_ptr<FB::JSObject>(wrapper)};
    EXPECT_EQ(fromPage.convertTo<std::shared_ptr<FB::JSAPI>>(), own);
    EXPECT_EQ(fromPage.convertTo<std::shared_ptr<FB::JSObject>>(), wrapper);

    // A page object wrapping another page object unwraps one level when a page object is asked for.
    auto inner = std::make_shared<FakePageObject>("inner", &log);
    auto outer = std::make_shared<FakePageObject>("outer", &log);
    outer->wrapped = inner;
    EXPECT_EQ(variant(std::shared_ptr<FB::JSObject>(outer)).convertTo<std::shared_ptr<FB::JSObject>>(), inner);
}

TEST(ObjectConversions, PageArraysAndObjectsAreWalked) {
    fakes::CallLog log;
    auto array = std::make_shared<FakePageObject>("array", &log);
    array->props = {{"length", variant(3)}, {"0", variant("a")}, {"1", variant(2)}, {"2", variant(FB::FBNull())}};
    const variant value{std::shared_ptr<FB::JSObject>(array)};
    EXPECT_EQ(fakes::describe(variant(value.convertTo<VariantArray>())), "[a,2,null]");

    const FB::VariantDictionary members = value.convertTo<FB::VariantDictionary>();
    EXPECT_EQ(members.size(), 4u);
    EXPECT_EQ(members.at("0").convertTo<std::string>(), "a");

    array->props["length"] = variant(-1);
    EXPECT_TRUE(value.convertTo<VariantArray>().empty());

    // Elements must be objects for a list of objects.
    auto element = std::make_shared<FakePageObject>("element", &log);
    array->props = {{"length", variant(2)}, {"0", variant(std::shared_ptr<FB::JSObject>(element))}, {"1", variant()}};
    const std::vector<std::shared_ptr<FB::JSObject>> objects = value.convertTo<std::vector<std::shared_ptr<FB::JSObject>>>();
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0], element);
    EXPECT_EQ(objects[1], nullptr);
    array->props["1"] = variant(5);
    EXPECT_THROW(value.convertTo<std::vector<std::shared_ptr<FB::JSObject>>>(), FB::bad_variant_cast);
}

TEST(ObjectConversions, ScriptErrorsOfTheWalkReachTheCallerWithTheirText) {
    fakes::CallLog log;
    auto array = std::make_shared<FakePageObject>("array", &log);
    array->props = {{"length", variant(2)}};
    array->failMemberRead = "1";
    try {
        variant(std::shared_ptr<FB::JSObject>(array)).convertTo<VariantArray>();
        FAIL() << "expected a script error";
    } catch (const FB::invalid_member&) {
        FAIL() << "passed on as the page object's own kind";
    } catch (const FB::script_error& error) {
        EXPECT_EQ(std::string(error.what()), "The specified member does not exist: 1");
    }
    array->props["length"] = variant("many");
    EXPECT_THROW(variant(std::shared_ptr<FB::JSObject>(array)).convertTo<VariantArray>(), FB::bad_variant_cast);
}

}  // namespace

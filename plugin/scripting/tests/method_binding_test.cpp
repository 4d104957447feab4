// Argument checks of bound methods, called by name as a page would call them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>

#include "fake_page.h"
#include "plugin/scripting/jsapi_auto.h"
#include "plugin/scripting/method_binding.h"

namespace {

using FB::variant;
using FB::VariantArray;

/// An object with one method per kind of parameter list the binding handles.
class Bindings : public FB::JSAPIAuto {
public:
    Bindings() : FB::JSAPIAuto("bindings") {
        addMethod("nameAndOptional", FB::bindMethod(this, &Bindings::nameAndOptional));
        addMethod("oneText", FB::bindMethod(this, &Bindings::oneText));
        addMethod("twoNumbers", FB::bindMethod(this, &Bindings::twoNumbers));
        addMethod("anyValue", FB::bindMethod(this, &Bindings::anyValue));
        addMethod("nothing", FB::bindMethod(this, &Bindings::nothing));
        addMethod("noResult", FB::bindMethod(this, &Bindings::noResult));
    }

    std::string nameAndOptional(std::string name, std::optional<std::string> extra) {
        ++calls;
        return name + "|" + (extra ? *extra : std::string("<none>"));
    }
    int oneText(std::string text) {
        ++calls;
        return static_cast<int>(text.size());
    }
    int twoNumbers(int left, int right) {
        ++calls;
        return left - right;
    }
    variant anyValue(const variant& value) {
        ++calls;
        return value.isEmpty() ? variant("<empty>") : value;
    }
    std::string nothing() {
        ++calls;
        return "called";
    }
    void noResult(int) { ++calls; }

    int calls = 0;
};

std::string typeName(const std::type_info& type) { return FB::readableTypeName(type); }

std::string conversionText(const std::type_info& from, const std::type_info& to, int index) {
    return "Invalid argument conversion from " + typeName(from) + " to " + typeName(to) + " at index " +
           std::to_string(index);
}

struct ArgumentCase {
    const char* what;
    const char* method;
    VariantArray args;
    std::string expected;  // the result as text, or "error: " and the page's error text
    bool methodRuns;
};

std::string callByName(Bindings& object, const std::string& method, const VariantArray& args) {
    try {
        return fakes::describe(object.invoke(method, args));
    } catch (const FB::invalid_arguments& error) {
        return std::string("error: ") + error.what();
    }
}

TEST(MethodBinding, ArgumentChecksFollowTheParameterList) {
    auto pageObject = std::make_shared<fakes::FakePageObject>("page", nullptr);
    const ArgumentCase cases[] = {
        {"no arguments: the optional last one is fine, the first is missing", "nameAndOptional", {},
         "error: Error: Argument 1is not optional.", false},
        {"one argument: the optional one gets no value", "nameAndOptional", {variant("a")}, "a|<none>", true},
        {"null for the optional one: no value, not a failed conversion", "nameAndOptional",
         {variant("a"), variant(FB::FBNull())}, "a|<none>", true},
        {"two arguments", "nameAndOptional", {variant("a"), variant("b")}, "a|b", true},
        {"a number where text is taken is written as text", "nameAndOptional", {variant(5), variant(6)}, "5|6",
         true},
        {"one too many, reported before any conversion", "nameAndOptional",
         {variant(pageObject), variant("b"), variant("c")}, "error: Too many arguments, expected 2.", false},
        {"one parameter, two arguments", "oneText", {variant("a"), variant("b")},
         "error: Too many arguments, expected 1.", false},
        {"a required text argument that is missing", "oneText", {}, "error: Error: Argument 1is not optional.",
         false},
        {"null has no text", "oneText", {variant(FB::FBNull())},
         "error: " + conversionText(typeid(FB::variant_detail::null), typeid(std::string), 1), false},
        {"a page object has no text", "oneText", {variant(pageObject)},
         "error: " + conversionText(typeid(std::shared_ptr<FB::JSObject>), typeid(std::string), 1), false},
        {"text that reads as numbers", "twoNumbers", {variant("7"), variant(2)}, "5", true},
        {"the second parameter is missing", "twoNumbers", {variant(1)}, "error: Error: Argument 2is not optional.",
         false},
        {"both bad: the second is reported first", "twoNumbers", {variant("x"), variant("y")},
         "error: " + conversionText(typeid(std::string), typeid(int), 2), false},
        {"only the first bad: reported with its own index", "twoNumbers", {variant("x"), variant(1)},
         "error: " + conversionText(typeid(std::string), typeid(int), 1), false},
        {"a variant parameter takes a missing argument as empty", "anyValue", {}, "<empty>", true},
        {"a variant parameter takes the value unconverted", "anyValue", {variant(FB::FBNull())}, "null", true},
        {"no parameters: extra arguments are ignored", "nothing", {variant(1), variant(2), variant(3)}, "called",
         true},
        {"a member without result gives undefined", "noResult", {variant(3)}, "undefined", true},
    };
    for (const ArgumentCase& row : cases) {
        SCOPED_TRACE(row.what);
        auto object = std::make_shared<Bindings>();
        EXPECT_EQ(callByName(*object, row.method, row.args), row.expected);
        EXPECT_EQ(object->calls, row.methodRuns ? 1 : 0);
    }
}

TEST(MethodBinding, TheConversionTextNamesThePlatformsTypes) {
    // The names are the compiler's demangled ones, as the page receives them.
    auto object = std::make_shared<Bindings>();
    auto pageObject = std::make_shared<fakes::FakePageObject>("page", nullptr);
    EXPECT_EQ(callByName(*object, "twoNumbers", {variant(1), variant(pageObject)}),
              "error: Invalid argument conversion from std::shared_ptr<FB::JSObject> to int at index 2");
}

TEST(MethodBinding, BuiltInsCheckTheirArguments) {
    auto object = std::make_shared<Bindings>();
    auto pageObject = std::make_shared<fakes::FakePageObject>("page", nullptr);

    EXPECT_EQ(callByName(*object, "toString", {variant(1), variant(2)}), "bindings");
    EXPECT_EQ(callByName(*object, "setAttribute", {}), "error: Error: Argument 1is not optional.");
    EXPECT_EQ(callByName(*object, "setAttribute", {variant("a"), variant(1), variant(2)}),
              "error: Too many arguments, expected 2.");
    EXPECT_EQ(callByName(*object, "getAttribute", {variant(pageObject)}),
              "error: " + conversionText(typeid(std::shared_ptr<FB::JSObject>), typeid(std::string), 1));

    // One argument stores an empty value under the name: it is listed, and reads as undefined.
    EXPECT_EQ(callByName(*object, "setAttribute", {variant("stored")}), "undefined");
    std::vector<std::string> names;
    object->listMemberNames(names);
    EXPECT_NE(std::find(names.begin(), names.end(), "stored"), names.end());
    EXPECT_EQ(callByName(*object, "getAttribute", {variant("stored")}), "undefined");
}

TEST(MethodBinding, ConversionFailuresInsideTheMemberBecomeInvalidArguments) {
    // A bad cast raised by the member itself (not by the argument checks) is reported by the
    // object as "Could not convert from".
    class Converting : public FB::JSAPIAuto {
    public:
        Converting() : FB::JSAPIAuto("c") { addMethod("read", FB::bindMethod(this, &Converting::read)); }
        int read(const variant& value) { return value.convertTo<int>(); }
    };
    auto object = std::make_shared<Converting>();
    try {
        object->invoke("read", {variant("abc")});
        FAIL() << "expected invalid_arguments";
    } catch (const FB::invalid_arguments& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Could not convert from " + typeName(typeid(std::string)) + " to " + typeName(typeid(int)));
    }
}

}  // namespace

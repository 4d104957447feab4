// Member rules of the table-driven scriptable object: what script can list, read, write,
// remove and call, by zone, by name and index, and after invalidation.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fake_page.h"
#include "plugin/scripting/js_function.h"
#include "plugin/scripting/jsapi_auto.h"
#include "plugin/scripting/method_binding.h"
#include "plugin/scripting/property_binding.h"
#include "plugin/scripting/zone_scope.h"

namespace {

using FB::variant;
using FB::VariantArray;

/// One object with a member of every kind: a method at zone 0, one at zone 2 and one at
/// zone -1, a property, a read-only and a writable attribute.
class Sample : public FB::JSAPIAuto {
public:
    Sample() : FB::JSAPIAuto("<sample>") {
        addMethod("echo", FB::bindMethod(this, &Sample::echo));
        {
            FB::ZoneScope privileged(this, 2);
            addMethod("secret", FB::bindMethod(this, &Sample::secret));
        }
        {
            FB::ZoneScope below(this, -1);
            addMethod("open", FB::bindMethod(this, &Sample::secret));
        }
        addProperty("count", FB::bindProperty(this, &Sample::count));
        addAttribute("version", variant("1.0"), true);
        addAttribute("color", variant("red"), false);
    }
    variant echo(const variant& value) { return value; }
    std::string secret() { return "secret"; }
    int count() { return 3; }
};

std::string listed(const FB::JSAPI& object) {
    std::vector<std::string> names;
    object.listMemberNames(names);
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ",") + name;
    return text;
}

/// The outcome of one script operation as text: the value, or "error: " and the page's text.
std::string outcome(const std::function<variant()>& operation) {
    try {
        return fakes::describe(operation());
    } catch (const FB::script_error& error) {
        return std::string("error: ") + error.what();
    }
}

variant yes(bool answer) { return variant(answer); }

const std::string noMember = "error: The specified member does not exist: ";

struct MemberRule {
    const char* what;
    std::function<variant(Sample&)> operation;
    std::string expected;
};

TEST(JSAPIAuto, MemberRules) {
    const MemberRule rules[] = {
        // listing: built-ins and members visible at zone 0, in name order
        {"listing at zone 0", [](Sample& o) { return variant(listed(o)); },
         "color,count,echo,getAttribute,open,setAttribute,toString,valid,value,version"},
        {"count at zone 0", [](Sample& o) { return variant(static_cast<int>(o.countMembers())); }, "10"},
        // reserved and unknown names
        {"a reserved name is no property", [](Sample& o) { return yes(o.hasProperty("width")); }, "false"},
        {"an unknown name may become one", [](Sample& o) { return yes(o.hasProperty("foo")); }, "true"},
        {"an unknown name reads as undefined", [](Sample& o) { return o.getProperty("foo"); }, "undefined"},
        {"a page write makes a new attribute",
         [](Sample& o) {
             o.setProperty("foo", variant(1));
             return variant(fakes::describe(o.getProperty("foo")) + " " + listed(o));
         },
         "1 color,count,echo,foo,getAttribute,open,setAttribute,toString,valid,value,version"},
        {"invoking an unknown name", [](Sample& o) { return o.invoke("foo", {}); }, noMember + "foo"},
        {"construct", [](Sample& o) { return o.construct({}); }, noMember + "constructor"},
        {"an index is always a property", [](Sample& o) { return yes(o.hasProperty(3)); }, "true"},
        {"an index stores an attribute named by its text",
         [](Sample& o) {
             const std::string before = fakes::describe(o.getProperty(3));
             o.setProperty(3, variant("x"));
             return variant(before + " " + fakes::describe(o.getProperty(3)) + " " +
                            fakes::describe(o.getProperty("3")));
         },
         "undefined x x"},
        // read-only attributes against page writes and "setAttribute"
        {"a read-only attribute reads", [](Sample& o) { return o.getProperty("version"); }, "1.0"},
        {"setAttribute refuses a read-only attribute",
         [](Sample& o) { return o.invoke("setAttribute", {variant("version"), variant("2")}); },
         "error: Cannot set read-only property version"},
        {"a page write replaces it and leaves it writable",
         [](Sample& o) {
             o.setProperty("version", variant("2"));
             o.invoke("setAttribute", {variant("version"), variant("3")});
             return o.getProperty("version");
         },
         "3"},
        {"removing a read-only attribute by name does nothing",
         [](Sample& o) {
             o.removeProperty("version");
             return o.getProperty("version");
         },
         "1.0"},
        {"removing a writable attribute",
         [](Sample& o) {
             o.removeProperty("color");
             return variant(fakes::describe(o.getProperty("color")) + " " + listed(o));
         },
         "undefined count,echo,getAttribute,open,setAttribute,toString,valid,value,version"},
        {"removing by index text a read-only attribute",
         [](Sample& o) {
             o.addAttribute("7", variant(1), true);
             o.removeProperty(7);
             return variant();
         },
         noMember + "7"},
        {"removing a name that is not visible", [](Sample& o) { o.removeProperty("nothing"); return variant(); },
         noMember + "nothing"},
        // built-in members
        {"value reads the description", [](Sample& o) { return o.getProperty("value"); }, "<sample>"},
        {"valid reads true", [](Sample& o) { return o.getProperty("valid"); }, "true"},
        {"writing value and valid changes nothing",
         [](Sample& o) {
             o.setProperty("value", variant("x"));
             o.setProperty("valid", variant(false));
             return variant(fakes::describe(o.getProperty("value")) + " " + fakes::describe(o.getProperty("valid")));
         },
         "<sample> true"},
        {"toString", [](Sample& o) { return o.invoke("toString", {}); }, "<sample>"},
        {"getAttribute reads any attribute", [](Sample& o) { return o.invoke("getAttribute", {variant("color")}); },
         "red"},
        {"a property reads through its getter", [](Sample& o) { return o.getProperty("count"); }, "3"},
        // zones above and below
        {"a method of zone 2 is hidden at zone 0", [](Sample& o) { return yes(o.hasMethod("secret")); }, "false"},
        {"invoking it at zone 0", [](Sample& o) { return o.invoke("secret", {}); }, noMember + "secret"},
        {"its function object at zone 0", [](Sample& o) { return variant(o.getFunctionObject("secret")); },
         noMember + "secret"},
        {"at zone 2 it is visible and callable",
         [](Sample& o) {
             FB::ZoneScope zone(&o, 2);
             return variant(std::string(o.hasMethod("secret") ? "listed " : "hidden ") +
                            fakes::describe(o.invoke("secret", {})) + " " + std::to_string(o.countMembers()));
         },
         "listed secret 11"},
        {"at zone 3 as well",
         [](Sample& o) {
             FB::ZoneScope zone(&o, 3);
             return o.invoke("secret", {});
         },
         "secret"},
        {"a method of zone -1 is visible at zone 0", [](Sample& o) { return o.invoke("open", {}); }, "secret"},
        {"below zone -1 nothing registered at 0 is visible",
         [](Sample& o) {
             FB::ZoneScope zone(&o, -2);
             return variant(listed(o));
         },
         ""},
        // methods read as properties give their function objects
        {"a method is a property", [](Sample& o) { return yes(o.hasProperty("echo")); }, "true"},
        {"reading it gives its function object",
         [](Sample& o) {
             variant function = o.getProperty("echo");
             return function.convertTo<std::shared_ptr<FB::JSAPI>>()->invoke("", {variant(4)});
         },
         "4"},
        // the page's attribute writes do not re-stamp or remove a method of the same name
        {"a page write over a method name at a higher zone keeps the method's zone",
         [](Sample& o) {
             {
                 FB::ZoneScope zone(&o, 5);
                 o.setProperty("echo", variant(1));
             }
             return o.invoke("echo", {variant("still")});
         },
         "still"},
        {"removing that attribute leaves the method",
         [](Sample& o) {
             o.setProperty("echo", variant(1));
             o.removeProperty("echo");
             return variant(fakes::describe(o.invoke("echo", {variant("here")})) + " " + listed(o));
         },
         "here color,count,echo,getAttribute,open,setAttribute,toString,valid,value,version"},
        {"setAttribute over a hidden method name does not reveal the method",
         [](Sample& o) {
             o.invoke("setAttribute", {variant("secret"), variant(1)});
             return yes(o.hasMethod("secret"));
         },
         "false"},
        {"dropping a method keeps the zone of an attribute of the same name",
         [](Sample& o) {
             o.setProperty("echo", variant("attribute"));
             o.dropMethod("echo");
             return o.getProperty("echo");
         },
         "attribute"},
        {"dropping the last member of a name removes it from the listing",
         [](Sample& o) {
             o.dropProperty("count");
             return yes(listed(o).find("count") != std::string::npos);
         },
         "false"},
        // after invalidation
        {"after invalidate: no method", [](Sample& o) { o.invalidate(); return yes(o.hasMethod("echo")); }, "false"},
        {"after invalidate: no property", [](Sample& o) { o.invalidate(); return yes(o.hasProperty("color")); },
         "false"},
        {"after invalidate: reading valid",
         [](Sample& o) {
             o.invalidate();
             return o.getProperty("valid");
         },
         "error: This object is no longer valid"},
        {"after invalidate: invoke", [](Sample& o) { o.invalidate(); return o.invoke("echo", {variant(1)}); },
         "error: This object is no longer valid"},
        {"after invalidate: writing", [](Sample& o) { o.invalidate(); o.setProperty(1, variant(1)); return variant(); },
         "error: This object is no longer valid"},
        {"after invalidate: function objects",
         [](Sample& o) { o.invalidate(); return variant(o.getFunctionObject("echo")); },
         "error: This object is no longer valid"},
        {"after invalidate: the listing stays",
         [](Sample& o) { o.invalidate(); return variant(listed(o)); },
         "color,count,echo,getAttribute,open,setAttribute,toString,valid,value,version"},
    };
    for (const MemberRule& rule : rules) {
        SCOPED_TRACE(rule.what);
        auto object = std::make_shared<Sample>();
        EXPECT_EQ(outcome([&] { return rule.operation(*object); }), rule.expected);
        EXPECT_EQ(object->currentZone(), 0);
    }
}

TEST(JSAPIAuto, AFreshObjectHasTheBuiltInsAndReservesThePagesElementNames) {
    class Fresh : public FB::JSAPIAuto {
    public:
        Fresh() : FB::JSAPIAuto("fresh") {}
    };
    auto object = std::make_shared<Fresh>();
    EXPECT_EQ(listed(*object), "getAttribute,setAttribute,toString,valid,value");
    EXPECT_EQ(object->countMembers(), 5u);

    // Names an embedding element answers itself; the page may not take them as new attributes.
    for (const char* name : {"offsetWidth", "offsetHeight", "width", "height", "attributes", "nodeType",
                             "namespaceURI", "localName", "wrappedJSObject", "prototype", "style", "id",
                             "constructor"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(object->hasProperty(std::string(name)));
    }
    // Reserving is exact: other spellings are ordinary new names.
    for (const char* name : {"Width", "ID", "styles", "offsetwidth"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(object->hasProperty(std::string(name)));
    }
}

TEST(JSAPIAuto, WideNamesReachTheSameMembers) {
    auto object = std::make_shared<Sample>();
    EXPECT_TRUE(object->hasMethod(std::wstring(L"echo")));
    EXPECT_EQ(fakes::describe(object->invoke(std::wstring(L"echo"), {variant(8)})), "8");
    object->setProperty(std::wstring(L"caf\u00e9"), variant(1));
    EXPECT_EQ(fakes::describe(object->getProperty(std::string("caf\xc3\xa9"))), "1");
    std::vector<std::string> narrow;
    std::vector<std::wstring> wide;
    object->listMemberNames(narrow);
    object->listMemberNames(wide);
    ASSERT_EQ(wide.size(), narrow.size());
    EXPECT_EQ(wide.front(), L"caf\u00e9");
    EXPECT_EQ(wide.back(), L"version");
}

TEST(JSAPIAuto, EveryWideFormActsOnTheNarrowName) {
    // The name "é" reaches the tables as its UTF-8 bytes.
    const std::wstring wideName = L"\u00e9";
    const std::string narrowName = "\xc3\xa9";
    auto object = std::make_shared<Sample>();
    fakes::CallLog log;

    object->addMethod(wideName, FB::bindMethod(object.get(), &Sample::secret));
    EXPECT_TRUE(object->hasMethod(narrowName));
    EXPECT_TRUE(object->hasFunctionObject(wideName));
    EXPECT_EQ(object->getFunctionObject(wideName), object->getFunctionObject(narrowName));
    EXPECT_EQ(fakes::describe(object->invoke(wideName, {})), "secret");
    object->dropMethod(wideName);
    EXPECT_FALSE(object->hasMethod(narrowName));

    object->addProperty(wideName, FB::bindProperty(object.get(), &Sample::count));
    EXPECT_EQ(fakes::describe(object->getProperty(wideName)), "3");
    object->dropProperty(wideName);
    EXPECT_EQ(fakes::describe(object->getProperty(narrowName)), "undefined");

    object->setProperty(wideName, variant("attribute"));
    EXPECT_TRUE(object->hasProperty(wideName));
    EXPECT_EQ(fakes::describe(object->getProperty(narrowName)), "attribute");
    object->removeProperty(wideName);
    EXPECT_EQ(listed(*object).find(narrowName), std::string::npos);
    EXPECT_FALSE(object->hasProperty(std::wstring(L"width")));

    auto handler = std::make_shared<fakes::FakePageObject>("h", &log);
    object->addEventHandler(L"on" + wideName, handler);
    object->declareEvent(L"on" + wideName);
    object->raiseEvent(L"on" + wideName, {variant(1)});
    object->removeEventHandler(L"on" + wideName, handler);
    object->raiseEvent("on" + narrowName, {variant(2)});
    EXPECT_EQ(log, fakes::CallLog({"h.invokeAsync( [1])"}));

    std::vector<std::string> narrow;
    std::vector<std::wstring> wide{L"stale"};
    const FB::JSAPI& asInterface = *object;
    asInterface.listMemberNames(&narrow);
    asInterface.listMemberNames(&wide);
    ASSERT_EQ(wide.size(), narrow.size());
    EXPECT_EQ(wide.front(), L"color");
}

TEST(JSAPIAuto, FunctionObjectsAreMadeOncePerNameAndZone) {
    auto object = std::make_shared<Sample>();
    std::shared_ptr<FB::JSAPI> atZero = object->getFunctionObject("echo");
    EXPECT_EQ(object->getFunctionObject("echo"), atZero);
    std::shared_ptr<FB::JSAPI> atTwo;
    {
        FB::ZoneScope zone(object.get(), 2);
        atTwo = object->getFunctionObject("echo");
    }
    EXPECT_NE(atTwo, atZero);
    EXPECT_EQ(object->getFunctionObject("echo"), atZero);
    EXPECT_EQ(fakes::describe(atZero->invoke("toString", {})), "echo()");
    EXPECT_EQ(fakes::describe(object->getProperty("echo").convertTo<std::shared_ptr<FB::JSAPI>>()->getProperty("value")),
              "echo()");
}

TEST(JSFunction, CallsItsOwnersMethodAtItsOwnZone) {
    auto object = std::make_shared<Sample>();
    std::shared_ptr<FB::JSAPI> secret;
    {
        FB::ZoneScope zone(object.get(), 2);
        secret = object->getFunctionObject("secret");
    }
    ASSERT_EQ(object->currentZone(), 0);
    EXPECT_EQ(fakes::describe(secret->invoke("", {})), "secret");
    EXPECT_EQ(object->currentZone(), 0);

    std::shared_ptr<FB::JSAPI> echo = object->getFunctionObject("echo");
    EXPECT_TRUE(echo->hasMethod(""));
    EXPECT_TRUE(echo->hasMethod("call"));
    EXPECT_FALSE(echo->hasProperty("call"));
    EXPECT_FALSE(echo->hasProperty("apply"));
    EXPECT_TRUE(echo->hasProperty("width"));  // a function object reserves no names
    EXPECT_EQ(fakes::describe(echo->invoke("call", {variant("this"), variant(5)})), "5");
    EXPECT_EQ(fakes::describe(echo->invoke("call", {})), "undefined");
    EXPECT_EQ(fakes::describe(echo->invoke("apply", {variant("this"), variant(VariantArray{variant(6)})})), "6");
    EXPECT_EQ(fakes::describe(echo->invoke("apply", {variant("this")})), "undefined");
    EXPECT_EQ(outcome([&] { return echo->invoke("", {variant(1), variant(2)}); }),
              "error: Too many arguments, expected 1.");
    EXPECT_EQ(object->currentZone(), 0);  // left also when the method raised

    object.reset();
    EXPECT_EQ(outcome([&] { return echo->invoke("", {variant(1)}); }), "error: Invalid JSAPI object");
}

TEST(JSFunction, ApplyReadsAPageArray) {
    auto object = std::make_shared<Sample>();
    fakes::CallLog log;
    auto array = std::make_shared<fakes::FakePageObject>("array", &log);
    array->props = {{"length", variant(1)}, {"0", variant("from page")}};
    std::shared_ptr<FB::JSAPI> echo = object->getFunctionObject("echo");
    EXPECT_EQ(fakes::describe(echo->invoke("apply", {variant(FB::FBNull()), variant(array)})), "from page");
}

}  // namespace

// Tests that pointers to classes derived from the script object types are stored as the base
// pointer types the hosts and conversions look for.
#include "plugin/scripting/js_object.h"
#include "plugin/scripting/variant.h"

#include <memory>
#include <typeinfo>

#include <gtest/gtest.h>

namespace {

// Never instantiated: only their pointer types matter here.
class PluginObject : public FB::JSAPI {};
class PageObject : public FB::JSObject {};
class PageFunction : public PageObject {};

TEST(VariantScriptPointer, DerivedPointersAreStoredAsTheBasePointerType) {
    struct Case {
        const char* label;
        const std::type_info& stored;
        const std::type_info& expected;
    };
    FB::variant plugin, page, function, base;
    plugin.setValue(std::shared_ptr<PluginObject>());
    page.setValue(std::shared_ptr<PageObject>());
    function.setValue(std::shared_ptr<PageFunction>());
    base.setValue(FB::JSObjectPtr());
    const Case cases[] = {
        {"scriptable object", plugin.storedType(), typeid(FB::JSAPIPtr)},
        // A page object is a JSAPI too, but is kept as the page-object pointer.
        {"page object", page.storedType(), typeid(FB::JSObjectPtr)},
        {"page object, two levels down", function.storedType(), typeid(FB::JSObjectPtr)},
        {"page object pointer itself", base.storedType(), typeid(FB::JSObjectPtr)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_TRUE(c.stored == c.expected) << FB::readableTypeName(c.stored);
    }
}

TEST(VariantScriptPointer, ConstructedFromANullDerivedPointerIsNull) {
    EXPECT_TRUE(FB::variant(std::shared_ptr<PluginObject>()).isNull());
    EXPECT_TRUE(FB::variant(std::shared_ptr<PageFunction>()).isNull());
    EXPECT_TRUE(FB::variant(FB::JSAPIPtr()).isNull());
}

} // namespace

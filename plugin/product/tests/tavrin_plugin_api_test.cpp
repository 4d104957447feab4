// The product's object as a page sees it: "getAttr", "outdated" and the version attributes,
// all reached through the by-name call path.
#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>

#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"
#include "deviceid/machine_facts.h"
#include "plugin/product/tavrin_plugin_api.h"

namespace {

using FB::variant;
using FB::VariantArray;

std::shared_ptr<TavrinPluginAPI> makeObject() { return makeTavrinPluginAPI(nullptr, nullptr); }

/// What the page receives from getAttr(name).
std::string getAttr(FB::JSAPI& object, const VariantArray& args) {
    return object.invoke("getAttr", args).convertTo<std::string>();
}

std::string scriptError(FB::JSAPI& object, const std::string& method, const VariantArray& args) {
    try {
        object.invoke(method, args);
    } catch (const FB::script_error& error) {
        return error.what();
    }
    return "no error";
}

/// Stands in for the plug-in's "New Device ID ERROR" box, which would block an unattended run.
int warningBoxesShown = 0;
int __stdcall countWarningBox(HWND__*, const char*, const char*, unsigned) {
    ++warningBoxesShown;
    return 1;
}

bool isLowerHex(const std::string& text) {
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)) && (c < 'a' || c > 'f')) return false;
    }
    return true;
}

TEST(TavrinPluginAPI, VersionKeysOfGetAttr) {
    auto object = makeObject();
    const struct {
        const char* name;
        const char* expected;
    } keys[] = {
        {"version", "1.0.18"},
        {"build", "1"},
        {"os", "Windows_NT"},
        {"locale", "en_US"},
        {"attributes", "1.0.18^1^Windows_NT^en_US"},
        {"Version", ""},   // keys are case-sensitive
        {"buildNum", ""},  // the attribute's name is no key
        {"unknown", ""},
        {"", ""},
    };
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        variant answer = object->invoke("getAttr", {variant(key.name)});
        EXPECT_EQ(answer.exactCast<std::string>(), key.expected);
    }
}

TEST(TavrinPluginAPI, CookieTellsOnlyWhetherASecondArgumentCame) {
    auto object = makeObject();
    EXPECT_EQ(getAttr(*object, {variant("cookie")}), "0");
    EXPECT_EQ(getAttr(*object, {variant("cookie"), variant(FB::FBNull())}), "0");
    EXPECT_EQ(getAttr(*object, {variant("cookie"), variant("secret")}), "1");
    EXPECT_EQ(getAttr(*object, {variant("cookie"), variant(0)}), "1");
}

TEST(TavrinPluginAPI, MachineKeysAreTheDeviceIdentifiersAndDigests) {
    auto object = makeObject();
    const deviceid::WarningBoxFunction realBox = deviceid::newDeviceIdWarningBox;
    deviceid::newDeviceIdWarningBox = &countWarningBox;
    const std::string newDeviceId = getAttr(*object, {variant("newDeviceId")});
    EXPECT_EQ(newDeviceId, deviceid::getNewDeviceId());
    ASSERT_EQ(newDeviceId.size(), 46u);
    EXPECT_EQ(newDeviceId.substr(0, 6), "KSTR01");
    EXPECT_TRUE(isLowerHex(newDeviceId.substr(6)));
    EXPECT_EQ(getAttr(*object, {variant("newDeviceId")}), newDeviceId);  // stable on an unchanged machine
    deviceid::newDeviceIdWarningBox = realBox;
    EXPECT_EQ(warningBoxesShown, 0);

    const std::string deviceId = getAttr(*object, {variant("deviceId")});
    EXPECT_EQ(deviceId, deviceid::getDeviceId());
    ASSERT_EQ(deviceId.size(), 40u);
    EXPECT_TRUE(isLowerHex(deviceId));

    const struct {
        const char* key;
        std::string fact;
    } digests[] = {
        {"license", deviceid::readDigitalProductIdHex()},
        {"GUID", deviceid::readMachineGuid()},
        {"SID", deviceid::getComputerAccountSid()},
        {"macAddress", deviceid::getMacAddress()},
    };
    for (const auto& digest : digests) {
        SCOPED_TRACE(digest.key);
        const std::string answer = getAttr(*object, {variant(digest.key)});
        EXPECT_EQ(answer, deviceid::sha1Hex(digest.fact));
        EXPECT_EQ(answer.size(), 40u);
        EXPECT_TRUE(isLowerHex(answer));
        EXPECT_NE(answer, deviceid::sha1Hex(""));
    }
}

TEST(TavrinPluginAPI, OutdatedComparesWithOneZeroEighteen) {
    auto object = makeObject();
    const struct {
        const char* version;
        int expected;
    } versions[] = {
        {"1.0.19", 1},
        {"1.0.18", 0},
        {"1.0.17", 0},
        {"2.0.0", 1},
        {"0.9.20", 1},  // any greater component counts, whatever comes before it
        {"1.0", -1},
        {"1.0.18.1", -1},
        {"1..0.18", 0},  // empty components are dropped
        {".1.0.18.", 0},
        {"1.0.018", 0},
        {"", -1},
        {"1.0.x", -1},
        {"1.0. 18", -1},
        {"1.0.99999999999", -1},  // beyond the 32-bit range
        {"-1.0.19", 1},
    };
    for (const auto& row : versions) {
        SCOPED_TRACE(row.version);
        variant answer = object->invoke("outdated", {variant(row.version)});
        EXPECT_EQ(answer.exactCast<int>(), row.expected);
    }
}

TEST(TavrinPluginAPI, ArgumentErrorsReachThePage) {
    auto object = makeObject();
    EXPECT_EQ(scriptError(*object, "getAttr", {}), "Error: Argument 1is not optional.");
    EXPECT_EQ(scriptError(*object, "getAttr", {variant("a"), variant("b"), variant("c")}),
              "Too many arguments, expected 2.");
    EXPECT_EQ(scriptError(*object, "outdated", {variant("1"), variant("2")}), "Too many arguments, expected 1.");
    EXPECT_EQ(scriptError(*object, "outdated", {}), "Error: Argument 1is not optional.");
    const std::string badName = scriptError(*object, "getAttr", {variant(FB::VariantArray())});
    EXPECT_EQ(badName.rfind("Invalid argument conversion from ", 0), 0u) << badName;
    EXPECT_EQ(badName.substr(badName.size() - 11), " at index 1");
}

TEST(TavrinPluginAPI, ReadOnlyAttributesCarryTheVersionData) {
    auto object = makeObject();
    EXPECT_EQ(object->getProperty("version").exactCast<std::string>(), "1.0.18");
    EXPECT_EQ(object->getProperty("buildNum").exactCast<double>(), 1.0);
    EXPECT_EQ(object->getProperty("os").exactCast<std::string>(), "Windows_NT");
    EXPECT_EQ(object->getProperty("locale").exactCast<std::string>(), "en_US");
    EXPECT_EQ(object->invoke("toString", {}).convertTo<std::string>(), "<JSAPI-Auto Javascript Object>");

    EXPECT_EQ(scriptError(*object, "setAttribute", {variant("os"), variant("x")}),
              "Cannot set read-only property os");
    object->setProperty("os", variant("changed by page"));  // a page assignment replaces it
    EXPECT_EQ(object->getProperty("os").convertTo<std::string>(), "changed by page");
    EXPECT_EQ(getAttr(*object, {variant("os")}), "Windows_NT");  // the method keeps its own data
}

TEST(TavrinPluginAPI, APagesWriteOverAMethodNameLeavesTheMethod) {
    auto object = makeObject();
    object->setProperty("getAttr", variant(1));  // obj.getAttr = 1
    object->removeProperty("getAttr");           // delete obj.getAttr
    EXPECT_TRUE(object->hasMethod("getAttr"));
    EXPECT_EQ(getAttr(*object, {variant("version")}), "1.0.18");

    // The page may also hold the method as a function object and call it later.
    auto function = object->getProperty("getAttr").convertTo<std::shared_ptr<FB::JSAPI>>();
    EXPECT_EQ(function->invoke("", {variant("locale")}).convertTo<std::string>(), "en_US");
}

TEST(TavrinPluginAPI, MembersThePageCanList) {
    auto object = makeObject();
    std::vector<std::string> names;
    object->listMemberNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"buildNum", "getAttr", "getAttribute", "locale", "os", "outdated",
                                               "setAttribute", "toString", "valid", "value", "version"}));
}

}  // namespace

// Tests of the script error kinds: their texts, how handlers catch them, independent copies.
#include "plugin/scripting/script_error.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ScriptError, EachKindCarriesItsText) {
    struct Case {
        const char* label;
        std::shared_ptr<FB::script_error> error;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", std::make_shared<FB::script_error>("Not implemented"), "Not implemented"},
        {"plain, empty", std::make_shared<FB::script_error>(""), ""},
        {"arguments, default", std::make_shared<FB::invalid_arguments>(), "Invalid Arguments"},
        {"arguments, given", std::make_shared<FB::invalid_arguments>("Too many arguments, expected 1."),
         "Too many arguments, expected 1."},
        {"member", std::make_shared<FB::invalid_member>("getAttr"), "The specified member does not exist: getAttr"},
        // An empty name leaves the trailing blank.
        {"member, empty name", std::make_shared<FB::invalid_member>(""), "The specified member does not exist: "},
        {"invalidated", std::make_shared<FB::object_invalidated>(), "This object is no longer valid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, c.error->what());
        const std::exception& asStd = *c.error;
        EXPECT_EQ(c.expected, asStd.what());
    }
}

template <typename Thrown> std::string caughtBy() {
    try {
        try {
            throw Thrown();
        } catch (const FB::invalid_member&) {
            return "invalid_member";
        }
    } catch (const FB::script_error&) {
        return "script_error";
    } catch (...) {
        return "other";
    }
}

TEST(ScriptError, ScriptErrorHandlerCatchesEveryKindButKindsStayApart) {
    struct MemberX : FB::invalid_member {
        MemberX() : FB::invalid_member("x") {}
    };
    struct Plain : FB::script_error {
        Plain() : FB::script_error("p") {}
    };
    EXPECT_EQ("invalid_member", caughtBy<MemberX>());
    EXPECT_EQ("script_error", caughtBy<FB::invalid_arguments>());
    EXPECT_EQ("script_error", caughtBy<FB::object_invalidated>());
    EXPECT_EQ("script_error", caughtBy<Plain>());
}

TEST(ScriptError, CopyOutlivesTheOriginal) {
    auto original = std::make_unique<FB::invalid_member>("length");
    FB::invalid_member copy(*original);
    auto plainOriginal = std::make_unique<FB::script_error>("Cannot set read-only property x");
    FB::script_error plainCopy(*plainOriginal);
    original.reset();
    plainOriginal.reset();
    EXPECT_STREQ("The specified member does not exist: length", copy.what());
    EXPECT_STREQ("Cannot set read-only property x", plainCopy.what());
}

} // namespace

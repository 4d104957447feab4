// Tests of UTF-8/UTF-16 conversion through the system and of the system's error texts.
#include "plugin/scripting/utf8_tools.h"

#include <stdexcept>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(Utf8Tools, WellFormedTextRoundTrips) {
    struct Case {
        const char* label;
        std::string narrow;
        std::wstring wide;
    };
    const Case cases[] = {
        {"empty", "", L""},
        {"ASCII", "getAttr", L"getAttr"},
        {"two-byte", "\xC3\xA9t\xC3\xA9", L"\u00E9t\u00E9"},
        {"three-byte", "\xE2\x82\xAC", L"\u20AC"},
        // Outside the Basic Multilingual Plane: a surrogate pair against four bytes.
        {"surrogate pair", "\xF0\x9F\x98\x80", std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}},
        {"highest code point", "\xF4\x8F\xBF\xBF", std::wstring{wchar_t(0xDBFF), wchar_t(0xDFFF)}},
        {"embedded zero", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"zeros only", std::string(2, '\0'), std::wstring(2, L'\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.narrow, FB::wideToUtf8(c.wide));
        EXPECT_EQ(c.wide, FB::utf8ToWide(c.narrow));
        EXPECT_EQ(c.narrow, FB::wideToUtf8(FB::utf8ToWide(c.narrow)));
    }
}

TEST(Utf8Tools, IllFormedInputBecomesReplacementCharacter) {
    const std::string replacement = "\xEF\xBF\xBD";
    struct WideCase {
        const char* label;
        std::wstring wide;
        std::string expected;
    };
    const WideCase wideCases[] = {
        {"lone high surrogate", std::wstring{wchar_t(0xD800)}, replacement},
        {"lone low surrogate inside text", std::wstring{L'a', wchar_t(0xDC00), L'b'}, "a" + replacement + "b"},
        {"reversed pair", std::wstring{wchar_t(0xDE00), wchar_t(0xD83D)}, replacement + replacement},
    };
    for (const WideCase& c : wideCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, FB::wideToUtf8(c.wide));
    }
    struct NarrowCase {
        const char* label;
        std::string narrow;
        std::wstring expected;
    };
    const NarrowCase narrowCases[] = {
        {"byte FF", "\xFF", L"\uFFFD"},
        {"stray continuation byte", "a\x80z", L"a\uFFFDz"},
        // A sequence cut short is one ill-formed subpart; an overlong form is two bad bytes.
        {"truncated sequence at the end", "a\xE2\x82", L"a\uFFFD"},
        {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
    };
    for (const NarrowCase& c : narrowCases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.expected, FB::utf8ToWide(c.narrow));
    }
}

TEST(Utf8Tools, ErrorTextIsNameAndSystemMessage) {
    struct Case {
        DWORD code;
        const char* windowsText;  // the text Windows documents for the code
        const char* wineText;     // the shorter text Wine's system tables give
    };
    // Either way the system's text comes whole, its line end included.
    const Case cases[] = {
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n", "File not found.\r\n"},
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n", "Access denied.\r\n"},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n", "Invalid parameter.\r\n"},
        {ERROR_SUCCESS, "The operation completed successfully.\r\n", "Success.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        SetLastError(c.code);
        const std::string text = FB::lastWin32ErrorText("CreateFileW");
        EXPECT_TRUE(text == std::string("CreateFileW: ") + c.windowsText ||
                    text == std::string("CreateFileW: ") + c.wineText)
            << text;
    }
}

TEST(Utf8Tools, ErrorWithoutSystemTextGivesTheCode) {
    SetLastError(0x2000FFFF);  // a customer-defined code the system has no text for
    EXPECT_EQ("Nothing: 536936447", FB::lastWin32ErrorText("Nothing"));
}

TEST(Utf8Tools, ThrowsRuntimeErrorWithTheTextOfTheRealFailure) {
    // A real failing call, so the code is the system's own.
    HANDLE file = CreateFileA("C:\\no-such-folder-here\\missing.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_EQ(INVALID_HANDLE_VALUE, file);
    try {
        FB::throwLastWin32Error("CreateFileA");
        FAIL() << "must throw";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_TRUE(text == "CreateFileA: The system cannot find the path specified.\r\n" ||
                    text == "CreateFileA: Path not found.\r\n")
            << text;
    }
}

} // namespace

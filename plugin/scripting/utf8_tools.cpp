// UTF-8/UTF-16 conversion through the system's code page functions, and system error texts.
#include "plugin/scripting/utf8_tools.h"

#include <stdexcept>
#include <windows.h>

namespace FB {

std::string wideToUtf8(const std::wstring& wide) {
    // The terminating zero is converted too, so embedded zeros count like any other unit.
    const int inputUnits = static_cast<int>(wide.size() + 1);
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), inputUnits, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        throwLastWin32Error("WideCharToMultiByte");
    std::string result(static_cast<size_t>(bytes - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), inputUnits, &result[0], bytes, nullptr, nullptr);
    return result;
}

std::wstring utf8ToWide(const std::string& narrow) {
    if (narrow.empty())
        return std::wstring();
    const int inputBytes = static_cast<int>(narrow.size() + 1);
    const int units = MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), inputBytes, nullptr, 0);
    if (units <= 0)
        throwLastWin32Error("MultiByteToWideChar");
    std::wstring result(static_cast<size_t>(units - 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, narrow.c_str(), inputBytes, &result[0], units);
    return result;
}

namespace {

/// Owns a text the system allocated, so it is freed even when building the message throws.
struct SystemText {
    char* text = nullptr;
    SystemText() = default;
    SystemText(const SystemText&) = delete;
    SystemText& operator=(const SystemText&) = delete;
    ~SystemText() {
        if (text)
            LocalFree(text);
    }
};

} // namespace

std::string lastWin32ErrorText(const char* functionName) {
    const DWORD code = GetLastError();  // before any other call can replace it
    SystemText message;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
                                        reinterpret_cast<LPSTR>(&message.text), 0, nullptr);
    std::string text = std::string(functionName) + ": ";
    if (length > 0 && message.text) {
        text.append(message.text, length);
    } else {
        // No system text for this code: give the code itself rather than nothing.
        text += std::to_string(code);
    }
    return text;
}

void throwLastWin32Error(const char* functionName) { throw std::runtime_error(lastWin32ErrorText(functionName)); }

} // namespace FB

// UTF-8/UTF-16 text conversion and the error text of a failed system call.
#pragma once

#include <string>

namespace FB {

/// The UTF-8 form of UTF-16 \p wide; an ill-formed unit becomes U+FFFD.
std::string wideToUtf8(const std::wstring& wide);

/// The UTF-16 form of UTF-8 \p narrow; an ill-formed byte becomes U+FFFD.
std::wstring utf8ToWide(const std::string& narrow);

/// \p functionName, ": " and the system's text for the calling thread's last error code.
std::string lastWin32ErrorText(const char* functionName);

/// Throws std::runtime_error with lastWin32ErrorText(\p functionName).
[[noreturn]] void throwLastWin32Error(const char* functionName);

} // namespace FB

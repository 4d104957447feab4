// UTF-8 and UTF-16 conversion for texts that cross into wide Windows calls and back.
#pragma once

#include <string>

namespace helper {

/// The UTF-8 text as UTF-16; an invalid sequence becomes U+FFFD.
std::wstring utf8ToWide(const std::string& text);

/// The UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string wideToUtf8(const std::wstring& text);

}  // namespace helper

// The folder that holds the running helper executable, where the desktop product must lie.
#pragma once

#include <string>

namespace helper {

/// The running executable's path up to, not including, its last "\" or "/" (the whole path
/// when it has neither). Read afresh on every call.
std::wstring helperFolder();

/// helperFolder() + "\Tavrin.exe".
std::wstring productPath();

}  // namespace helper

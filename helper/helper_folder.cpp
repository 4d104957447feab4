// Locating the helper's own folder through the module file name of the process.
#include "helper/helper_folder.h"

#include <windows.h>

namespace helper {

std::wstring helperFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path(buffer, length < MAX_PATH ? length : MAX_PATH);
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

std::wstring productPath() { return helperFolder() + L"\\Tavrin.exe"; }

}  // namespace helper

// The security identifier of the computer's own account.
#include "deviceid/machine_facts.h"

#include <windows.h>
#include <sddl.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace deviceid {
namespace {

std::string withLastError(const char* text) { return text + std::to_string(GetLastError()); }

// The two builds spell the conversion differently; the text they produce is the same.
std::string sidToText(PSID sid) {
#ifdef DEVICEID_HELPER_VARIANT
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text)) {
    return withLastError("Error converting SID to string: ");
  }
  std::string result = text;
  LocalFree(text);
  return result;
#else
  LPWSTR wideText = nullptr;
  if (!ConvertSidToStringSidW(sid, &wideText)) {
    return withLastError("Error converting SID to string: ");
  }
  char narrow[1024] = {};
  std::wcstombs(narrow, wideText, sizeof narrow);
  LocalFree(wideText);
  return std::string(narrow, strnlen(narrow, sizeof narrow));
#endif
}

}  // namespace

std::string getComputerAccountSid() {
  WCHAR computerName[32] = {};
  DWORD computerNameLength = 32;
  if (!GetComputerNameW(computerName, &computerNameLength)) {
    return withLastError("Error retrieving computer name: ");
  }

  WCHAR domain[1024] = {};
  DWORD domainLength = 1024;
  DWORD sidSize = 0;
  SID_NAME_USE use;
  // This first call is expected to fail; only the size it reports matters.
  LookupAccountNameW(nullptr, computerName, nullptr, &sidSize, domain, &domainLength, &use);
  if (sidSize == 0) {
    return withLastError("Error retrieving SID size: ");
  }

  std::vector<BYTE> sid(sidSize, 0);
  domainLength = 1024;
  if (!LookupAccountNameW(nullptr, computerName, sid.data(), &sidSize, domain, &domainLength,
                          &use)) {
    return withLastError("Error retrieving SID: ");
  }
  return sidToText(sid.data());
}

}  // namespace deviceid

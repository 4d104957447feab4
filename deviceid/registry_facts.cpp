// The machine facts kept in HKEY_LOCAL_MACHINE: the product id and the machine GUID.
#include "deviceid/machine_facts.h"

#include <windows.h>

#include <cstring>

namespace deviceid {
namespace {

constexpr char kCurrentVersionPath[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
constexpr char kCryptographyPath[] = "SOFTWARE\\Microsoft\\Cryptography";

// Reads one value into `buffer` (zero-filled by the caller). A 32-bit process reads the 32-bit
// view first; when the value is missing there, the 64-bit view is read once more and whatever
// it leaves in the buffer is used. The reported value type is ignored on purpose.
void readMachineValue(const char* path, const char* name, DWORD presetType, BYTE* buffer,
                      DWORD bufferSize) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return;
  }
  DWORD type = presetType;
  DWORD size = bufferSize;
  if (RegQueryValueExA(key, name, nullptr, &type, buffer, &size) != ERROR_SUCCESS) {
    RegCloseKey(key);
    key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_WOW64_64KEY | KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
      // A failed query may have set `size` to the length it wanted: never offer more than
      // the buffer holds.
      type = presetType;
      size = bufferSize;
      RegQueryValueExA(key, name, nullptr, &type, buffer, &size);
    } else {
      key = nullptr;
    }
  }
  if (key != nullptr) {
    RegCloseKey(key);
  }
}

}  // namespace

std::string readDigitalProductIdHex() {
  constexpr char kHexDigits[] = "0123456789ABCDEF";
  BYTE buffer[164] = {};
  readMachineValue(kCurrentVersionPath, "DigitalProductId", REG_BINARY, buffer, sizeof buffer);
  std::string hex;
  hex.reserve(2 * sizeof buffer);
  for (BYTE byte : buffer) {
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0x0F];
  }
  return hex;
}

std::string readMachineGuid() {
  char buffer[256] = {};
  readMachineValue(kCryptographyPath, "MachineGuid", REG_SZ, reinterpret_cast<BYTE*>(buffer),
                   sizeof buffer);
  // A value that fills the buffer has no terminator: keep at most 255 characters.
  return std::string(buffer, strnlen(buffer, sizeof buffer - 1));
}

}  // namespace deviceid

// The per-user random GUID kept under HKEY_CURRENT_USER\Software\Kestro (plug-in only).
#include "deviceid/machine_facts.h"
#include "deviceid/user_guid.h"

#include <objbase.h>
#include <rpc.h>

#include <boost/uuid/string_generator.hpp>
#include <boost/uuid/uuid.hpp>

#include <algorithm>
#include <cstring>

namespace deviceid {
namespace {

constexpr char kKestroKeyPath[] = "Software\\Kestro";
constexpr char kUserGuidValue[] = "KestroGUID";

LONG queryUserGuid(HKEY key, char (&buffer)[256]) {
  DWORD type = REG_SZ;
  DWORD size = sizeof buffer;
  return RegQueryValueExA(key, kUserGuidValue, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                          &size);
}

}  // namespace

void createUserGuid(HKEY key) {
  UUID guid;
  if (FAILED(CoCreateGuid(&guid))) {
    return;
  }
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&guid, &text) != RPC_S_OK) {
    return;
  }
  // Stored without its terminator; readers zero-fill their buffer.
  RegSetValueExA(key, kUserGuidValue, 0, REG_SZ, text,
                 static_cast<DWORD>(std::strlen(reinterpret_cast<char*>(text))));
  RpcStringFreeA(&text);
}

std::array<std::uint8_t, 16> readOrCreateUserGuid() {
  std::array<std::uint8_t, 16> bytes{};
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kKestroKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return bytes;
  }
  char buffer[256] = {};
  LONG status = queryUserGuid(key, buffer);
  if (status == ERROR_FILE_NOT_FOUND) {
    createUserGuid(key);
    status = queryUserGuid(key, buffer);
  }
  RegCloseKey(key);
  if (status == ERROR_SUCCESS) {
    // The bytes stand in the order of the text's hex pairs, not in a GUID structure's layout.
    // A malformed text throws "invalid uuid string" to the caller, unrepaired.
    const std::string text(buffer, strnlen(buffer, sizeof buffer - 1));
    const boost::uuids::uuid parsed = boost::uuids::string_generator()(text);
    std::copy(parsed.begin(), parsed.end(), bytes.begin());
  }
  return bytes;
}

}  // namespace deviceid

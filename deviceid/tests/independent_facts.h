// Reference readings of machine facts for the tests, through API calls of their own.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <sddl.h>
#include <wbemidl.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace deviceid_test {

/// The computer account's SID text via the narrow account API, or "" when that fails.
inline std::string referenceComputerSid() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD nameLength = sizeof name;
  if (!GetComputerNameA(name, &nameLength)) {
    return "";
  }
  std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
  DWORD sidSize = static_cast<DWORD>(sid.size());
  char domain[1024];
  DWORD domainLength = sizeof domain;
  SID_NAME_USE use;
  if (!LookupAccountNameA(nullptr, name, sid.data(), &sidSize, domain, &domainLength, &use)) {
    return "";
  }
  LPSTR text = nullptr;
  if (!ConvertSidToStringSidA(sid.data(), &text)) {
    return "";
  }
  std::string result = text;
  LocalFree(text);
  return result;
}

/// The current volume's serial, 0xD3FCAB12 when it cannot be read.
inline std::uint32_t referenceVolumeSerial() {
  DWORD serial = 0;
  if (!GetVolumeInformationA(nullptr, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
    return 0xD3FCAB12u;
  }
  return serial;
}

/// What a WMI query reports: every row's value of `property` (nullopt for non-text values), or
/// nullopt when the query itself fails. Runs on a thread of its own in the multithreaded
/// apartment so that the caller's apartment is untouched.
inline std::optional<std::vector<std::optional<std::wstring>>> referenceWmiTexts(
    const std::wstring& query, const std::wstring& property) {
  std::optional<std::vector<std::optional<std::wstring>>> result;
  std::thread worker([&] {
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
      return;
    }
    IWbemLocator* locator = nullptr;
    IWbemServices* service = nullptr;
    IEnumWbemClassObject* rows = nullptr;
    BSTR resource = SysAllocString(L"root\\cimv2");
    BSTR language = SysAllocString(L"WQL");
    BSTR text = SysAllocString(query.c_str());
    if (SUCCEEDED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IWbemLocator, reinterpret_cast<void**>(&locator))) &&
        SUCCEEDED(locator->ConnectServer(resource, nullptr, nullptr, nullptr, 0, nullptr,
                                         nullptr, &service)) &&
        SUCCEEDED(service->ExecQuery(language, text, WBEM_FLAG_FORWARD_ONLY, nullptr, &rows))) {
      result.emplace();
      IWbemClassObject* row = nullptr;
      ULONG returned = 0;
      while (SUCCEEDED(rows->Next(static_cast<LONG>(WBEM_INFINITE), 1, &row, &returned)) &&
             returned == 1) {
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(row->Get(property.c_str(), 0, &value, nullptr, nullptr)) &&
            value.vt == VT_BSTR) {
          result->emplace_back(std::wstring(value.bstrVal ? value.bstrVal : L""));
        } else {
          result->emplace_back(std::nullopt);
        }
        VariantClear(&value);
        row->Release();
      }
    }
    if (rows) rows->Release();
    if (service) service->Release();
    if (locator) locator->Release();
    SysFreeString(text);
    SysFreeString(language);
    SysFreeString(resource);
    CoUninitialize();
  });
  worker.join();
  return result;
}

/// The first text among the rows, narrowed to the low byte of each unit; "" when none.
inline std::string firstTextNarrowed(const std::vector<std::optional<std::wstring>>& rows) {
  for (const auto& row : rows) {
    if (row) {
      std::string narrow;
      for (wchar_t unit : *row) {
        narrow += static_cast<char>(unit & 0xFF);
      }
      return narrow;
    }
  }
  return "";
}

/// Runs `body` on a new thread and waits for it.
template <typename Body>
void onFreshThread(Body body) {
  std::thread worker(body);
  worker.join();
}

}  // namespace deviceid_test

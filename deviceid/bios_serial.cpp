// The BIOS serial number, read through WMI in a single-threaded apartment.
#include "deviceid/machine_facts.h"
#include "deviceid/wmi_query.h"

#include <cstring>
#include <exception>
#include <string>

namespace deviceid {
namespace {

constexpr wchar_t kBiosSerialQuery[] = L"SELECT SerialNumber FROM Win32_BIOS";
constexpr wchar_t kBiosSerialProperty[] = L"SerialNumber";
constexpr std::size_t kSerialBufferLength = 255;

// Keeps the low eight bits of each UTF-16 unit (the serial is hashed as these bytes) and at
// most bufferLength - 1 of them, always terminated.
void copyNarrowed(BSTR text, char* buffer, std::size_t bufferLength) {
  if (bufferLength == 0) {
    return;
  }
  std::size_t kept = 0;
  for (const wchar_t* unit = text; unit != nullptr && *unit != L'\0' && kept < bufferLength - 1;
       ++unit) {
    buffer[kept++] = static_cast<char>(*unit & 0xFF);
  }
  buffer[kept] = '\0';
}

HRESULT runFirstTextQuery(IWbemServices* service, const wchar_t* query, const wchar_t* property,
                          char* buffer, std::size_t bufferLength) {
  BSTR language = SysAllocString(L"WQL");
  BSTR queryText = SysAllocString(query);
  IEnumWbemClassObject* enumerator = nullptr;
  HRESULT hr = service->ExecQuery(language, queryText,
                                  WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                  &enumerator);
  SysFreeString(queryText);
  SysFreeString(language);
  if (FAILED(hr)) {
    return hr;
  }

  IWbemClassObject* row = nullptr;
  try {
    for (;;) {
      ULONG returned = 0;
      row = nullptr;
      enumerator->Next(static_cast<LONG>(WBEM_INFINITE), 1, &row, &returned);
      if (returned == 0) {
        break;
      }
      VARIANT value;
      VariantInit(&value);
      hr = row->Get(property, 0, &value, nullptr, nullptr);
      if (FAILED(hr)) {
        VariantClear(&value);
        releaseWmiObjects(enumerator, row);
        return hr;
      }
      const bool isText = value.vt == VT_BSTR;
      if (isText) {
        copyNarrowed(value.bstrVal, buffer, bufferLength);
      }
      VariantClear(&value);
      if (isText) {
        break;
      }
      row->Release();
    }
  } catch (const std::exception&) {
    releaseWmiObjects(enumerator, row);
    return E_FAIL;
  }
  releaseWmiObjects(enumerator, row);
  return S_OK;
}

}  // namespace

HRESULT GetWbemService(IWbemLocator** locator, IWbemServices** service) {
  *locator = nullptr;
  *service = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWbemLocator, reinterpret_cast<void**>(locator));
  if (FAILED(hr)) {
    *locator = nullptr;
    return hr;
  }
  BSTR resource = SysAllocString(L"ROOT\\CIMV2");
  hr = (*locator)->ConnectServer(resource, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                 service);
  SysFreeString(resource);
  if (SUCCEEDED(hr)) {
    hr = CoSetProxyBlanket(*service, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                           RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                           EOAC_NONE);
    if (FAILED(hr)) {
      (*service)->Release();
    }
  }
  if (FAILED(hr)) {
    *service = nullptr;
    (*locator)->Release();
    *locator = nullptr;
  }
  return hr;
}

#ifdef DEVICEID_HELPER_VARIANT
HRESULT runWmiSerialQuery(IWbemServices* service, const wchar_t* query, const wchar_t* property,
                          char* buffer, std::size_t bufferLength) {
  return runFirstTextQuery(service, query, property, buffer, bufferLength);
}
#else
HRESULT runWmiSerialQuery(IWbemServices* service, char (&buffer)[255]) {
  return runFirstTextQuery(service, kBiosSerialQuery, kBiosSerialProperty, buffer,
                           sizeof buffer);
}
#endif

void releaseWmiObjects(IEnumWbemClassObject* enumerator, IWbemClassObject* row) {
  if (row != nullptr) {
    row->Release();
  }
  if (enumerator != nullptr) {
    enumerator->Release();
  }
}

std::string getBiosSerialNumber() {
  // S_FALSE (already initialised on this thread) counts as success and is balanced below;
  // a thread of the multithreaded apartment gets RPC_E_CHANGED_MODE and stays as it was.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    return "failed initializing COM";
  }
  const HRESULT security = CoInitializeSecurity(
      nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT, RPC_C_IMP_LEVEL_IMPERSONATE,
      nullptr, EOAC_NONE, nullptr);
  // RPC_E_TOO_LATE: the process already chose its security; the query works with it.
  if (FAILED(security) && security != RPC_E_TOO_LATE) {
    CoUninitialize();
    return "failed initializing COM";
  }

  IWbemLocator* locator = nullptr;
  IWbemServices* service = nullptr;
  if (FAILED(GetWbemService(&locator, &service))) {
    CoUninitialize();
    return "failed GetWbemService";
  }

  char buffer[kSerialBufferLength] = {};
#ifdef DEVICEID_HELPER_VARIANT
  const HRESULT query =
      runWmiSerialQuery(service, kBiosSerialQuery, kBiosSerialProperty, buffer, sizeof buffer);
#else
  const HRESULT query = runWmiSerialQuery(service, buffer);
#endif
  service->Release();
  locator->Release();
  CoUninitialize();
  if (FAILED(query)) {
    return "failed query";
  }
  return std::string(buffer, strnlen(buffer, sizeof buffer));
}

}  // namespace deviceid

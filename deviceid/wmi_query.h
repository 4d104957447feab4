// The WMI steps behind the BIOS serial fact, exposed so that tests can drive the query.
#pragma once

#include <windows.h>
#include <wbemidl.h>

#include <cstddef>

namespace deviceid {

/// Connects to "ROOT\CIMV2" with impersonation. On failure releases what it obtained, leaves
/// both outputs null and returns the failing HRESULT.
HRESULT GetWbemService(IWbemLocator** locator, IWbemServices** service);

#ifdef DEVICEID_HELPER_VARIANT
/// Runs `query` and copies the first row's text value of `property` into the zero-filled
/// `buffer`, narrowed to single bytes and truncated to `bufferLength` - 1 characters; rows whose
/// value is not a text are skipped. Leaves the buffer empty when no row holds a text.
HRESULT runWmiSerialQuery(IWbemServices* service, const wchar_t* query, const wchar_t* property,
                          char* buffer, std::size_t bufferLength);
#else
/// Copies the first text "SerialNumber" of Win32_BIOS into the zero-filled `buffer`, narrowed
/// to single bytes and truncated to 254 characters; empty when no row holds a text.
HRESULT runWmiSerialQuery(IWbemServices* service, char (&buffer)[255]);
#endif

/// Releases whichever of the two is set.
void releaseWmiObjects(IEnumWbemClassObject* enumerator, IWbemClassObject* row);

}  // namespace deviceid

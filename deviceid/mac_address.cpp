// The address of the first network adapter (plug-in only).
#include "deviceid/machine_facts.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <cstdio>
#include <vector>

namespace deviceid {

std::string getMacAddress() {
  // A fixed buffer: a longer adapter list is reported as ERROR_BUFFER_OVERFLOW, not retried.
  constexpr ULONG kBufferSize = 9024;
  std::vector<unsigned char> storage(kBufferSize, 0);
  auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data());
  ULONG size = kBufferSize;
  const ULONG code = GetAdaptersAddresses(AF_UNSPEC, 0, nullptr, adapters, &size);
  if (code != NO_ERROR || adapters->PhysicalAddressLength == 0) {
    return "Error in getMacAddress: " + std::to_string(code);
  }
  std::string address;
  for (ULONG i = 0; i < adapters->PhysicalAddressLength; ++i) {
    char octet[3];
    std::snprintf(octet, sizeof octet, "%.2X", adapters->PhysicalAddress[i]);
    if (i != 0) {
      address += '-';
    }
    address += octet;
  }
  return address;
}

}  // namespace deviceid

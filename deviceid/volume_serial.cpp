// The serial number of the current directory's volume.
#include "deviceid/machine_facts.h"

#include <windows.h>

namespace deviceid {

std::uint32_t readVolumeSerial() {
  // The fixed default is hashed like a real serial when the volume cannot be read.
  DWORD serial = 0xD3FCAB12;
  DWORD readSerial = 0;
#ifdef DEVICEID_HELPER_VARIANT
  char volumeName[MAX_PATH + 1] = {};
  char fileSystemName[MAX_PATH + 1] = {};
  const BOOL ok = GetVolumeInformationA(nullptr, volumeName, MAX_PATH + 1, &readSerial, nullptr,
                                        nullptr, fileSystemName, MAX_PATH + 1);
#else
  WCHAR volumeName[MAX_PATH + 1] = {};
  WCHAR fileSystemName[MAX_PATH + 1] = {};
  const BOOL ok = GetVolumeInformationW(nullptr, volumeName, MAX_PATH + 1, &readSerial, nullptr,
                                        nullptr, fileSystemName, MAX_PATH + 1);
#endif
  if (ok) {
    serial = readSerial;
  }
  return serial;
}

}  // namespace deviceid

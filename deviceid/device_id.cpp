// "deviceId": the older per-user identifier, built into the plug-in only.
#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"
#include "deviceid/machine_facts.h"

namespace deviceid {

std::string formDeviceId(const std::function<DeviceIdFacts()>& readFacts) {
  std::string result = kInternalError;
  try {
    result = deviceIdFromFacts(readFacts());
  } catch (...) {
    // A malformed stored GUID lands here on every call until the value is repaired.
    result = kInternalError;
  }
  return result;
}

std::string getDeviceId() {
  return formDeviceId([] {
    DeviceIdFacts facts;
    facts.userGuid = readOrCreateUserGuid();
    facts.volumeSerial = readVolumeSerial();
    return facts;
  });
}

}  // namespace deviceid

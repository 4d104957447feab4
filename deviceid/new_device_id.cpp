// "newDeviceId": the digest of six machine-wide facts, shared by both deliverables.
#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"
#include "deviceid/machine_facts.h"

#include <windows.h>

#include <exception>

namespace deviceid {
namespace {

#ifndef DEVICEID_HELPER_VARIANT
constexpr char kWarningCaption[] = "New Device ID ERROR";
constexpr UINT kWarningStyle = MB_ICONWARNING | MB_OK;
#endif

std::string answerForFailure(const std::exception& failure) {
#ifdef DEVICEID_HELPER_VARIANT
  // The helper has no one to show a box to; its caller sees the reason in place of the id.
  return failure.what();
#else
  newDeviceIdWarningBox(nullptr, failure.what(), kWarningCaption, kWarningStyle);
  return kInternalError;
#endif
}

}  // namespace

#ifndef DEVICEID_HELPER_VARIANT
WarningBoxFunction newDeviceIdWarningBox = &MessageBoxA;
#endif

NewDeviceIdFacts readNewDeviceIdFacts() {
  NewDeviceIdFacts facts;
  facts.productIdHex = readDigitalProductIdHex();
  facts.machineGuid = readMachineGuid();
  facts.accountSid = getComputerAccountSid();
  facts.volumeSerial = readVolumeSerial();
  facts.hostname = getHostname();
  facts.biosSerial = getBiosSerialNumber();
  return facts;
}

std::string formNewDeviceId(const std::function<NewDeviceIdFacts()>& readFacts) {
  std::string result = kInternalError;
  try {
    result = newDeviceIdFromFacts(readFacts());
  } catch (const std::exception& failure) {
    result = answerForFailure(failure);
  }
  return result;
}

std::string getNewDeviceId() { return formNewDeviceId(readNewDeviceIdFacts); }

}  // namespace deviceid

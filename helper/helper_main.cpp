// TavrinHelper.exe entry point: start-up log, then the port loop. A GUI program without a window.
#include <windows.h>

#include "deviceid/device_ids.h"
#include "deviceid/machine_facts.h"
#include "helper/helper_log.h"
#include "helper/port_loop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using helper::writeLog;
  writeLog("Tavrin Helper Server starting");
  writeLog("WL: " + deviceid::sha1Hex(deviceid::readDigitalProductIdHex()));
  writeLog("MG: " + deviceid::sha1Hex(deviceid::readMachineGuid()));
  writeLog("MS: " + deviceid::sha1Hex(deviceid::getComputerAccountSid()));
  writeLog("H: " + deviceid::sha1Hex(deviceid::getHostname()));
  writeLog("BSN: " + deviceid::sha1Hex(deviceid::getBiosSerialNumber()));
  writeLog("device ID: " + deviceid::getNewDeviceId());
  helper::runPortLoop(helper::kHelperPorts);
  return 0;
}

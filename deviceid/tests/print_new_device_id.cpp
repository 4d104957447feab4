// Prints the plug-in build's "newDeviceId" so that the helper build's tests can compare with it.
#include "deviceid/device_ids.h"

#include <cstdio>

int main() {
  std::fputs(deviceid::getNewDeviceId().c_str(), stdout);
  return 0;
}

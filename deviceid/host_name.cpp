// The host name as Winsock reports it.
#include "deviceid/machine_facts.h"

#include <winsock2.h>

#include <cstring>

namespace deviceid {

std::string getHostname() {
  // A failed start-up is not reported by itself: gethostname then fails and reports it.
  // Winsock stays started; other parts of the process use it too.
  WSADATA wsaData;
  WSAStartup(MAKEWORD(2, 2), &wsaData);
  char name[256] = {};
  if (gethostname(name, sizeof name) != 0) {
    return "getHostname error: " + std::to_string(WSAGetLastError());
  }
  return std::string(name, strnlen(name, sizeof name));
}

}  // namespace deviceid

// One run of the HTTP server with the Tavrinserver handler on "localhost" and one port.
#include "helper/port_loop.h"

#include "helper/helper_log.h"
#include "helper/httpserver/server.h"
#include "helper/tavrin_server.h"

namespace helper {

bool runServerOnPort(const std::string& port) {
  writeLog("Attempting to run server on port " + port);
  try {
    Tavrinserver handler;
    using Server = httpserver::server<Tavrinserver>;
    Server::options options(handler);
    options.address("localhost").port(port);
    Server server(options);
    server.listen();
    server.run();
  } catch (...) {
    // Whatever ended the run, the port loop goes on with the next port.
    writeLog("Failed to run server on port " + port);
    return false;
  }
  return true;
}

}  // namespace helper

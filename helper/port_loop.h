// Running the helper's HTTP server on one port, as the port loop of the entry point needs it.
#pragma once

#include <string>

#include "helper/helper_log.h"
#include "helper/httpserver/server.h"
#include "helper/tavrin_server.h"

namespace helper {

/// The ports tried in order; the first whose run ends normally is the last one tried.
inline constexpr const char* kHelperPorts[] = {"4618", "4619", "4620"};

/// Serves localhost on the port with a new Handler until the server has nothing left to do.
/// True when the run ended normally (also when the port could not be bound: nothing was left
/// to wait for), false when an exception ended it, one escaping the handler included.
template <class Handler = Tavrinserver>
bool runServerOnPort(const std::string& port) {
  writeLog("Attempting to run server on port " + port);
  try {
    Handler handler;
    using Server = httpserver::server<Handler>;
    typename Server::options options(handler);
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

/// The port loop: runs the server on each port in order until a run ends normally, then logs
/// "Server running on port " with that port and tries no further one. False when every run
/// failed; nothing more is logged then.
template <class Handler = Tavrinserver, class Ports>
bool runPortLoop(const Ports& ports) {
  for (const auto& port : ports) {
    const std::string text(port);
    if (runServerOnPort<Handler>(text)) {
      // Written when the run on the port has ended, not when it started.
      writeLog("Server running on port " + text);
      return true;
    }
  }
  return false;
}

}  // namespace helper

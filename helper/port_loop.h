// Running the helper's HTTP server on one port, as the port loop of the entry point needs it.
#pragma once

#include <string>

namespace helper {

/// The ports tried in order; the first whose run ends normally is the last one tried.
inline constexpr const char* kHelperPorts[] = {"4618", "4619", "4620"};

/// Serves localhost on the port until the server has nothing left to do. True when the run
/// ended normally (also when the port could not be bound: nothing was left to wait for), false
/// when an exception ended it, one escaping the handler included. Logs both outcomes' lines.
bool runServerOnPort(const std::string& port);

}  // namespace helper

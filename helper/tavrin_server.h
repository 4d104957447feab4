// Tavrinserver: the helper's request handler for the maker's pages (ping, device, launch).
#pragma once

#include <string>

#include "helper/httpserver/server.h"

namespace helper {

/// Handles one complete request. Holds no state: the server keeps one for its whole run.
struct Tavrinserver {
  using request = httpserver::request;
  using response = httpserver::response;

  /// Decides the reply: product missing 404, foreign origin 403, pre-flight, launch, ping,
  /// device, else 400. Logs through writeLog; catches nothing itself.
  void operator()(const request& req, response& res) const;

  /// Replaces the response with the stock reply for (status, body) and appends the three
  /// cross-origin headers, allowOrigin first.
  static void buildResponse(response& res, std::string allowOrigin, int status, std::string body);

  /// True when Tavrin.exe lies beside the helper; logs "Helper can't find Tavrin" otherwise.
  static bool findProduct();

  /// Starts Tavrin.exe beside the helper with the URL as its one quoted argument. True when the
  /// process was created; the helper neither waits for it nor keeps a handle.
  static bool launchProduct(std::string url);
};

}  // namespace helper

// The request and reply types that the HTTP server hands to and takes from its handler.
#pragma once

#include <string>
#include <vector>

namespace httpserver {

/// One header line: the name as written by the sender and its value.
struct header {
  std::string name;
  std::string value;
};

/// A complete request as received: nothing decoded, nothing reordered.
struct request {
  std::string method;           ///< as received, e.g. "GET", "options"
  std::string destination;      ///< the request target exactly as received
  std::vector<header> headers;  ///< in order received, duplicates kept, original letter case
  std::string body;             ///< read up to Content-Length for methods beginning with "P"
};

/// The reply a handler fills; the server writes it as an HTTP/1.0 reply and closes.
struct response {
  enum status_type {
    ok = 200,
    bad_request = 400,
    forbidden = 403,
    not_found = 404,
    internal_server_error = 500
  };

  status_type status = ok;
  std::vector<header> headers;  ///< written in this order
  std::string content;

  /// The status with "Content-Length" (decimal byte length of the body) and
  /// "Content-Type" "text/html", in that order, and the body.
  static response stock_reply(status_type status, const std::string& content);
  /// As above with the status's own HTML page as the body (empty for 200).
  static response stock_reply(status_type status);
};

/// The reason text of the status line, e.g. "Bad Request" for 400.
std::string statusText(int status);

}  // namespace httpserver

// Stock replies and the reason texts of the status line.
#include "helper/httpserver/message.h"

// Boost 1.74's string_view header uses std::ostream without including it.
#include <ostream>

#include <boost/beast/http/status.hpp>

namespace httpserver {

std::string statusText(int status) {
  switch (status) {
    case response::ok: return "OK";
    case response::bad_request: return "Bad Request";
    case response::forbidden: return "Forbidden";
    case response::not_found: return "Not Found";
    case response::internal_server_error: return "Internal Server Error";
    default: {
      // A handler can only get here by casting; give it the registered reason if there is one.
      const auto text = boost::beast::http::obsolete_reason(
          static_cast<boost::beast::http::status>(static_cast<unsigned>(status)));
      return std::string(text.data(), text.size());
    }
  }
}

response response::stock_reply(status_type status, const std::string& content) {
  response reply;
  reply.status = status;
  reply.headers.push_back({"Content-Length", std::to_string(content.size())});
  reply.headers.push_back({"Content-Type", "text/html"});
  reply.content = content;
  return reply;
}

response response::stock_reply(status_type status) {
  if (status == ok) return stock_reply(status, std::string());
  const std::string text = statusText(status);
  const std::string code = std::to_string(static_cast<int>(status));
  return stock_reply(status, "<html><head><title>" + text + "</title></head><body><h1>" + code +
                                 " " + text + "</h1></body></html>");
}

}  // namespace httpserver

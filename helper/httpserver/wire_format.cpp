// The bytes of a reply on the wire.
#include "helper/httpserver/wire_format.h"

namespace httpserver {

std::string formatReply(const response& reply) {
  const int code = static_cast<int>(reply.status);
  std::string text = "HTTP/1.0 " + std::to_string(code) + " " + statusText(code) + "\r\n";
  for (const auto& field : reply.headers) {
    text += field.name;
    text += ": ";
    text += field.value;
    text += "\r\n";
  }
  text += "\r\n";
  text += reply.content;
  return text;
}

}  // namespace httpserver

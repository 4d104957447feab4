// The bytes of a reply on the wire.
#pragma once

#include "helper/httpserver/message.h"

#include <string>

namespace httpserver {

/// "HTTP/1.0 <code> <text>" CR LF, each header as "name: value" CR LF, an empty line, the body.
std::string formatReply(const response& reply);

}  // namespace httpserver

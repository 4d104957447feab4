// The sessions currently open, so that one timer can enforce all their deadlines.
#include "helper/httpserver/session_registry.h"

#include "helper/httpserver/session.h"

namespace httpserver {

void session_registry::expireOverdue(std::chrono::steady_clock::time_point now) {
  // Closing only cancels the session's operations; none is destroyed while this loop runs.
  for (session* s : sessions_) s->expireIfDue(now);
}

}  // namespace httpserver

// The sessions currently open, so that one timer can enforce all their deadlines.
#pragma once

#include <chrono>
#include <list>

namespace httpserver {

class session;

/// The open sessions of one listener, used only on the run thread. A session enters itself
/// when it starts and leaves in its destructor, so every entry is alive.
class session_registry {
 public:
  using entry = std::list<session*>::iterator;

  entry add(session& s) { return sessions_.insert(sessions_.end(), &s); }
  void remove(entry e) { sessions_.erase(e); }
  bool empty() const { return sessions_.empty(); }

  /// Closes every session whose deadline has passed by `now`.
  void expireOverdue(std::chrono::steady_clock::time_point now);

 private:
  std::list<session*> sessions_;
};

}  // namespace httpserver

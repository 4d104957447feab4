// One client connection: read one request, let the handler answer it, write the reply, close.
#pragma once

#include "helper/httpserver/message.h"
#include "helper/httpserver/request_parser.h"
#include "helper/httpserver/session_registry.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace httpserver {

/// The handler as the connections call it: once per complete request, on the run thread.
using request_handler = std::function<void(const request&, response&)>;

/// What one client may take of the server.
struct session_limits {
  std::chrono::milliseconds request_timeout{30000};  ///< from accept to the last request byte
  std::uint32_t header_limit = 8 * 1024;              ///< request line and headers, in bytes
  std::uint64_t body_limit = 1024 * 1024;             ///< body, in bytes
};

/// One connection, alive exactly as long as one of its operations is pending.
class session : public std::enable_shared_from_this<session> {
 public:
  /// `handler` and `registry` must outlive every session (the listener owns all three).
  session(boost::asio::ip::tcp::socket socket, const request_handler& handler,
          const session_limits& limits, session_registry& registry);
  ~session();
  session(const session&) = delete;
  session& operator=(const session&) = delete;

  /// Sets the deadline and starts reading the request.
  void start();
  /// Closes the connection when its deadline has passed by `now` (the registry's sweep).
  void expireIfDue(std::chrono::steady_clock::time_point now);

 private:
  void setDeadline(std::chrono::milliseconds duration);
  void doReadHeader();
  void onReadHeader(const boost::system::error_code& ec, std::size_t bytes);
  void doReadBody();
  void onReadBody(const boost::system::error_code& ec, std::size_t bytes);
  void serve();
  void refuse();
  void doWrite(std::string bytes, bool drainAfterWrite);
  void onWrite(const boost::system::error_code& ec, std::size_t bytes);
  void doDrain();
  void onDrain(const boost::system::error_code& ec, std::size_t bytes);
  void close();

  boost::asio::ip::tcp::socket socket_;
  const request_handler& handler_;
  session_limits limits_;
  session_registry& registry_;
  std::optional<session_registry::entry> entry_;
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
  boost::beast::flat_buffer buffer_;
  request_parser parser_;
  std::string reply_;
  bool drainAfterWrite_ = false;
  std::uint64_t drained_ = 0;
  std::array<char, 4096> discard_{};
};

}  // namespace httpserver

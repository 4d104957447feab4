// The accepting side of the server: owns the I/O context, the acceptor and the handler.
#pragma once

#include "helper/httpserver/session.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <string>

namespace httpserver {

/// Where to listen and what each connection may take.
struct listener_settings {
  std::string address;
  std::string port;
  session_limits limits;
};

/// Accepts connections on one address and starts a session for each, all on the run thread.
/// One timer closes the connections past their deadline: under Wine every arm and cancel of a
/// timer is a round trip to the Wine server, and a timer per connection cost a quarter of the
/// replies per second.
class listener {
 public:
  listener(listener_settings settings, request_handler handler);
  listener(const listener&) = delete;
  listener& operator=(const listener&) = delete;

  /// Resolves, opens, binds and listens on the first address, then starts accepting.
  /// Only a refused reuse-address option throws; any other failure leaves nothing to wait for.
  void listen();
  /// Runs the I/O context on the calling thread until no work is left (listening first if
  /// needed). Errors of the run and exceptions of the handler propagate.
  void run();
  /// Makes run() return soon; may be called from any thread.
  void stop();
  /// The address actually bound (port 0 becomes the chosen port); unspecified when not bound.
  boost::asio::ip::tcp::endpoint local_endpoint() const;

 private:
  void doAccept();
  void onAccept(const boost::system::error_code& ec, boost::asio::ip::tcp::socket socket);
  void doSweep();
  void onSweep(const boost::system::error_code& ec);

  // Declared before the I/O context: sessions still pending in it refer to these.
  request_handler handler_;
  listener_settings settings_;
  session_registry sessions_;
  boost::asio::io_context io_{1};
  boost::asio::ip::tcp::acceptor acceptor_{io_};
  boost::asio::steady_timer sweepTimer_{io_};
  bool listened_ = false;
  bool accepting_ = false;
};

}  // namespace httpserver

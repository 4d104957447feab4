// The helper's HTTP/1.0 server: one request per connection, answered by a handler of the caller's type.
#pragma once

#include "helper/httpserver/listener.h"
#include "helper/httpserver/message.h"

#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <string>
#include <utility>

namespace httpserver {

/// Serves `Handler`, called as handler(const request&, response&) once per complete request
/// on the thread that calls run(). A request that cannot be parsed, that exceeds the size
/// limits, or whose "P" method lacks a numeric Content-Length gets the stock 400 instead.
template <class Handler>
class server {
 public:
  using request = httpserver::request;  // nameable while Handler is still incomplete
  using response = httpserver::response;

  /// How to build the server: where to listen and whom to call.
  struct options {
    explicit options(Handler& handler) : handler_(&handler) {}
    /// The host name or address to resolve, e.g. "localhost".
    options& address(std::string value) {
      address_ = std::move(value);
      return *this;
    }
    /// The port as decimal text, e.g. "4618".
    options& port(std::string value) {
      port_ = std::move(value);
      return *this;
    }
    /// How long a connection may take to deliver its request (default 30 s).
    options& request_timeout(std::chrono::milliseconds value) {
      limits_.request_timeout = value;
      return *this;
    }

    Handler& handler() const { return *handler_; }
    const std::string& address() const { return address_; }
    const std::string& port() const { return port_; }
    const session_limits& limits() const { return limits_; }

   private:
    Handler* handler_;
    std::string address_;
    std::string port_;
    session_limits limits_;
  };

  explicit server(const options& opts)
      : listener_(listener_settings{opts.address(), opts.port(), opts.limits()},
                  [handler = &opts.handler()](const request& req, response& reply) {
                    (*handler)(req, reply);
                  }) {}

  /// Resolve, first address, open, reuse-address off (its failure throws), bind, listen with
  /// the largest backlog, start accepting. Other failures are swallowed: nothing is left to
  /// wait for and run() returns at once.
  void listen() { listener_.listen(); }

  /// Runs on the calling thread until no work is left, listening first if not yet done. An
  /// error of the run throws boost::system::system_error; an exception escaping the handler
  /// propagates and ends the run (the server stays destroyable).
  void run() { listener_.run(); }

  /// Lets run() return soon; may be called from another thread.
  void stop() { listener_.stop(); }

  /// The bound address and port (useful with port "0"); unspecified when listening failed.
  boost::asio::ip::tcp::endpoint local_endpoint() const { return listener_.local_endpoint(); }

 private:
  listener listener_;
};

}  // namespace httpserver

// The accepting side of the server: owns the I/O context, the acceptor and the handler.
#include "helper/httpserver/listener.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

namespace httpserver {
namespace {

using boost::asio::ip::tcp;
using boost::system::error_code;

/// How often deadlines are checked: a connection is closed at most this much after its own.
std::chrono::milliseconds sweepPeriod(std::chrono::milliseconds timeout) {
  return std::clamp(timeout / 4, std::chrono::milliseconds(10), std::chrono::milliseconds(1000));
}

}  // namespace

listener::listener(listener_settings settings, request_handler handler)
    : handler_(std::move(handler)), settings_(std::move(settings)) {}

void listener::listen() {
  if (listened_) return;
  listened_ = true;

  error_code ec;
  tcp::resolver resolver(io_);
  const auto endpoints = resolver.resolve(settings_.address, settings_.port, ec);
  if (ec || endpoints.empty()) return;
  const tcp::endpoint endpoint = endpoints.begin()->endpoint();

  acceptor_.open(endpoint.protocol(), ec);
  if (ec) return;
  // Another process on the port must make this bind fail, never share the port.
  acceptor_.set_option(tcp::acceptor::reuse_address(false));
  acceptor_.bind(endpoint, ec);
  if (!ec) acceptor_.listen(0x7fffffff, ec);
  if (ec) {
    acceptor_.close(ec);
    return;
  }
  accepting_ = true;
  doAccept();
  doSweep();
}

void listener::run() {
  listen();
  io_.run();
}

void listener::stop() { io_.stop(); }

tcp::endpoint listener::local_endpoint() const {
  error_code ec;
  return acceptor_.local_endpoint(ec);
}

void listener::doAccept() {
  acceptor_.async_accept([this](const error_code& ec, tcp::socket socket) {
    onAccept(ec, std::move(socket));
  });
}

void listener::onAccept(const error_code& ec, tcp::socket socket) {
  // A failed accept ends accepting; the run then ends once the open connections are done.
  if (ec) {
    accepting_ = false;
    return;
  }
  std::make_shared<session>(std::move(socket), handler_, settings_.limits, sessions_)->start();
  doAccept();
}

void listener::doSweep() {
  sweepTimer_.expires_after(sweepPeriod(settings_.limits.request_timeout));
  sweepTimer_.async_wait([this](const error_code& ec) { onSweep(ec); });
}

void listener::onSweep(const error_code& ec) {
  if (ec) return;
  sessions_.expireOverdue(std::chrono::steady_clock::now());
  // The timer runs on while there is something to watch, so that a run without connections
  // or accepting can end.
  if (accepting_ || !sessions_.empty()) doSweep();
}

}  // namespace httpserver

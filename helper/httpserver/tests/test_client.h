// A raw TCP client for the server tests: sends exact bytes and reads until the server closes.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include <chrono>
#include <string>

namespace httpserver::testing {

/// One connection to the server under test, driven synchronously from the test's thread.
class test_client {
 public:
  explicit test_client(const boost::asio::ip::tcp::endpoint& server);

  /// Writes all of `bytes`; a connection the server has already dropped is not an error here.
  void send(const std::string& bytes);
  /// Everything the server sends until it closes the connection or `timeout` passes.
  std::string readToEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  /// True when the last readToEnd ended because the server closed the connection.
  bool closedByServer() const { return closedByServer_; }

 private:
  boost::asio::io_context io_;
  boost::asio::ip::tcp::socket socket_{io_};
  bool closedByServer_ = false;
};

}  // namespace httpserver::testing

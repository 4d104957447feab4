// A raw TCP client for the server tests: sends exact bytes and reads until the server closes.
#include "helper/httpserver/tests/test_client.h"

#include <boost/asio/write.hpp>

#include <array>
#include <functional>

namespace httpserver::testing {

using boost::system::error_code;

test_client::test_client(const boost::asio::ip::tcp::endpoint& server) { socket_.connect(server); }

void test_client::send(const std::string& bytes) {
  error_code ignored;
  boost::asio::write(socket_, boost::asio::buffer(bytes), ignored);
}

std::string test_client::readToEnd(std::chrono::milliseconds timeout) {
  std::string received;
  std::array<char, 4096> chunk{};
  bool finished = false;
  closedByServer_ = false;
  std::function<void(const error_code&, std::size_t)> onRead = [&](const error_code& ec,
                                                                   std::size_t bytes) {
    received.append(chunk.data(), bytes);
    if (ec) {
      finished = true;
      closedByServer_ = ec == boost::asio::error::eof || ec == boost::asio::error::connection_reset;
      return;
    }
    socket_.async_read_some(boost::asio::buffer(chunk), onRead);
  };
  socket_.async_read_some(boost::asio::buffer(chunk), onRead);
  io_.restart();
  io_.run_for(timeout);
  if (!finished) {
    // Let the cancelled read complete so nothing refers to this frame afterwards.
    error_code ignored;
    socket_.cancel(ignored);
    io_.restart();
    io_.run();
    closedByServer_ = false;
  }
  return received;
}

}  // namespace httpserver::testing

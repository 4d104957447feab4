// The benchmark's yardstick: a bare asynchronous Beast server that answers every request with a
// fixed "alive" reply, in the shape of the helper's server (one request per connection, close).
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/read.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

using boost::asio::ip::tcp;
using boost::system::error_code;
namespace http = boost::beast::http;

// The same bytes as the helper's answer to "ping" from the maker's origin.
const std::string aliveReply =
    "HTTP/1.0 200 OK\r\n"
    "Content-Length: 5\r\n"
    "Content-Type: text/html\r\n"
    "Access-Control-Allow-Origin: https://www.kestro.com\r\n"
    "Access-Control-Allow-Headers: Origin, X-Requested-With, Content-Type, Accept\r\n"
    "Access-Control-Allow-Methods: POST, GET, OPTIONS\r\n"
    "\r\n"
    "alive";

/// One connection: read one request, write the fixed reply, close.
class bare_session : public std::enable_shared_from_this<bare_session> {
 public:
  explicit bare_session(tcp::socket socket) : socket_(std::move(socket)) {}

  void start() { doRead(); }

 private:
  void doRead() {
    http::async_read(socket_, buffer_, parser_,
                     [self = shared_from_this()](const error_code& ec, std::size_t) {
                       self->onRead(ec);
                     });
  }

  void onRead(const error_code& ec) {
    if (ec) return close();
    doWrite();
  }

  void doWrite() {
    boost::asio::async_write(socket_, boost::asio::buffer(aliveReply),
                             [self = shared_from_this()](const error_code&, std::size_t) {
                               self->close();
                             });
  }

  void close() {
    error_code ignored;
    socket_.shutdown(tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

  tcp::socket socket_;
  boost::beast::flat_buffer buffer_;
  http::request_parser<http::empty_body> parser_;
};

class bare_listener {
 public:
  bare_listener(boost::asio::io_context& io, const tcp::endpoint& endpoint) : acceptor_(io) {
    acceptor_.open(endpoint.protocol());
    acceptor_.set_option(tcp::acceptor::reuse_address(false));
    acceptor_.bind(endpoint);
    acceptor_.listen(0x7fffffff);
  }

  void doAccept() {
    acceptor_.async_accept([this](const error_code& ec, tcp::socket socket) {
      if (ec) return;
      std::make_shared<bare_session>(std::move(socket))->start();
      doAccept();
    });
  }

 private:
  tcp::acceptor acceptor_;
};

}  // namespace

int main(int argc, char** argv) {
  const std::string port = argc > 1 ? argv[1] : "4700";
  try {
    boost::asio::io_context io{1};
    tcp::resolver resolver(io);
    bare_listener listener(io, resolver.resolve("localhost", port).begin()->endpoint());
    listener.doAccept();
    io.run();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_bare_server: %s\n", e.what());
    return 1;
  }
  return 0;
}

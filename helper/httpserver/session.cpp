// One client connection: read one request, let the handler answer it, write the reply, close.
#include "helper/httpserver/session.h"

#include "helper/httpserver/wire_format.h"

#include <boost/asio/write.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/read.hpp>

#include <algorithm>
#include <utility>

namespace httpserver {
namespace {

namespace http = boost::beast::http;
using boost::system::error_code;

// After refusing a request whose rest is still arriving, the rest is read and dropped for a
// short while: closing with unread data resets the connection, and a reset can discard the
// refusal before the client has read it.
constexpr std::chrono::milliseconds maxLingerTime{2000};
constexpr std::uint64_t maxLingerBytes = 1024 * 1024;

/// True for errors of the request's syntax or size, which earn a 400; false for the peer
/// closing early and for socket errors, which only end the connection.
bool isMalformedRequest(const error_code& ec) {
  if (ec.category() != http::make_error_code(http::error::end_of_stream).category()) return false;
  return ec != http::error::end_of_stream && ec != http::error::partial_message &&
         ec != http::error::short_read;
}

}  // namespace

session::session(boost::asio::ip::tcp::socket socket, const request_handler& handler,
                 const session_limits& limits, session_registry& registry)
    : socket_(std::move(socket)), handler_(handler), limits_(limits), registry_(registry) {
  parser_.header_limit(limits_.header_limit);
  parser_.body_limit(limits_.body_limit);
}

session::~session() {
  if (entry_) registry_.remove(*entry_);
}

void session::start() {
  entry_ = registry_.add(*this);
  // One deadline for the whole request, so trickling bytes cannot keep a connection forever.
  setDeadline(limits_.request_timeout);
  doReadHeader();
}

void session::setDeadline(std::chrono::milliseconds duration) {
  deadline_ = std::chrono::steady_clock::now() + duration;
}

void session::expireIfDue(std::chrono::steady_clock::time_point now) {
  if (now < deadline_) return;
  deadline_ = std::chrono::steady_clock::time_point::max();
  close();
}

void session::doReadHeader() {
  http::async_read_header(socket_, buffer_, parser_,
                          [self = shared_from_this()](const error_code& ec, std::size_t bytes) {
                            self->onReadHeader(ec, bytes);
                          });
}

void session::onReadHeader(const error_code& ec, std::size_t) {
  if (ec) return isMalformedRequest(ec) ? refuse() : close();
  if (lacksRequiredLength(parser_.get())) return refuse();
  if (parser_.is_done()) return serve();
  doReadBody();
}

void session::doReadBody() {
  http::async_read(socket_, buffer_, parser_,
                   [self = shared_from_this()](const error_code& ec, std::size_t bytes) {
                     self->onReadBody(ec, bytes);
                   });
}

void session::onReadBody(const error_code& ec, std::size_t) {
  if (ec) return isMalformedRequest(ec) ? refuse() : close();
  serve();
}

void session::serve() {
  response reply;
  // The handler's own exceptions are meant to end the run; they pass through untouched.
  handler_(parser_.release(), reply);
  doWrite(formatReply(reply), false);
}

void session::refuse() {
  doWrite(formatReply(response::stock_reply(response::bad_request)), true);
}

void session::doWrite(std::string bytes, bool drainAfterWrite) {
  reply_ = std::move(bytes);
  drainAfterWrite_ = drainAfterWrite;
  setDeadline(limits_.request_timeout);
  boost::asio::async_write(socket_, boost::asio::buffer(reply_),
                           [self = shared_from_this()](const error_code& ec, std::size_t bytes) {
                             self->onWrite(ec, bytes);
                           });
}

void session::onWrite(const error_code& ec, std::size_t) {
  if (ec || !drainAfterWrite_) return close();
  error_code ignored;
  socket_.shutdown(boost::asio::ip::tcp::socket::shutdown_send, ignored);
  setDeadline(std::min(limits_.request_timeout, maxLingerTime));
  doDrain();
}

void session::doDrain() {
  socket_.async_read_some(boost::asio::buffer(discard_),
                          [self = shared_from_this()](const error_code& ec, std::size_t bytes) {
                            self->onDrain(ec, bytes);
                          });
}

void session::onDrain(const error_code& ec, std::size_t bytes) {
  drained_ += bytes;
  if (ec || drained_ > maxLingerBytes) return close();
  doDrain();
}

void session::close() {
  error_code ignored;
  socket_.shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

}  // namespace httpserver

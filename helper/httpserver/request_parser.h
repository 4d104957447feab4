// Boost.Beast's HTTP/1 parser filling the handler's request, and the rule on declared body lengths.
#pragma once

#include "helper/httpserver/message.h"

#include <boost/beast/http/basic_parser.hpp>

#include <cstdint>

namespace httpserver {

/// Parses one request into a `request`. Beast's own message type groups repeated header names
/// together; this keeps every header line where it arrived.
class request_parser : public boost::beast::http::basic_parser<true> {
 public:
  /// The request read so far; complete once is_done().
  const request& get() const { return request_; }
  /// Hands the request over: the body stays only for methods beginning with "P".
  request release();

 private:
  using string_view = boost::beast::string_view;
  using error_code = boost::beast::error_code;

  void on_request_impl(boost::beast::http::verb method, string_view methodText, string_view target,
                       int version, error_code& ec) override;
  void on_response_impl(int code, string_view reason, int version, error_code& ec) override;
  void on_field_impl(boost::beast::http::field name, string_view nameText, string_view value,
                     error_code& ec) override;
  void on_header_impl(error_code& ec) override;
  void on_body_init_impl(const boost::optional<std::uint64_t>& contentLength,
                         error_code& ec) override;
  std::size_t on_body_impl(string_view body, error_code& ec) override;
  void on_chunk_header_impl(std::uint64_t size, string_view extensions, error_code& ec) override;
  std::size_t on_chunk_body_impl(std::uint64_t remain, string_view body, error_code& ec) override;
  void on_finish_impl(error_code& ec) override;

  request request_;
};

/// True when a method beginning with "P" (POST, PUT, PATCH) has no "Content-Length" (name in
/// any case) or the first one is not a plain decimal number; such a request gets the stock 400.
bool lacksRequiredLength(const request& req);

}  // namespace httpserver

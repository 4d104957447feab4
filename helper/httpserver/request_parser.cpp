// Boost.Beast's HTTP/1 parser filling the handler's request, and the rule on declared body lengths.
#include "helper/httpserver/request_parser.h"

#include <boost/beast/core/string.hpp>

#include <algorithm>
#include <utility>

namespace httpserver {
namespace {

std::string toString(boost::beast::string_view text) { return std::string(text.data(), text.size()); }

bool beginsWithP(const std::string& method) { return !method.empty() && method.front() == 'P'; }

bool isDecimal(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

request request_parser::release() {
  request result = std::move(request_);
  request_ = request();
  if (!beginsWithP(result.method)) result.body.clear();
  return result;
}

void request_parser::on_request_impl(boost::beast::http::verb, string_view methodText,
                                     string_view target, int, error_code&) {
  // Beast recognises verbs case-sensitively, so the text is exactly what the client sent.
  request_.method = toString(methodText);
  request_.destination = toString(target);
}

void request_parser::on_response_impl(int, string_view, int, error_code&) {}

void request_parser::on_field_impl(boost::beast::http::field, string_view nameText,
                                   string_view value, error_code&) {
  request_.headers.push_back({toString(nameText), toString(value)});
}

void request_parser::on_header_impl(error_code&) {}

void request_parser::on_body_init_impl(const boost::optional<std::uint64_t>& contentLength,
                                       error_code&) {
  // The body limit has been checked against the declared length already.
  if (contentLength) request_.body.reserve(static_cast<std::size_t>(*contentLength));
}

std::size_t request_parser::on_body_impl(string_view body, error_code&) {
  request_.body.append(body.data(), body.size());
  return body.size();
}

void request_parser::on_chunk_header_impl(std::uint64_t, string_view, error_code&) {}

std::size_t request_parser::on_chunk_body_impl(std::uint64_t, string_view body, error_code&) {
  request_.body.append(body.data(), body.size());
  return body.size();
}

void request_parser::on_finish_impl(error_code&) {}

bool lacksRequiredLength(const request& req) {
  if (!beginsWithP(req.method)) return false;
  // Beast itself accepts a list such as "5, 5"; only a single number declares a length here.
  for (const auto& field : req.headers) {
    if (boost::beast::iequals(field.name, "Content-Length")) return !isDecimal(field.value);
  }
  return true;
}

}  // namespace httpserver

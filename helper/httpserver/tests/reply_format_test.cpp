// The stock replies and the wire form of a reply, without sockets.
#include "helper/httpserver/message.h"
#include "helper/httpserver/wire_format.h"

#include <gtest/gtest.h>

namespace httpserver {
namespace {

const char* const badRequestPage =
    "<html><head><title>Bad Request</title></head><body><h1>400 Bad Request</h1></body></html>";

TEST(StockReply, BadRequestCarriesTheLibraryPage) {
  const response reply = response::stock_reply(response::bad_request);
  EXPECT_EQ(reply.status, response::bad_request);
  EXPECT_EQ(reply.content, badRequestPage);
  ASSERT_EQ(reply.headers.size(), 2u);
  EXPECT_EQ(reply.headers[0].name, "Content-Length");
  EXPECT_EQ(reply.headers[0].value, "89");
  EXPECT_EQ(reply.headers[1].name, "Content-Type");
  EXPECT_EQ(reply.headers[1].value, "text/html");
}

TEST(StockReply, GivenBodyIsMeasuredInBytes) {
  // Two UTF-8 bytes per "é": the length is of the bytes, not of the characters.
  const response reply = response::stock_reply(response::ok, "caf\xC3\xA9");
  EXPECT_EQ(reply.content, "caf\xC3\xA9");
  ASSERT_EQ(reply.headers.size(), 2u);
  EXPECT_EQ(reply.headers[0].value, "5");
}

TEST(FormatReply, StatusLineHeadersInOrderAndBody) {
  struct row {
    response::status_type status;
    const char* statusLine;
  };
  const row rows[] = {
      {response::ok, "HTTP/1.0 200 OK\r\n"},
      {response::bad_request, "HTTP/1.0 400 Bad Request\r\n"},
      {response::forbidden, "HTTP/1.0 403 Forbidden\r\n"},
      {response::not_found, "HTTP/1.0 404 Not Found\r\n"},
      {response::internal_server_error, "HTTP/1.0 500 Internal Server Error\r\n"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.statusLine);
    response reply = response::stock_reply(r.status, "alive");
    reply.headers.push_back({"Access-Control-Allow-Origin", "*"});
    EXPECT_EQ(formatReply(reply), std::string(r.statusLine) +
                                      "Content-Length: 5\r\n"
                                      "Content-Type: text/html\r\n"
                                      "Access-Control-Allow-Origin: *\r\n"
                                      "\r\n"
                                      "alive");
  }
}

}  // namespace
}  // namespace httpserver

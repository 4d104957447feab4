// The server through real sockets: what goes on the wire, what the handler sees, and that one
// client can neither stall nor crash it.
#include "helper/httpserver/tests/running_server.h"
#include "helper/httpserver/tests/test_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace httpserver::testing {
namespace {

using namespace std::chrono_literals;
using boost::asio::ip::tcp;

const std::string stockBadRequest =
    "HTTP/1.0 400 Bad Request\r\n"
    "Content-Length: 89\r\n"
    "Content-Type: text/html\r\n"
    "\r\n"
    "<html><head><title>Bad Request</title></head><body><h1>400 Bad Request</h1></body></html>";

const std::string handledReply =
    "HTTP/1.0 200 OK\r\nContent-Length: 7\r\nContent-Type: text/html\r\n\r\nhandled";

/// Sends `bytes` on a fresh connection and returns everything until the server closes it.
std::string exchange(running_server& server, const std::string& bytes) {
  test_client client(server.endpoint());
  client.send(bytes);
  std::string reply = client.readToEnd();
  EXPECT_TRUE(client.closedByServer());
  return reply;
}

std::string headerOfSize(std::size_t valueLength) {
  return "GET /ping HTTP/1.1\r\nHost: localhost\r\nX-Filler: " + std::string(valueLength, 'a') +
         "\r\n\r\n";
}

TEST(ServerSocket, WritesTheHandlersReplyExactlyThenCloses) {
  recording_handler handler([](const request&, response& reply) {
    reply.status = response::forbidden;
    reply.headers = {{"X-First", "1"}, {"x-second", "two words"}, {"X-First", "again"}};
    reply.content = "Invalid request";
  });
  running_server server(handler);
  EXPECT_EQ(exchange(server, "GET /ping HTTP/1.1\r\nHost: localhost\r\n\r\n"),
            "HTTP/1.0 403 Forbidden\r\n"
            "X-First: 1\r\n"
            "x-second: two words\r\n"
            "X-First: again\r\n"
            "\r\n"
            "Invalid request");
}

TEST(ServerSocket, DeliversRequestsAsReceived) {
  struct row {
    const char* name;
    std::string wire;
    request expected;
  };
  const row rows[] = {
      {"HTTP/1.1 with headers",
       "GET /ping HTTP/1.1\r\nHost: localhost:4618\r\nOrigin: https://www.kestro.com\r\n"
       "Accept: */*\r\n\r\n",
       {"GET", "/ping",
        {{"Host", "localhost:4618"}, {"Origin", "https://www.kestro.com"}, {"Accept", "*/*"}},
        ""}},
      {"pre-flight", "OPTIONS /device HTTP/1.1\r\nHost: localhost\r\n\r\n",
       {"OPTIONS", "/device", {{"Host", "localhost"}}, ""}},
      {"lower-case method kept", "options /device HTTP/1.1\r\nHost: localhost\r\n\r\n",
       {"options", "/device", {{"Host", "localhost"}}, ""}},
      {"HTTP/1.0 without Host or any header", "GET /ping HTTP/1.0\r\n\r\n",
       {"GET", "/ping", {}, ""}},
      {"target not decoded or split",
       "GET /launch?u=https%3A%2F%2Fwww.kestro.com%2Fa&v=Y HTTP/1.1\r\n\r\n",
       {"GET", "/launch?u=https%3A%2F%2Fwww.kestro.com%2Fa&v=Y", {}, ""}},
      {"quotes and raw UTF-8 in the target pass through",
       "GET /launch?u=https://www.kestro.com/\"a\"\xC3\xA9 HTTP/1.1\r\n\r\n",
       {"GET", "/launch?u=https://www.kestro.com/\"a\"\xC3\xA9", {}, ""}},
      {"order, duplicates and letter case of headers",
       "GET /ping HTTP/1.1\r\nORIGIN: a\r\nx-custom: 1\r\norigin: b\r\nOrigin: c\r\n"
       "X-Custom: 2\r\n\r\n",
       {"GET", "/ping",
        {{"ORIGIN", "a"}, {"x-custom", "1"}, {"origin", "b"}, {"Origin", "c"}, {"X-Custom", "2"}},
        ""}},
      {"POST body, Content-Length named in lower case",
       "POST /launch HTTP/1.1\r\ncontent-length: 11\r\n\r\nhello world",
       {"POST", "/launch", {{"content-length", "11"}}, "hello world"}},
      {"PUT with an empty body", "PUT /x HTTP/1.0\r\nContent-Length: 0\r\n\r\n",
       {"PUT", "/x", {{"Content-Length", "0"}}, ""}},
      {"body of a method not beginning with P is read but not handed over",
       "GET /ping HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc",
       {"GET", "/ping", {{"Content-Length", "3"}}, ""}},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    recording_handler handler;
    running_server server(handler);
    EXPECT_EQ(exchange(server, r.wire), handledReply);
    const auto seen = handler.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, r.expected.method);
    EXPECT_EQ(seen[0].destination, r.expected.destination);
    ASSERT_EQ(seen[0].headers.size(), r.expected.headers.size());
    for (std::size_t i = 0; i < seen[0].headers.size(); ++i) {
      EXPECT_EQ(seen[0].headers[i].name, r.expected.headers[i].name) << "header " << i;
      EXPECT_EQ(seen[0].headers[i].value, r.expected.headers[i].value) << "header " << i;
    }
    EXPECT_EQ(seen[0].body, r.expected.body);
  }
}

TEST(ServerSocket, WaitsForABodyThatArrivesLater) {
  recording_handler handler;
  running_server server(handler);
  test_client client(server.endpoint());
  client.send("POST /launch HTTP/1.1\r\nContent-Length: 10\r\n\r\nfirst");
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(handler.seen().empty());
  client.send("-half");
  EXPECT_EQ(client.readToEnd(), handledReply);
  const auto seen = handler.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].body, "first-half");
}

TEST(ServerSocket, RefusesWithTheStock400WithoutCallingTheHandler) {
  struct row {
    const char* name;
    std::string wire;
  };
  const row rows[] = {
      {"garbage", "hello there\r\n\r\n"},
      {"no version", "GET /ping\r\n\r\n"},
      {"header line without colon", "GET /ping HTTP/1.1\r\nHost localhost\r\n\r\n"},
      {"POST without Content-Length", "POST /launch HTTP/1.1\r\nHost: localhost\r\n\r\n"},
      {"POST with a non-numeric Content-Length",
       "POST /launch HTTP/1.1\r\nContent-Length: abc\r\n\r\n"},
      {"POST with a list for Content-Length",
       "POST /launch HTTP/1.1\r\nContent-Length: 5, 5\r\n\r\nhello"},
      {"POST chunked, no Content-Length",
       "POST /launch HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"},
      {"PUT without Content-Length", "PUT /x HTTP/1.0\r\n\r\n"},
      {"PATCH without Content-Length", "PATCH /x HTTP/1.1\r\n\r\n"},
      // 8 KiB is the largest header block taken; this one is a little over.
      {"header block over 8 KiB", headerOfSize(8 * 1024)},
      {"body declared over 1 MiB",
       "POST /launch HTTP/1.1\r\nContent-Length: 1048577\r\n\r\n" + std::string(64 * 1024, 'x')},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.name);
    recording_handler handler;
    running_server server(handler);
    EXPECT_EQ(exchange(server, r.wire), stockBadRequest);
    EXPECT_TRUE(handler.seen().empty());
  }
}

TEST(ServerSocket, TakesRequestsJustInsideTheSizeLimits) {
  const std::string headerJustInside = headerOfSize(8 * 1024 - 100);
  ASSERT_LT(headerJustInside.size(), 8u * 1024);
  const std::string bodyOfOneMiB =
      "POST /launch HTTP/1.1\r\nContent-Length: 1048576\r\n\r\n" + std::string(1024 * 1024, 'x');
  for (const std::string* wire : {&headerJustInside, &bodyOfOneMiB}) {
    recording_handler handler;
    running_server server(handler);
    EXPECT_EQ(exchange(server, *wire), handledReply);
    EXPECT_EQ(handler.seen().size(), 1u);
  }
}

TEST(ServerSocket, HandlerExceptionEndsTheRun) {
  recording_handler handler(
      [](const request&, response&) { throw std::runtime_error("handler failed"); });
  std::optional<running_server> server;
  server.emplace(handler);
  test_client client(server->endpoint());
  client.send("GET /ping HTTP/1.1\r\n\r\n");
  ASSERT_TRUE(server->waitForEnd(10s));
  try {
    server->rethrowFailure();
    ADD_FAILURE() << "run() returned normally";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "handler failed");
  }
  // Destroying the server closes the connection that never got its reply.
  server.reset();
  EXPECT_EQ(client.readToEnd(), "");
  EXPECT_TRUE(client.closedByServer());
}

TEST(ServerSocket, PortAlreadyBoundEndsTheRunNormallyAtOnce) {
  // Hold the port on the address the server itself will pick: the first for "localhost".
  boost::asio::io_context io;
  tcp::resolver resolver(io);
  const tcp::endpoint first = resolver.resolve("localhost", "0").begin()->endpoint();
  tcp::acceptor holder(io, first);
  const std::string port = std::to_string(holder.local_endpoint().port());

  recording_handler handler;
  running_server server(handler, 30s, port);
  ASSERT_TRUE(server.waitForEnd(5s));
  EXPECT_NO_THROW(server.rethrowFailure());
}

TEST(ServerSocket, SlowClientDoesNotDelayAnother) {
  recording_handler handler;
  running_server server(handler);
  test_client slow(server.endpoint());
  slow.send("GET /slow HTTP/1.1\r\nHost: loc");

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(exchange(server, "GET /quick HTTP/1.1\r\nHost: localhost\r\n\r\n"), handledReply);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);

  slow.send("alhost\r\n\r\n");
  EXPECT_EQ(slow.readToEnd(), handledReply);
  const auto seen = handler.seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].destination, "/quick");
  EXPECT_EQ(seen[1].destination, "/slow");
}

TEST(ServerSocket, ClosesAConnectionThatMissesTheRequestTimeout) {
  const std::string partialRequests[] = {"", "GET /ping HTTP/1.1\r\nHost: localhost\r\n"};
  for (const std::string& partial : partialRequests) {
    SCOPED_TRACE("sent: " + partial);
    recording_handler handler;
    running_server server(handler, 300ms);
    test_client idle(server.endpoint());
    idle.send(partial);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(idle.readToEnd(10s), "");
    EXPECT_TRUE(idle.closedByServer());
    EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
    EXPECT_TRUE(handler.seen().empty());
  }
}

TEST(ServerSocket, TrickledRequestCannotOutliveTheTimeout) {
  recording_handler handler;
  running_server server(handler, 500ms);
  test_client trickler(server.endpoint());
  const std::string request = "GET /ping HTTP/1.1\r\nHost: localhost\r\n\r\n";
  // A byte every 60 ms keeps each read short, but the whole request takes longer than allowed.
  for (char byte : request) {
    trickler.send(std::string(1, byte));
    std::this_thread::sleep_for(60ms);
  }
  EXPECT_EQ(trickler.readToEnd(10s), "");
  EXPECT_TRUE(trickler.closedByServer());
  EXPECT_TRUE(handler.seen().empty());
}

}  // namespace
}  // namespace httpserver::testing

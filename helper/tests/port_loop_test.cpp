// The port loop on real sockets: a taken port ends the run normally at once, an exception
// from the handler ends it with a failure so that the next port is tried.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "helper/port_loop.h"
#include "helper/tests/test_support.h"

namespace helper_test {
namespace {

using Messages = std::vector<std::string>;

struct ThrowingHandler {
  void operator()(const httpserver::request&, httpserver::response&) const {
    throw std::runtime_error("handler failed");
  }
};

class Winsock {
 public:
  Winsock() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~Winsock() { WSACleanup(); }
};

// A listening socket on 127.0.0.1 with a port the system chose.
class Listener {
 public:
  Listener() : socket_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(socket_, 1), 0);
    int length = sizeof address;
    ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = std::to_string(ntohs(address.sin_port));
  }
  ~Listener() { closesocket(socket_); }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  const std::string& port() const { return port_; }

 private:
  SOCKET socket_;
  std::string port_;
};

// Sends one request to 127.0.0.1:port, retrying the connection while the server starts.
bool sendRequest(const std::string& port, const std::string& text) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<u_short>(std::stoi(port)));
    if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      const bool sent = ::send(s, text.data(), static_cast<int>(text.size()), 0) ==
                        static_cast<int>(text.size());
      char reply[256];
      ::recv(s, reply, sizeof reply, 0);  // ends when the server drops the connection
      closesocket(s);
      return sent;
    }
    closesocket(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

// Waits for the run in bounded time; a run that never ends would hang the whole test.
bool resultWithin(std::future<bool>& run, std::chrono::seconds limit) {
  if (run.wait_for(limit) != std::future_status::ready) {
    ADD_FAILURE() << "the run did not end within " << limit.count() << " s";
    std::fflush(nullptr);
    std::_Exit(1);
  }
  return run.get();
}

TEST(PortLoop, APortAlreadyTakenEndsTheRunNormallyAtOnce) {
  const Winsock winsock;
  const Listener taken;
  const LogTail log;
  auto run = std::async(std::launch::async, [&] { return helper::runServerOnPort(taken.port()); });
  EXPECT_TRUE(resultWithin(run, std::chrono::seconds(30)));
  EXPECT_EQ(log.newMessages(), Messages{"Attempting to run server on port " + taken.port()});
}

TEST(PortLoop, AnExceptionFromTheHandlerEndsTheRunWithAFailure) {
  const Winsock winsock;
  std::string port;
  {
    const Listener probe;  // learns a free port, then frees it for the server
    port = probe.port();
  }
  const LogTail log;
  auto run = std::async(std::launch::async,
                        [&] { return helper::runServerOnPort<ThrowingHandler>(port); });
  EXPECT_TRUE(sendRequest(port, "GET /ping HTTP/1.0\r\nOrigin: https://www.kestro.com\r\n\r\n"));
  EXPECT_FALSE(resultWithin(run, std::chrono::seconds(30)));
  EXPECT_EQ(log.newMessages(), (Messages{"Attempting to run server on port " + port,
                                         "Failed to run server on port " + port}));
}

// Free ports, all different: each is held until all are chosen, then freed for the servers.
std::vector<std::string> freePorts(std::size_t count) {
  std::vector<Listener> probes(count);
  std::vector<std::string> ports;
  for (const Listener& probe : probes) ports.push_back(probe.port());
  return ports;
}

TEST(PortLoop, AFailedRunMovesOnAndTheFirstNormalEndStopsTheLoop) {
  const Winsock winsock;
  const std::vector<std::string> free = freePorts(2);
  const Listener taken;
  const std::vector<std::string> ports = {free[0], taken.port(), free[1]};
  const LogTail log;
  auto loop = std::async(std::launch::async,
                         [&] { return helper::runPortLoop<ThrowingHandler>(ports); });
  EXPECT_TRUE(sendRequest(ports[0], "GET /ping HTTP/1.0\r\n\r\n"));
  EXPECT_TRUE(resultWithin(loop, std::chrono::seconds(30)));
  // The third port is never tried.
  EXPECT_EQ(log.newMessages(), (Messages{"Attempting to run server on port " + ports[0],
                                         "Failed to run server on port " + ports[0],
                                         "Attempting to run server on port " + ports[1],
                                         "Server running on port " + ports[1]}));
}

TEST(PortLoop, WhenEveryRunFailsNothingMoreIsLogged) {
  const Winsock winsock;
  const std::vector<std::string> ports = freePorts(3);
  const LogTail log;
  auto loop = std::async(std::launch::async,
                         [&] { return helper::runPortLoop<ThrowingHandler>(ports); });
  for (const std::string& port : ports) {
    EXPECT_TRUE(sendRequest(port, "GET /ping HTTP/1.0\r\n\r\n")) << port;
  }
  EXPECT_FALSE(resultWithin(loop, std::chrono::seconds(30)));
  Messages expected;
  for (const std::string& port : ports) {
    expected.push_back("Attempting to run server on port " + port);
    expected.push_back("Failed to run server on port " + port);
  }
  EXPECT_EQ(log.newMessages(), expected);
}

}  // namespace
}  // namespace helper_test

// The server under test on its own thread, with a handler that records what it was given.
#pragma once

#include "helper/httpserver/server.h"

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace httpserver::testing {

/// Records every request and answers it with `answer` (by default 200 "handled").
class recording_handler {
 public:
  using answer_type = std::function<void(const request&, response&)>;

  explicit recording_handler(answer_type answer = {}) : answer_(std::move(answer)) {}

  void operator()(const request& req, response& reply) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(req);
    }
    if (answer_) {
      answer_(req, reply);
    } else {
      reply = response::stock_reply(response::ok, "handled");
    }
  }

  std::vector<request> seen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }

 private:
  answer_type answer_;
  mutable std::mutex mutex_;
  std::vector<request> seen_;
};

/// A server on "localhost" (port 0 unless given) running on a thread of its own until destroyed.
class running_server {
 public:
  using server_type = server<recording_handler>;

  explicit running_server(recording_handler& handler,
                          std::chrono::milliseconds timeout = std::chrono::seconds(30),
                          const std::string& port = "0")
      : server_(server_type::options(handler).address("localhost").port(port).request_timeout(
            timeout)) {
    server_.listen();
    ended_ = ending_.get_future();
    thread_ = std::thread([this] {
      try {
        server_.run();
        ending_.set_value();
      } catch (...) {
        ending_.set_exception(std::current_exception());
      }
    });
  }

  ~running_server() {
    server_.stop();
    thread_.join();
  }

  boost::asio::ip::tcp::endpoint endpoint() const { return server_.local_endpoint(); }

  /// True when run() has returned or thrown within `timeout`.
  bool waitForEnd(std::chrono::milliseconds timeout) {
    return ended_.wait_for(timeout) == std::future_status::ready;
  }
  /// Rethrows what ended run(), if anything did (call after waitForEnd).
  void rethrowFailure() { ended_.get(); }

 private:
  server_type server_;
  std::promise<void> ending_;
  std::future<void> ended_;
  std::thread thread_;
};

}  // namespace httpserver::testing

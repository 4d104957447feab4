// Fixture for calling the request handler directly, with the test product placed beside the
// test executable (or removed) the way the helper finds the real product beside itself.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "helper/tavrin_server.h"
#include "helper/tests/test_support.h"

namespace helper_test {

using Headers = std::vector<httpserver::header>;

inline const std::string kMakerOrigin = "https://www.kestro.com";

class HandlerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  /// Copies the test product beside this executable as Tavrin.exe.
  void placeProduct();
  /// Removes Tavrin.exe from beside this executable.
  void removeProduct();
  /// Puts a file that is not a program in Tavrin.exe's place.
  void placeBrokenProduct();

  httpserver::response handle(const std::string& method, const std::string& destination,
                              const Headers& headers) const;

  /// The command line the helper should give the product for the URL, as UTF-8.
  std::string expectedCommandLine(const std::string& url) const;
  /// Waits for the test product to record its command line (empty when it never did).
  std::string recordedCommandLine() const;
  bool productWasStarted() const;
  /// The window placement the test product was started with, as it recorded it.
  std::string recordedStartup() const;

  std::wstring productBeside_;
  std::wstring recordFile_;
  std::wstring startupFile_;
};

/// Checks status, body and the five headers in their order with their values.
void expectReply(const httpserver::response& res, int status, const std::string& body,
                 const std::string& allowOrigin);

}  // namespace helper_test

// The handler's operations, row by row, with their replies and log lines.
#include <regex>

#include <windows.h>

#include "deviceid/device_ids.h"
#include "helper/tests/handler_fixture.h"

namespace helper_test {
namespace {

using Messages = std::vector<std::string>;

struct OperationCase {
  const char* name;
  std::string method;
  std::string destination;
  Headers headers;
  int status;
  std::string body;
  std::string allowOrigin;
  Messages log;
};

const Headers kMaker = {{"Origin", kMakerOrigin}};

TEST_F(HandlerTest, AnswersEachOperationWithItsReplyAndLogLines) {
  const OperationCase cases[] = {
      {"no headers at all", "GET", "/ping", {}, 403, "Invalid request", "*", {}},
      {"another site's origin", "GET", "/ping", {{"Origin", "https://www.evil.example"}}, 403,
       "Invalid request", "*", {}},
      {"maker host in upper case", "GET", "/ping", {{"Origin", "https://WWW.KESTRO.COM"}}, 403,
       "Invalid request", "*", {}},
      {"maker page named only in another header", "GET", "/ping",
       {{"Referer", "https://www.kestro.com/"}}, 403, "Invalid request", "*", {}},
      {"pre-flight from another site: the origin is tested first", "OPTIONS", "/ping",
       {{"Origin", "https://www.evil.example"}}, 403, "Invalid request", "*", {}},
      {"pre-flight, method in lower case, before launch", "options", "/launch?url=x", kMaker, 200,
       "available", kMakerOrigin, {}},
      {"pre-flight", "OPTIONS", "/whatever", kMaker, 200, "available", kMakerOrigin, {}},
      {"launch without \"=\"", "GET", "/launch", kMaker, 500, "failed", kMakerOrigin,
       {"Tavrin did not launch"}},
      {"launch of another site's URL", "GET", "/launch?url=https://www.evil.example/", kMaker, 400,
       "Unknown launch flag", kMakerOrigin, {"Unknown launch flag"}},
      {"launch takes all after the first \"=\": X&v=Y is no URL", "GET", "/launch?u=X&v=Y", kMaker,
       400, "Unknown launch flag", kMakerOrigin, {"Unknown launch flag"}},
      {"ping", "GET", "/ping", kMaker, 200, "alive", kMakerOrigin, {}},
      {"ping, the method does not matter", "POST", "/ping", kMaker, 200, "alive", kMakerOrigin, {}},
      {"ping wins over device", "GET", "/device/ping", kMaker, 200, "alive", kMakerOrigin, {}},
      {"launch wins over ping", "GET", "/ping/launch", kMaker, 500, "failed", kMakerOrigin,
       {"Tavrin did not launch"}},
      {"anything else", "GET", "/status", kMaker, 400, "unknown operation", kMakerOrigin, {}},
      {"header name \"origin\"", "GET", "/ping", {{"origin", kMakerOrigin}}, 200, "alive",
       kMakerOrigin, {}},
      {"header name \"ORIGIN\"", "GET", "/ping", {{"ORIGIN", "http://kestro.com"}}, 200, "alive",
       "http://kestro.com", {}},
  };
  for (const OperationCase& c : cases) {
    SCOPED_TRACE(c.name);
    const LogTail log;
    expectReply(handle(c.method, c.destination, c.headers), c.status, c.body, c.allowOrigin);
    EXPECT_EQ(log.newMessages(), c.log);
  }
  EXPECT_FALSE(productWasStarted());
}

TEST_F(HandlerTest, EchoesTheLastAcceptableOfSeveralOriginHeaders) {
  struct Case {
    const char* name;
    Headers headers;
    int status;
    std::string allowOrigin;
  };
  const Case cases[] = {
      {"maker, then another site", {{"Origin", "https://a.kestro.com"}, {"Origin", "https://evil.example"}},
       200, "https://a.kestro.com"},
      {"another site, then maker", {{"Origin", "https://evil.example"}, {"origin", "https://b.kestro.com:8443"}},
       200, "https://b.kestro.com:8443"},
      {"two makers: the last wins",
       {{"Origin", "https://a.kestro.com"}, {"Accept", "*/*"}, {"Origin", "http://kestro.com"}}, 200,
       "http://kestro.com"},
      {"two other sites", {{"Origin", "https://evil.example"}, {"Origin", "null"}}, 403, "*"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expectReply(handle("GET", "/ping", c.headers), c.status, c.status == 200 ? "alive" : "Invalid request",
                c.allowOrigin);
  }
}

TEST_F(HandlerTest, DeviceAnswersTheDeviceIdentifier) {
  const httpserver::response res = handle("GET", "/device", kMaker);
  static const std::regex deviceId("KSTR01[0-9a-f]{40}");
  EXPECT_TRUE(std::regex_match(res.content, deviceId)) << res.content;
  expectReply(res, 200, deviceid::getNewDeviceId(), kMakerOrigin);
}

TEST_F(HandlerTest, LaunchStartsTheProductWithEverythingAfterTheFirstEquals) {
  const std::string url = "https://www.kestro.com/p?x=1&v=Y";
  const LogTail log;
  expectReply(handle("GET", "/launch?u=" + url, kMaker), 200, "launched", kMakerOrigin);
  EXPECT_EQ(recordedCommandLine(), expectedCommandLine(url));
  // Position and size left to the system (CW_USEDEFAULT), and no start-up flags.
  EXPECT_EQ(recordedStartup(),
            "x=80000000 y=80000000 width=80000000 height=80000000 flags=00000000");
  EXPECT_EQ(log.newMessages(), (Messages{"Passing url: " + url,
                                         "openning Tavrin from: " + expectedCommandLine(url),
                                         "Passed url to Tavrin", "Tavrin successfully launched"}));
}

TEST_F(HandlerTest, LaunchReportsAProductThatCannotStart) {
  placeBrokenProduct();
  // The code the platform itself gives for starting this file.
  std::wstring commandLine = widen(expectedCommandLine("https://www.kestro.com/"));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_FALSE(CreateProcessW(productBeside_.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                              nullptr, nullptr, &startup, &process));
  const DWORD platformError = GetLastError();

  const LogTail log;
  expectReply(handle("GET", "/launch?url=https://www.kestro.com/", kMaker), 500, "failed",
              kMakerOrigin);
  EXPECT_EQ(log.newMessages(),
            (Messages{"Passing url: https://www.kestro.com/",
                      "openning Tavrin from: " + expectedCommandLine("https://www.kestro.com/"),
                      "Error in createProcess: " + std::to_string(platformError),
                      "Tavrin did not launch"}));
}

TEST_F(HandlerTest, EveryRequestGets404WhileTheProductIsMissing) {
  removeProduct();
  const struct {
    std::string method;
    std::string destination;
  } requests[] = {{"OPTIONS", "/ping"}, {"GET", "/ping"}, {"GET", "/launch?url=https://www.kestro.com/"}};
  for (const auto& r : requests) {
    SCOPED_TRACE(r.method + " " + r.destination);
    const LogTail log;
    expectReply(handle(r.method, r.destination, kMaker), 404, "Tavrin not found", "*");
    EXPECT_EQ(log.newMessages(), (Messages{"Helper can't find Tavrin", "Helper can't find Tavrin"}));
  }
}

TEST_F(HandlerTest, LaunchProductRefusesWhenTheProductIsMissing) {
  removeProduct();
  const LogTail log;
  EXPECT_FALSE(helper::Tavrinserver::launchProduct("https://www.kestro.com/"));
  EXPECT_EQ(log.newMessages(), (Messages{"Helper can't find Tavrin", "Helper can't find Tavrin"}));
}

}  // namespace
}  // namespace helper_test

// The handler fixture: the product's presence is controlled file by file beside the test.
#include "helper/tests/handler_fixture.h"

#include <windows.h>

#include "helper/maker_domains.h"

namespace helper_test {

void HandlerTest::SetUp() {
  if (helper::makerDomains() != std::vector<std::string>{"kestro.com"}) {
    GTEST_SKIP() << "the cases are written for the default maker domain kestro.com";
  }
  productBeside_ = ownFolder() + L"\\Tavrin.exe";
  recordFile_ = ownFolder() + L"\\Tavrin-commandline.txt";
  startupFile_ = recordFile_ + L".startup";
  DeleteFileW(recordFile_.c_str());
  DeleteFileW(startupFile_.c_str());
  placeProduct();
}

void HandlerTest::TearDown() {
  DeleteFileW(recordFile_.c_str());
  DeleteFileW(startupFile_.c_str());
}

void HandlerTest::placeProduct() {
  std::wstring source = widen(TAVRIN_TEST_PRODUCT_PATH);
  for (wchar_t& c : source) {
    if (c == L'/') c = L'\\';
  }
  ASSERT_TRUE(CopyFileW(source.c_str(), productBeside_.c_str(), FALSE))
      << "cannot copy the test product from " << narrow(source) << ", error " << GetLastError();
}

void HandlerTest::removeProduct() {
  ASSERT_TRUE(DeleteFileW(productBeside_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND);
}

void HandlerTest::placeBrokenProduct() {
  removeProduct();
  HANDLE file = CreateFileW(productBeside_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char text[] = "not a program";
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
}

httpserver::response HandlerTest::handle(const std::string& method, const std::string& destination,
                                         const Headers& headers) const {
  httpserver::request req;
  req.method = method;
  req.destination = destination;
  req.headers = headers;
  httpserver::response res;
  helper::Tavrinserver()(req, res);
  return res;
}

std::string HandlerTest::expectedCommandLine(const std::string& url) const {
  return narrow(productBeside_) + " \"" + url + "\"";
}

std::string HandlerTest::recordedCommandLine() const {
  return waitForFile(recordFile_, std::chrono::seconds(30)).value_or("");
}

std::string HandlerTest::recordedStartup() const {
  // Written before the command line, so it is complete once that record is there.
  return readFile(startupFile_).value_or("");
}

bool HandlerTest::productWasStarted() const {
  return GetFileAttributesW(recordFile_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void expectReply(const httpserver::response& res, int status, const std::string& body,
                 const std::string& allowOrigin) {
  EXPECT_EQ(res.status, status);
  EXPECT_EQ(res.content, body);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Content-Length", std::to_string(body.size())},
      {"Content-Type", "text/html"},
      {"Access-Control-Allow-Origin", allowOrigin},
      {"Access-Control-Allow-Headers", "Origin, X-Requested-With, Content-Type, Accept"},
      {"Access-Control-Allow-Methods", "POST, GET, OPTIONS"}};
  std::vector<std::pair<std::string, std::string>> actual;
  for (const auto& h : res.headers) actual.emplace_back(h.name, h.value);
  EXPECT_EQ(actual, expected);
}

}  // namespace helper_test

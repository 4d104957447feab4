// Test helpers that read the platform's view of files and folders.
#include "helper/tests/test_support.h"

#include <regex>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

namespace helper_test {

std::string documentsFolder() {
  char documents[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
    ADD_FAILURE() << "SHGetFolderPathA(CSIDL_PERSONAL) failed";
    return std::string();
  }
  return documents;
}

std::string logFilePath() { return documentsFolder() + "\\Kestro MP3\\logs\\TavrinHelperLog.txt"; }

namespace {

std::optional<std::string> readWhole(HANDLE file) {
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

}  // namespace

std::optional<std::string> readFile(const std::wstring& path) {
  return readWhole(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> readFile(const std::string& path) {
  return readWhole(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::string> waitForFile(const std::wstring& path, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (auto content = readFile(path)) return content;
    }
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::wstring ownFolder() {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  return path.substr(0, path.find_last_of(L"\\/"));
}

LogTail::LogTail() : startSize_(readFile(logFilePath()).value_or("").size()) {}

std::vector<std::string> LogTail::newMessages() const {
  const std::string content = readFile(logFilePath()).value_or("");
  std::vector<std::string> messages;
  if (content.size() < startSize_) {
    ADD_FAILURE() << "the log file shrank while the test ran";
    return messages;
  }
  static const std::regex stamped(
      R"(\d{4}-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\d\d \d\d:\d\d:\d\d: ([^\r\n]*))");
  std::size_t position = startSize_;
  while (position < content.size()) {
    const auto end = content.find("\r\n", position);
    if (end == std::string::npos) {
      ADD_FAILURE() << "log line without CR LF: " << content.substr(position);
      break;
    }
    const std::string line = content.substr(position, end - position);
    std::smatch match;
    if (std::regex_match(line, match, stamped)) {
      messages.push_back(match[2]);
    } else {
      ADD_FAILURE() << "log line without its time stamp: " << line;
    }
    position = end + 2;
  }
  return messages;
}

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

std::string narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], length,
                      nullptr, nullptr);
  return text;
}

}  // namespace helper_test

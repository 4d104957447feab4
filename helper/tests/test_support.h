// What the helper's tests share: the log file as the platform locates it, files and processes.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace helper_test {

/// Documents\Kestro MP3\logs\TavrinHelperLog.txt, Documents as SHGetFolderPathA gives it.
std::string logFilePath();

/// The Documents folder of the current user (CSIDL_PERSONAL).
std::string documentsFolder();

/// The whole content of a file, or nothing when it cannot be read.
std::optional<std::string> readFile(const std::wstring& path);
std::optional<std::string> readFile(const std::string& path);

/// Waits up to the timeout for the file to exist and returns its content.
std::optional<std::string> waitForFile(const std::wstring& path, std::chrono::milliseconds timeout);

/// The folder of the running test executable (no trailing backslash).
std::wstring ownFolder();

/// The messages of the log lines appended since construction, timestamps stripped. Lines are
/// checked for the "YYYY-Mon-DD HH:MM:SS: " stamp and the CR LF ending.
class LogTail {
 public:
  LogTail();
  std::vector<std::string> newMessages() const;

 private:
  std::size_t startSize_;
};

/// UTF-8 to UTF-16 and back, for comparing recorded command lines.
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& wide);

}  // namespace helper_test

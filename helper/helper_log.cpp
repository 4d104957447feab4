// Log lines are appended with the file opened and closed each time, so every line is on disk
// before the helper does its next step.
#include "helper/helper_log.h"

#include <cstdio>
#include <io.h>

#include <shlobj.h>

namespace helper {
namespace {

void createFolderIfMissing(const std::string& folder) {
  if (_access(folder.c_str(), 0) != 0) {
    CreateDirectoryA(folder.c_str(), nullptr);  // a failure shows when the file cannot be opened
  }
}

}  // namespace

std::string formatLogLine(const SYSTEMTIME& localTime, const std::string& message) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const char* month = localTime.wMonth >= 1 && localTime.wMonth <= 12
                          ? kMonths[localTime.wMonth - 1]
                          : "???";
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%s-%02u %02u:%02u:%02u", localTime.wYear, month,
                localTime.wDay, localTime.wHour, localTime.wMinute, localTime.wSecond);
  return std::string(stamp) + ": " + message + "\n";
}

bool writeLog(const std::string& message) {
  char documents[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents))) {
    return false;
  }
  FILE* file = nullptr;
  try {
    const std::string product = std::string(documents) + "\\Kestro MP3\\";
    const std::string logs = product + "logs\\";
    createFolderIfMissing(product);
    createFolderIfMissing(logs);
    if (fopen_s(&file, (logs + "TavrinHelperLog.txt").c_str(), "a+") != 0 || file == nullptr) {
      return false;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    const bool written = std::fputs(formatLogLine(now, message).c_str(), file) >= 0;
    const bool closed = std::fclose(file) == 0;
    return written && closed;
  } catch (...) {
    if (file != nullptr) std::fclose(file);
    return false;
  }
}

}  // namespace helper

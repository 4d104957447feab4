// The log file: line format, CR LF endings, appending in order, folders made on first use.
#include <windows.h>

#include <gtest/gtest.h>

#include "helper/helper_log.h"
#include "helper/tests/test_support.h"

namespace helper_test {
namespace {

SYSTEMTIME at(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME t = {};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
}

TEST(HelperLog, FormatsTheLocalTimeWithTheEnglishMonth) {
  const struct {
    SYSTEMTIME time;
    const char* message;
    const char* line;
  } cases[] = {
      {at(2013, 5, 9, 9, 5, 7), "M", "2013-May-09 09:05:07: M\n"},
      {at(2013, 5, 9, 20, 10, 58), "Server running on port 4618",
       "2013-May-09 20:10:58: Server running on port 4618\n"},
      {at(2024, 1, 31, 0, 0, 0), "", "2024-Jan-31 00:00:00: \n"},
      {at(1999, 12, 1, 23, 59, 59), "a: b", "1999-Dec-01 23:59:59: a: b\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(helper::formatLogLine(c.time, c.message), c.line);
  }
  const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (WORD month = 1; month <= 12; ++month) {
    EXPECT_EQ(helper::formatLogLine(at(2020, month, 2, 3, 4, 5), "x"),
              std::string("2020-") + months[month - 1] + "-02 03:04:05: x\n");
  }
}

std::string stampedLine(const SYSTEMTIME& time, const std::string& message) {
  std::string line = helper::formatLogLine(time, message);
  line.replace(line.size() - 1, 1, "\r\n");
  return line;
}

TEST(HelperLog, AppendsLinesInOrderStampedNowAndEndedByCrLf) {
  const std::size_t before = readFile(logFilePath()).value_or("").size();
  SYSTEMTIME start;
  GetLocalTime(&start);
  ASSERT_TRUE(helper::writeLog("first line"));
  ASSERT_TRUE(helper::writeLog("second line"));
  SYSTEMTIME end;
  GetLocalTime(&end);

  const std::string appended = readFile(logFilePath()).value_or("").substr(before);
  const std::string firstAtStart = stampedLine(start, "first line");
  const std::string firstAtEnd = stampedLine(end, "first line");
  const bool firstMatches = appended.compare(0, firstAtStart.size(), firstAtStart) == 0 ||
                            appended.compare(0, firstAtEnd.size(), firstAtEnd) == 0;
  EXPECT_TRUE(firstMatches) << appended;
  const std::string rest = appended.substr(appended.find("\r\n") + 2);
  EXPECT_TRUE(rest == stampedLine(start, "second line") || rest == stampedLine(end, "second line"))
      << rest;
}

// Moves the product's Documents folder aside for the test and puts it back afterwards.
class FreshDocumentsFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    product_ = documentsFolder() + "\\Kestro MP3";
    saved_ = product_ + ".saved-" + std::to_string(GetCurrentProcessId());
    moved_ = MoveFileA(product_.c_str(), saved_.c_str()) != FALSE;
    ASSERT_TRUE(moved_ || GetLastError() == ERROR_FILE_NOT_FOUND) << GetLastError();
    ASSERT_EQ(GetFileAttributesA(product_.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  void TearDown() override {
    const std::string logs = product_ + "\\logs";
    DeleteFileA((logs + "\\TavrinHelperLog.txt").c_str());
    RemoveDirectoryA((logs + "\\TavrinHelperLog.txt").c_str());
    RemoveDirectoryA(logs.c_str());
    RemoveDirectoryA(product_.c_str());
    if (moved_) {
      EXPECT_TRUE(MoveFileA(saved_.c_str(), product_.c_str())) << GetLastError();
    }
  }

  std::string product_;
  std::string saved_;
  bool moved_ = false;
};

TEST_F(FreshDocumentsFolder, FirstLineCreatesTheFoldersAndTheFile) {
  ASSERT_TRUE(helper::writeLog("Tavrin Helper Server starting"));
  EXPECT_NE(GetFileAttributesA(product_.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_NE(GetFileAttributesA((product_ + "\\logs").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  const std::string content = readFile(logFilePath()).value_or("");
  EXPECT_EQ(content.size(), std::string("2013-May-09 20:10:58: Tavrin Helper Server starting\r\n").size())
      << content;
  EXPECT_EQ(content.substr(20), ": Tavrin Helper Server starting\r\n");
}

TEST_F(FreshDocumentsFolder, ALogFileThatCannotBeOpenedIsReportedNotThrown) {
  ASSERT_TRUE(CreateDirectoryA(product_.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((product_ + "\\logs").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(logFilePath().c_str(), nullptr));  // a folder in the file's place
  EXPECT_FALSE(helper::writeLog("lost line"));
}

}  // namespace
}  // namespace helper_test

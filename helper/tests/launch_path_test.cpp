// The product is started from the helper's own folder even when that folder's path has spaces.
#include <windows.h>

#include <gtest/gtest.h>

#include "helper/tests/test_support.h"

namespace helper_test {
namespace {

std::wstring windowsPath(const char* built) {
  std::wstring path = widen(built);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

class SpacedFolder {
 public:
  SpacedFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    base_ = std::wstring(temp) + L"tavrin launch " + std::to_wstring(GetCurrentProcessId());
    helper_ = base_ + L"\\A B";
    CreateDirectoryW(base_.c_str(), nullptr);
    CreateDirectoryW(helper_.c_str(), nullptr);
  }
  ~SpacedFolder() {
    for (const wchar_t* name :
         {L"\\A B\\launch_probe.exe", L"\\A B\\Tavrin.exe", L"\\A B\\Tavrin-commandline.txt",
          L"\\A B\\Tavrin-commandline.txt.startup", L"\\A.exe", L"\\Tavrin-commandline.txt",
          L"\\Tavrin-commandline.txt.startup"}) {
      DeleteFileW((base_ + name).c_str());
    }
    RemoveDirectoryW(helper_.c_str());
    RemoveDirectoryW(base_.c_str());
  }
  const std::wstring& base() const { return base_; }
  const std::wstring& helper() const { return helper_; }

 private:
  std::wstring base_;
  std::wstring helper_;
};

DWORD runAndWait(const std::wstring& program, std::wstring commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << narrow(program) << ", error " << GetLastError();
    return ~0u;
  }
  DWORD exitCode = ~0u;
  if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  } else {
    ADD_FAILURE() << "the launch probe did not finish";
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return exitCode;
}

// From the unquoted command line alone the system would start "<base>\A.exe" first.
TEST(LaunchPath, StartsTheProductBesideTheHelperNotAProgramNamedAfterTheFolder) {
  const SpacedFolder folder;
  const std::wstring probe = folder.helper() + L"\\launch_probe.exe";
  const std::wstring product = folder.helper() + L"\\Tavrin.exe";
  ASSERT_TRUE(CopyFileW(windowsPath(LAUNCH_PROBE_PATH).c_str(), probe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(windowsPath(TAVRIN_TEST_PRODUCT_PATH).c_str(), product.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(windowsPath(TAVRIN_TEST_PRODUCT_PATH).c_str(),
                        (folder.base() + L"\\A.exe").c_str(), FALSE));

  ASSERT_EQ(runAndWait(probe, L"\"" + probe + L"\" https://www.kestro.com/"), 0u);

  const auto recorded =
      waitForFile(folder.helper() + L"\\Tavrin-commandline.txt", std::chrono::seconds(30));
  ASSERT_TRUE(recorded.has_value()) << "the product beside the helper was not started";
  EXPECT_EQ(*recorded, narrow(product) + " \"https://www.kestro.com/\"");
  EXPECT_EQ(GetFileAttributesW((folder.base() + L"\\Tavrin-commandline.txt").c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "A.exe was started";
}

}  // namespace
}  // namespace helper_test

// The helper program's build: its failure answer, its own system calls, its query function.
#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"
#include "deviceid/machine_facts.h"
#include "deviceid/tests/independent_facts.h"
#include "deviceid/wmi_query.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#ifndef DEVICEID_HELPER_VARIANT
#error "this test must be built against the helper build of deviceid"
#endif

namespace deviceid {
namespace {

using namespace deviceid_test;

TEST(HelperNewDeviceId, AnswersTheFailuresMessageInsteadOfInternalError) {
  EXPECT_EQ(formNewDeviceId([]() -> NewDeviceIdFacts {
              throw std::runtime_error("fact reader broke");
            }),
            "fact reader broke");
  EXPECT_EQ(formNewDeviceId([]() -> NewDeviceIdFacts { throw std::logic_error(""); }), "");
}

TEST(HelperNewDeviceId, HashesLikeThePluginBuild) {
  const NewDeviceIdFacts facts{std::string(328, '0'), "b2636a5f-8684-4df0-b00a-dc58c5d7e2c1",
                               "S-1-5-21-1111111111-2222222222-3333333333", "workstation-7", "",
                               0xD3FCAB12u};
  // The same pinned value as the plug-in build's rule test (sha1sum over the byte sequence).
  EXPECT_EQ(formNewDeviceId([&] { return facts; }),
            "KSTR0192c2c1ad9fc5f18c9d5a317face07928e77e786a");
}

std::string runAndCapture(const std::string& commandLine) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    return "<no pipe>";
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process{};
  std::string mutableLine = commandLine;
  const BOOL started = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  std::string output = started ? "" : "<not started>";
  char chunk[256];
  DWORD got = 0;
  while (started && ReadFile(readEnd, chunk, sizeof chunk, &got, nullptr) && got > 0) {
    output.append(chunk, got);
  }
  CloseHandle(readEnd);
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  return output;
}

TEST(HelperNewDeviceId, AgreesWithThePluginBuildOnThisMachine) {
  char path[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  std::string printer = path;
  printer = printer.substr(0, printer.find_last_of('\\') + 1) + "deviceid_print_new_device_id.exe";
  const std::string pluginId = runAndCapture("\"" + printer + "\"");
  const std::string helperId = getNewDeviceId();
  EXPECT_EQ(helperId.size(), 46u);
  EXPECT_EQ(helperId.rfind("KSTR01", 0), 0u);
  EXPECT_EQ(helperId, pluginId);
  EXPECT_EQ(getNewDeviceId(), helperId);
}

TEST(HelperFacts, ConvertTheSidAndReadTheVolumeThroughTheNarrowApi) {
  const std::string reference = referenceComputerSid();
  ASSERT_FALSE(reference.empty());
  EXPECT_EQ(getComputerAccountSid(), reference);
  EXPECT_EQ(readVolumeSerial(), referenceVolumeSerial());
}

// Runs the helper's query function on a connected service in a single-threaded apartment.
template <typename Body>
void withService(Body body) {
  onFreshThread([&] {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IWbemLocator* locator = nullptr;
    IWbemServices* service = nullptr;
    ASSERT_EQ(GetWbemService(&locator, &service), S_OK);
    body(service);
    service->Release();
    locator->Release();
    CoUninitialize();
  });
}

TEST(HelperWmiQuery, TakesTheQueryThePropertyAndTheBufferLength) {
  const auto names = referenceWmiTexts(L"SELECT Name FROM Win32_OperatingSystem", L"Name");
  ASSERT_TRUE(names.has_value());
  const std::string fullName = firstTextNarrowed(*names);
  ASSERT_GT(fullName.size(), 8u) << "need a text longer than the small buffer";
  const auto bios = referenceWmiTexts(L"SELECT * FROM Win32_BIOS", L"SerialNumber");
  ASSERT_TRUE(bios.has_value());

  withService([&](IWbemServices* service) {
    {
      SCOPED_TRACE("the BIOS serial with the fixed 255-byte buffer");
      char buffer[255] = {};
      EXPECT_EQ(runWmiSerialQuery(service, L"SELECT SerialNumber FROM Win32_BIOS",
                                  L"SerialNumber", buffer, sizeof buffer),
                S_OK);
      EXPECT_EQ(std::string(buffer), firstTextNarrowed(*bios).substr(0, 254));
    }
    {
      SCOPED_TRACE("a long text is cut to the buffer length less one");
      char buffer[16];
      std::memset(buffer, 'Z', sizeof buffer);
      EXPECT_EQ(runWmiSerialQuery(service, L"SELECT Name FROM Win32_OperatingSystem", L"Name",
                                  buffer, 8),
                S_OK);
      EXPECT_EQ(std::string(buffer), fullName.substr(0, 7));
      EXPECT_EQ(buffer[8], 'Z') << "wrote past the given length";
    }
    {
      SCOPED_TRACE("the whole text when it fits");
      char buffer[1024] = {};
      EXPECT_EQ(runWmiSerialQuery(service, L"SELECT Name FROM Win32_OperatingSystem", L"Name",
                                  buffer, sizeof buffer),
                S_OK);
      EXPECT_EQ(std::string(buffer), fullName);
    }
    {
      SCOPED_TRACE("no rows leave the buffer as the caller filled it");
      char buffer[32] = {};
      EXPECT_EQ(runWmiSerialQuery(service,
                                  L"SELECT Name FROM Win32_Process WHERE Name = 'no-such.exe'",
                                  L"Name", buffer, sizeof buffer),
                S_OK);
      EXPECT_EQ(std::string(buffer), "");
    }
    {
      SCOPED_TRACE("a property the rows lack fails the query");
      char buffer[32] = {};
      EXPECT_TRUE(FAILED(runWmiSerialQuery(service, L"SELECT * FROM Win32_BIOS",
                                           L"NoSuchProperty", buffer, sizeof buffer)));
      EXPECT_EQ(std::string(buffer), "");
    }
  });
}

TEST(HelperWmiQuery, SkipsRowsWhoseValueIsNotAText) {
  const auto ids = referenceWmiTexts(L"SELECT ProcessId FROM Win32_Process", L"ProcessId");
  ASSERT_TRUE(ids.has_value());
  ASSERT_FALSE(ids->empty());
  for (const auto& id : *ids) {
    ASSERT_FALSE(id.has_value()) << "the platform reports process ids as texts";
  }
  withService([&](IWbemServices* service) {
    char buffer[32] = {};
    EXPECT_EQ(runWmiSerialQuery(service, L"SELECT ProcessId FROM Win32_Process", L"ProcessId",
                                buffer, sizeof buffer),
              S_OK);
    EXPECT_EQ(std::string(buffer), "");
  });
}

TEST(HelperBiosSerialNumber, MatchesWmiAndFailsOnTheMultithreadedApartment) {
  const auto bios = referenceWmiTexts(L"SELECT * FROM Win32_BIOS", L"SerialNumber");
  ASSERT_TRUE(bios.has_value());
  std::string fresh;
  std::string onMta;
  onFreshThread([&] { fresh = getBiosSerialNumber(); });
  onFreshThread([&] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    onMta = getBiosSerialNumber();
    CoUninitialize();
  });
  EXPECT_EQ(fresh, firstTextNarrowed(*bios).substr(0, 254));
  EXPECT_EQ(onMta, "failed initializing COM");
}

}  // namespace
}  // namespace deviceid

// The system-backed facts of the plug-in build against the platform's own answers under Wine.
#include "deviceid/machine_facts.h"
#include "deviceid/tests/independent_facts.h"
#include "deviceid/wmi_query.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace deviceid {
namespace {

using namespace deviceid_test;

const char* const kBiosFailureTexts[] = {"failed initializing COM", "failed GetWbemService",
                                         "failed query"};

std::string referenceBiosSerial() {
  const auto rows = referenceWmiTexts(L"SELECT * FROM Win32_BIOS", L"SerialNumber");
  if (!rows) {
    return "<query failed>";
  }
  return firstTextNarrowed(*rows).substr(0, 254);
}

TEST(ComputerAccountSid, IsTheSidTextOfTheComputersAccount) {
  const std::string reference = referenceComputerSid();
  ASSERT_FALSE(reference.empty()) << "the platform cannot look up the computer account";
  EXPECT_EQ(getComputerAccountSid(), reference);
  EXPECT_EQ(getComputerAccountSid().rfind("S-1-", 0), 0u);
}

TEST(Hostname, IsWhatWinsockReports) {
  WSADATA data;
  ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  char name[256] = {};
  ASSERT_EQ(gethostname(name, sizeof name), 0);
  const std::string hostname = getHostname();
  EXPECT_EQ(hostname, name);
  EXPECT_FALSE(hostname.empty());
  WSACleanup();
}

TEST(VolumeSerial, IsTheSerialOfTheCurrentDirectorysVolume) {
  EXPECT_EQ(readVolumeSerial(), referenceVolumeSerial());
}

TEST(VolumeSerial, FollowsTheCurrentDirectory) {
  char saved[MAX_PATH] = {};
  ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  DWORD systemDriveSerial = 0;
  const BOOL readable =
      GetVolumeInformationA("C:\\", nullptr, 0, &systemDriveSerial, nullptr, nullptr, nullptr, 0);
  const std::uint32_t serial = readVolumeSerial();
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(serial, readable ? systemDriveSerial : 0xD3FCAB12u);
}

TEST(BiosSerialNumber, OnAThreadOfTheMultithreadedApartmentFailsInitializingCom) {
  std::string serial;
  HRESULT apartmentAfter = E_FAIL;
  onFreshThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    serial = getBiosSerialNumber();
    // Still in the multithreaded apartment: the failed join was not undone by CoUninitialize.
    apartmentAfter = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
    CoUninitialize();
  });
  EXPECT_EQ(serial, "failed initializing COM");
  EXPECT_EQ(apartmentAfter, S_FALSE);
}

TEST(BiosSerialNumber, OnAFreshThreadIsWhatWmiReportsAndLeavesTheApartment) {
  const std::string reference = referenceBiosSerial();
  std::string serial;
  HRESULT apartmentAfter = E_FAIL;
  onFreshThread([&] {
    serial = getBiosSerialNumber();
    // The call left its single-threaded apartment again: the thread may now join any.
    apartmentAfter = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
  });
  for (const char* failure : kBiosFailureTexts) {
    EXPECT_NE(serial, failure);
  }
  EXPECT_EQ(serial, reference);
  EXPECT_EQ(apartmentAfter, S_OK);
}

TEST(BiosSerialNumber, OnAThreadAlreadyInASingleThreadedApartmentKeepsItsApartment) {
  const std::string reference = referenceBiosSerial();
  std::string first;
  std::string second;
  HRESULT apartmentAfter = E_FAIL;
  onFreshThread([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    first = getBiosSerialNumber();
    second = getBiosSerialNumber();  // process security is already set by now
    apartmentAfter = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CoUninitialize();
    CoUninitialize();
  });
  EXPECT_EQ(first, reference);
  EXPECT_EQ(second, reference);
  EXPECT_EQ(apartmentAfter, S_FALSE);
}

TEST(WmiSerialQuery, FillsTheCallersBufferWithTheFirstTextSerial) {
  const std::string reference = referenceBiosSerial();
  onFreshThread([&] {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    IWbemLocator* locator = nullptr;
    IWbemServices* service = nullptr;
    ASSERT_EQ(GetWbemService(&locator, &service), S_OK);
    ASSERT_NE(locator, nullptr);
    ASSERT_NE(service, nullptr);
    char buffer[255] = {};
    EXPECT_EQ(runWmiSerialQuery(service, buffer), S_OK);
    EXPECT_EQ(std::string(buffer), reference);
    releaseWmiObjects(nullptr, nullptr);  // nothing set: nothing to release
    service->Release();
    locator->Release();
    CoUninitialize();
  });
}

std::string referenceFirstAdapterText() {
  ULONG size = 0;
  const ULONG sizing = GetAdaptersAddresses(AF_UNSPEC, 0, nullptr, nullptr, &size);
  if (sizing != ERROR_BUFFER_OVERFLOW) {
    return "Error in getMacAddress: " + std::to_string(sizing);
  }
  if (size > 9024) {
    return "Error in getMacAddress: 111";
  }
  std::vector<unsigned char> storage(size);
  auto* adapters = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(storage.data());
  if (GetAdaptersAddresses(AF_UNSPEC, 0, nullptr, adapters, &size) != NO_ERROR) {
    return "<reference failed>";
  }
  if (adapters->PhysicalAddressLength == 0) {
    return "Error in getMacAddress: 0";
  }
  std::string text;
  for (ULONG i = 0; i < adapters->PhysicalAddressLength; ++i) {
    char octet[4];
    std::snprintf(octet, sizeof octet, i == 0 ? "%02X" : "-%02X", adapters->PhysicalAddress[i]);
    text += octet;
  }
  return text;
}

TEST(MacAddress, IsTheFirstAdaptersAddressOrTheDocumentedErrorText) {
  EXPECT_EQ(getMacAddress(), referenceFirstAdapterText());
}

}  // namespace
}  // namespace deviceid

// The registry-backed facts and identifiers against fixture values in the Wine prefix's registry.
#include "deviceid/device_ids.h"
#include "deviceid/machine_facts.h"
#include "deviceid/tests/crypto_sha1.h"
#include "deviceid/tests/registry_fixture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace deviceid {
namespace {

using deviceid_test::cryptoSha1Hex;
using deviceid_test::SavedRegistryValue;

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kCryptography[] = "SOFTWARE\\Microsoft\\Cryptography";
constexpr char kKestro[] = "Software\\Kestro";

std::string upperHex(const std::vector<BYTE>& bytes) {
  std::string hex;
  for (BYTE byte : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", byte);
    hex += pair;
  }
  return hex;
}

std::vector<BYTE> byteRamp(std::size_t length, BYTE start) {
  std::vector<BYTE> bytes(length);
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<BYTE>(start + i * 7);
  }
  return bytes;
}

// Both views of a machine value; a 32-bit test process sees the 32-bit view by default.
class MachineValue : public ::testing::Test {
 protected:
  MachineValue(const char* path, const char* name)
      : view32_(HKEY_LOCAL_MACHINE, path, name, KEY_WOW64_32KEY),
        view64_(HKEY_LOCAL_MACHINE, path, name, KEY_WOW64_64KEY) {}

  // The test only means something when the two views are distinct keys.
  void expectOnlyIn64BitView() {
    ASSERT_TRUE(view32_.remove());
    ASSERT_FALSE(view32_.exists()) << "the 32-bit view still shows the value";
    ASSERT_TRUE(view64_.exists()) << "the 64-bit view lost the value";
  }

  SavedRegistryValue view32_;
  SavedRegistryValue view64_;
};

class DigitalProductId : public MachineValue {
 protected:
  DigitalProductId() : MachineValue(kCurrentVersion, "DigitalProductId") {}
};

TEST_F(DigitalProductId, MissingInBothViewsGives328Zeros) {
  ASSERT_TRUE(view32_.remove());
  ASSERT_TRUE(view64_.remove());
  EXPECT_EQ(readDigitalProductIdHex(), std::string(328, '0'));
}

TEST_F(DigitalProductId, ValueOnlyInThe64BitViewIsFoundByTheSecondRead) {
  const std::vector<BYTE> bytes = byteRamp(164, 0x81);
  ASSERT_TRUE(view64_.write(REG_BINARY, bytes.data(), 164));
  expectOnlyIn64BitView();
  EXPECT_EQ(readDigitalProductIdHex(), upperHex(bytes));
}

TEST_F(DigitalProductId, TheDefaultViewWinsWhenBothHoldTheValue) {
  const std::vector<BYTE> bytes32 = byteRamp(164, 0x03);
  const std::vector<BYTE> bytes64 = byteRamp(164, 0xF0);
  ASSERT_TRUE(view32_.write(REG_BINARY, bytes32.data(), 164));
  ASSERT_TRUE(view64_.write(REG_BINARY, bytes64.data(), 164));
  EXPECT_EQ(readDigitalProductIdHex(), upperHex(bytes32));
}

TEST_F(DigitalProductId, ValuesTooLongForTheBufferInBothViewsLeaveZeros) {
  const std::vector<BYTE> bytes = byteRamp(200, 0x11);
  ASSERT_TRUE(view32_.write(REG_BINARY, bytes.data(), 200));
  ASSERT_TRUE(view64_.write(REG_BINARY, bytes.data(), 200));
  EXPECT_EQ(readDigitalProductIdHex(), std::string(328, '0'));
}

TEST_F(DigitalProductId, AShortValueIsPaddedWithZerosAndTheTypeIsIgnored) {
  const std::vector<BYTE> bytes = {0xDE, 0xAD, 0xBE, 0xEF};
  ASSERT_TRUE(view32_.write(REG_SZ, bytes.data(), 4));
  EXPECT_EQ(readDigitalProductIdHex(), "DEADBEEF" + std::string(320, '0'));
}

class MachineGuid : public MachineValue {
 protected:
  MachineGuid() : MachineValue(kCryptography, "MachineGuid") {}
};

TEST_F(MachineGuid, ValueOnlyInThe64BitViewIsFoundByTheSecondRead) {
  ASSERT_TRUE(view64_.writeText("5f1c2e3d-0000-4a4a-b0b0-123456789abc", true));
  expectOnlyIn64BitView();
  EXPECT_EQ(readMachineGuid(), "5f1c2e3d-0000-4a4a-b0b0-123456789abc");
}

TEST_F(MachineGuid, ReadsTheTextUpToItsFirstNul) {
  // Wine's registry terminates every REG_SZ it stores; raw bytes of another type are stored
  // as given, and the read ignores the type.
  const struct {
    const char* label;
    DWORD type;
    std::string stored;
    std::string expected;
  } cases[] = {
      {"text", REG_SZ, "abc-guid", "abc-guid"},
      {"empty", REG_SZ, "", ""},
      {"inner NUL", REG_BINARY, std::string("abc\0def", 7), "abc"},
      {"255 characters and the terminator", REG_SZ, std::string(255, 'k'),
       std::string(255, 'k')},
      // 256 bytes without a terminator fill the 256-byte buffer exactly: at most 255 are
      // kept, and nothing past the buffer is read.
      {"fills the buffer", REG_BINARY, std::string(255, 'g') + "h", std::string(255, 'g')},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.label);
    ASSERT_TRUE(view32_.write(testCase.type, testCase.stored.c_str(),
                              static_cast<DWORD>(testCase.stored.size())));
    EXPECT_EQ(readMachineGuid(), testCase.expected);
  }
}

TEST_F(MachineGuid, ValuesTooLongForTheBufferInBothViewsReadAsEmpty) {
  // The failed first read reports the length it wanted; the second read must still offer
  // only the 256-byte buffer, so it fails too and the buffer stays empty.
  ASSERT_TRUE(view32_.writeText(std::string(300, 'a')));
  ASSERT_TRUE(view64_.writeText(std::string(280, 'b')));
  EXPECT_EQ(readMachineGuid(), "");
}

TEST_F(MachineGuid, ValueTooLongInTheDefaultViewIsReadFromThe64BitView) {
  ASSERT_TRUE(view32_.writeText(std::string(300, 'a')));
  ASSERT_TRUE(view64_.writeText("guid-of-the-64-bit-view"));
  EXPECT_EQ(readMachineGuid(), "guid-of-the-64-bit-view");
}

TEST_F(MachineGuid, MissingInBothViewsGivesEmptyText) {
  ASSERT_TRUE(view32_.remove());
  ASSERT_TRUE(view64_.remove());
  EXPECT_EQ(readMachineGuid(), "");
}

// HKCU\Software\Kestro "KestroGUID", which the product keeps in the 64-bit view.
class UserGuid : public ::testing::Test {
 protected:
  UserGuid() : value_(HKEY_CURRENT_USER, kKestro, "KestroGUID", KEY_WOW64_64KEY) {}

  std::string storedText() {
    std::vector<BYTE> data;
    DWORD type = 0;
    if (!value_.read(data, type)) {
      return "<missing>";
    }
    // Up to the first NUL: the narrow API appends one when there is room.
    const std::string text(data.begin(), data.end());
    return text.substr(0, text.find('\0'));
  }

  SavedRegistryValue value_;
};

std::array<std::uint8_t, 16> hexPairsInTextOrder(const std::string& text) {
  std::array<std::uint8_t, 16> bytes{};
  std::size_t count = 0;
  for (std::size_t i = 0; i + 1 < text.size() && count < 16; ++i) {
    if (std::isxdigit(static_cast<unsigned char>(text[i])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
      bytes[count++] = static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16));
      ++i;
    }
  }
  return bytes;
}

bool isLowerCaseGuidText(const std::string& text) {
  if (text.size() != 36) {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
    const char c = text[i];
    if (dash ? c != '-' : !(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  return true;
}

TEST_F(UserGuid, IsCreatedOnFirstUseAndStableAfterwards) {
  ASSERT_TRUE(value_.remove());
  const std::array<std::uint8_t, 16> first = readOrCreateUserGuid();

  std::vector<BYTE> data;
  DWORD type = 0;
  ASSERT_TRUE(value_.read(data, type));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const std::string text = storedText();
  EXPECT_TRUE(isLowerCaseGuidText(text)) << text;
  EXPECT_EQ(first, hexPairsInTextOrder(text));
  EXPECT_NE(first, (std::array<std::uint8_t, 16>{}));

  EXPECT_EQ(readOrCreateUserGuid(), first);
  EXPECT_EQ(storedText(), text);

  ASSERT_TRUE(value_.remove());
  EXPECT_NE(readOrCreateUserGuid(), first) << "a deleted value is replaced by a new GUID";
}

TEST_F(UserGuid, AcceptedFormsGiveTheSixteenBytesInTextOrder) {
  const std::array<std::uint8_t, 16> expected = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                                 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
  const struct {
    const char* label;
    std::string stored;
  } cases[] = {
      {"braces", "{00112233-4455-6677-8899-aabbccddeeff}"},
      {"plain", "00112233-4455-6677-8899-aabbccddeeff"},
      {"upper case", "00112233-4455-6677-8899-AABBCCDDEEFF"},
      {"with terminator", std::string("00112233-4455-6677-8899-aabbccddeeff\0", 37)},
      {"no dashes", "00112233445566778899aabbccddeeff"},
      {"braces, no dashes", "{00112233445566778899AaBbCcDdEeFf}"},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.label);
    ASSERT_TRUE(value_.write(REG_SZ, testCase.stored.data(),
                             static_cast<DWORD>(testCase.stored.size())));
    EXPECT_EQ(readOrCreateUserGuid(), expected);
  }
}

TEST_F(UserGuid, MalformedTextThrowsAndIsLeftAsItIs) {
  const struct {
    const char* label;
    DWORD type;
    std::string stored;
  } cases[] = {
      {"not a hex digit", REG_SZ, "00112233-4455-6677-8899-aabbccddeeXX"},
      {"empty", REG_SZ, ""},
      {"one digit short", REG_SZ, "00112233-4455-6677-8899-aabbccddeef"},
      {"one character too many", REG_SZ, "00112233-4455-6677-8899-aabbccddeeff0"},
      {"no closing brace", REG_SZ, "{00112233-4455-6677-8899-aabbccddeeff"},
      {"dash out of place", REG_SZ, "0011223-34455-6677-8899-aabbccddeeff"},
      // 256 bytes without a terminator fill the read buffer: at most 255 characters are
      // parsed, and nothing past the buffer is read.
      {"fills the buffer", REG_BINARY,
       "00112233-4455-6677-8899-aabbccddeeff" + std::string(220, 'f')},
  };
  for (const auto& testCase : cases) {
    SCOPED_TRACE(testCase.label);
    ASSERT_TRUE(value_.write(testCase.type, testCase.stored.data(),
                             static_cast<DWORD>(testCase.stored.size())));
    EXPECT_THROW(readOrCreateUserGuid(), std::runtime_error);
    EXPECT_EQ(getDeviceId(), "internalerror");
    EXPECT_EQ(getDeviceId(), "internalerror");
    EXPECT_EQ(storedText(), testCase.stored) << "the stored value must not be repaired";
  }
}

std::string serialBytesLowFirst(std::uint32_t serial) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes += static_cast<char>((serial >> shift) & 0xFF);
  }
  return bytes;
}

std::uint32_t currentVolumeSerialIndependently() {
  DWORD serial = 0;
  if (!GetVolumeInformationA(nullptr, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) {
    return 0xD3FCAB12u;
  }
  return serial;
}

TEST_F(UserGuid, DeviceIdIsTheDigestOfTheStoredGuidAndTheVolumeSerial) {
  ASSERT_TRUE(value_.writeText("{00112233-4455-6677-8899-aabbccddeeff}"));
  const std::string expected = cryptoSha1Hex(
      std::string("\x00\x11\x22\x33\x44\x55\x66\x77\x88\x99\xaa\xbb\xcc\xdd\xee\xff", 16) +
      serialBytesLowFirst(currentVolumeSerialIndependently()) +
      deviceid_test::olderIdentifierConstantBytes() + deviceid_test::identifierConstantBytes());
  EXPECT_EQ(getDeviceId(), expected);
}

TEST_F(UserGuid, DeviceIdCreatesTheGuidOnceAndStaysTheSame) {
  ASSERT_TRUE(value_.remove());
  const std::string first = getDeviceId();
  ASSERT_NE(first, "internalerror");
  EXPECT_EQ(first.size(), 40u);
  const std::string text = storedText();
  EXPECT_TRUE(isLowerCaseGuidText(text)) << text;
  EXPECT_EQ(getDeviceId(), first);
  EXPECT_EQ(storedText(), text);
}

// The device identifier reads every machine-wide fact afresh on each call.
class NewDeviceId : public MachineGuid {};

TEST_F(NewDeviceId, IsTheDigestOfTheFactsReadNowInHashingOrder) {
  ASSERT_TRUE(view32_.writeText("fixture-machine-guid", true));
  const std::string facts = readDigitalProductIdHex() + readMachineGuid() +
                            getComputerAccountSid() + getHostname() + getBiosSerialNumber() +
                            std::to_string(currentVolumeSerialIndependently());
  const std::string id = getNewDeviceId();
  EXPECT_EQ(id, "KSTR01" + cryptoSha1Hex(facts + deviceid_test::identifierConstantBytes()));
  EXPECT_EQ(getNewDeviceId(), id);
}

TEST_F(NewDeviceId, FollowsTheMachineGuid) {
  ASSERT_TRUE(view32_.writeText("first-machine-guid"));
  const std::string first = getNewDeviceId();
  ASSERT_TRUE(view32_.writeText("second-machine-guid"));
  const std::string second = getNewDeviceId();
  EXPECT_NE(first, second);
  ASSERT_TRUE(view32_.writeText("first-machine-guid"));
  EXPECT_EQ(getNewDeviceId(), first);
}

}  // namespace
}  // namespace deviceid

// The hashing rules: sha1Hex against the CryptoAPI, and both identifiers pinned on fixed facts.
#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"
#include "deviceid/identifier_rules.h"
#include "deviceid/tests/crypto_sha1.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace deviceid {
namespace {

using deviceid_test::cryptoSha1Hex;
using deviceid_test::identifierConstantBytes;
using deviceid_test::olderIdentifierConstantBytes;

std::string repeated(const std::string& piece, std::size_t totalLength) {
  std::string text;
  while (text.size() < totalLength) {
    text += piece;
  }
  return text.substr(0, totalLength);
}

std::string allByteValues() {
  std::string bytes;
  for (int value = 0; value < 256; ++value) {
    bytes += static_cast<char>(value);
  }
  return bytes;
}

TEST(Sha1Hex, MatchesTheCryptoApiOverATableOfInputs) {
  // Lengths around the 55/56/64-byte block and padding boundaries, embedded NULs, every byte
  // value, and long texts.
  const std::vector<std::string> inputs = {
      "",
      "a",
      "abc",
      std::string("\0", 1),
      std::string("a\0b", 3),
      repeated("x", 55),
      repeated("x", 56),
      repeated("x", 57),
      repeated("y", 63),
      repeated("y", 64),
      repeated("y", 65),
      repeated("0123456789ABCDEF", 328),
      allByteValues(),
      repeated("The quick brown fox jumps over the lazy dog. ", 100000),
      repeated(allByteValues(), 1 << 20),
  };
  for (const std::string& input : inputs) {
    SCOPED_TRACE("input of " + std::to_string(input.size()) + " bytes");
    EXPECT_EQ(sha1Hex(input), cryptoSha1Hex(input));
  }
}

TEST(Sha1Hex, GivesTheFipsExampleDigestsInLowerCase) {
  // FIPS 180 examples.
  EXPECT_EQ(sha1Hex(""), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
  EXPECT_EQ(sha1Hex("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(sha1Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
}

TEST(DigestToHex, WritesFiveWordsAsEightDigitsEachAndReplacesTheText) {
  std::string text = "previous content that must disappear";
  digestToHex({0x00000001u, 0x00abcdefu, 0x00000000u, 0xffffffffu, 0x0a0b0c0du}, text);
  EXPECT_EQ(text, "0000000100abcdef00000000ffffffff0a0b0c0d");
}

struct NewDeviceIdCase {
  const char* label;
  NewDeviceIdFacts facts;
  const char* volumeSerialDecimal;  // as documented: digits only, no sign, no leading zeros
  const char* expected;             // "" where only the CryptoAPI comparison applies
};

std::vector<NewDeviceIdCase> newDeviceIdCases() {
  // The pinned digests were computed on Linux with sha1sum over the exact byte sequence, e.g.
  //   { printf '%s' "$productIdHex" "$guid" "$sid" "$host" "$bios" "$serial";
  //     printf '\x3c\x91\xe0\x4d\x7a\x25\xb8\xf6\x01\x9d\x4e\xc2\xa8\x7f\x5b\x13'; } | sha1sum
  return {
      {"readable facts, empty BIOS serial, unreadable volume",
       {std::string(328, '0'), "b2636a5f-8684-4df0-b00a-dc58c5d7e2c1",
        "S-1-5-21-1111111111-2222222222-3333333333", "workstation-7", "", 0xD3FCAB12u},
       "3556551442",
       "KSTR0192c2c1ad9fc5f18c9d5a317face07928e77e786a"},
      {"every fact failed",
       {repeated("0123456789ABCDEF", 328), "", "Error retrieving SID: 1332",
        "getHostname error: 10093", "failed query", 0u},
       "0",
       "KSTR0116389207955398e7d7a17bcd35c6a0ee2827a365"},
      {"largest serial, non-ASCII bytes in the BIOS text",
       {repeated("9F", 328), "{guid}", "S-1-5-21-1-2-3", "h", "Serial \xE9\xFF 1", 0xFFFFFFFFu},
       "4294967295",
       ""},
      {"serial with inner zeros",
       {repeated("AB", 328), "g", "s", "n", "b", 1000000u},
       "1000000",
       ""},
  };
}

TEST(NewDeviceIdRule, HashesTheFactsInOrderWithTheDecimalSerialAndTheConstant) {
  for (const NewDeviceIdCase& testCase : newDeviceIdCases()) {
    SCOPED_TRACE(testCase.label);
    const NewDeviceIdFacts& facts = testCase.facts;
    const std::string bytes = facts.productIdHex + facts.machineGuid + facts.accountSid +
                              facts.hostname + facts.biosSerial + testCase.volumeSerialDecimal +
                              identifierConstantBytes();
    const std::string id = newDeviceIdFromFacts(facts);
    EXPECT_EQ(id, "KSTR01" + cryptoSha1Hex(bytes));
    EXPECT_EQ(id.size(), 46u);
    if (*testCase.expected != '\0') {
      EXPECT_EQ(id, testCase.expected);
    }
  }
}

TEST(NewDeviceIdRule, DependsOnTheOrderOfTheFacts) {
  NewDeviceIdFacts facts{std::string(328, '0'), "guid", "sid", "host", "bios", 7u};
  NewDeviceIdFacts swapped = facts;
  std::swap(swapped.accountSid, swapped.hostname);
  EXPECT_NE(newDeviceIdFromFacts(facts), newDeviceIdFromFacts(swapped));
}

struct DeviceIdCase {
  const char* label;
  DeviceIdFacts facts;
  std::string serialBytes;  // least significant byte first, as documented
  const char* expected;
};

TEST(DeviceIdRule, HashesGuidSerialBytesAndBothConstants) {
  // Pinned digests computed with sha1sum over the 48 bytes, e.g.
  //   { printf '\x00%.0s' $(seq 16); printf '\x12\xab\xfc\xd3';
  //     printf '\x5e\x8a\x17\xc3\xd2\x90\x4b\xf6\xa1\xe0\x7d\x38';
  //     printf '\x3c\x91\xe0\x4d\x7a\x25\xb8\xf6\x01\x9d\x4e\xc2\xa8\x7f\x5b\x13'; } | sha1sum
  const std::vector<DeviceIdCase> cases = {
      {"no GUID, unreadable volume", {{}, 0xD3FCAB12u}, std::string("\x12\xab\xfc\xd3", 4),
       "21398c30b30b72d75bb3027c683e9ad736b8a604"},
      {"GUID in text order",
       {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee,
         0xff},
        0x01020304u},
       std::string("\x04\x03\x02\x01", 4), "ce21383e25db7b3d3799e161ad5d082c44c17b31"},
  };
  for (const DeviceIdCase& testCase : cases) {
    SCOPED_TRACE(testCase.label);
    const std::string guid(testCase.facts.userGuid.begin(), testCase.facts.userGuid.end());
    const std::string bytes = guid + testCase.serialBytes + olderIdentifierConstantBytes() +
                              identifierConstantBytes();
    ASSERT_EQ(bytes.size(), 48u);
    const std::string id = deviceIdFromFacts(testCase.facts);
    EXPECT_EQ(id, cryptoSha1Hex(bytes));
    EXPECT_EQ(id, testCase.expected);
  }
}

// The plug-in's warning box, observed instead of shown.
struct RecordedBox {
  int calls = 0;
  HWND__* owner = reinterpret_cast<HWND__*>(1);
  std::string text;
  std::string caption;
  unsigned style = 0;
};
RecordedBox recordedBox;

int __stdcall recordBox(HWND__* owner, const char* text, const char* caption, unsigned style) {
  ++recordedBox.calls;
  recordedBox.owner = owner;
  recordedBox.text = text;
  recordedBox.caption = caption;
  recordedBox.style = style;
  return 1;
}

class PluginNewDeviceIdFailure : public ::testing::Test {
 protected:
  void SetUp() override {
    recordedBox = RecordedBox();
    saved_ = newDeviceIdWarningBox;
    newDeviceIdWarningBox = &recordBox;
  }
  void TearDown() override { newDeviceIdWarningBox = saved_; }

 private:
  WarningBoxFunction saved_ = nullptr;
};

TEST_F(PluginNewDeviceIdFailure, ShowsTheWarningBoxAndAnswersInternalError) {
  const std::string id =
      formNewDeviceId([]() -> NewDeviceIdFacts { throw std::runtime_error("fact reader broke"); });
  EXPECT_EQ(id, "internalerror");
  EXPECT_EQ(recordedBox.calls, 1);
  EXPECT_EQ(recordedBox.owner, nullptr);
  EXPECT_EQ(recordedBox.text, "fact reader broke");
  EXPECT_EQ(recordedBox.caption, "New Device ID ERROR");
  EXPECT_EQ(recordedBox.style, 0x30u);
}

TEST_F(PluginNewDeviceIdFailure, ShowsNoBoxWhenTheFactsHash) {
  const NewDeviceIdFacts facts{std::string(328, '0'), "guid", "sid", "host", "", 1u};
  EXPECT_EQ(formNewDeviceId([&] { return facts; }), newDeviceIdFromFacts(facts));
  EXPECT_EQ(recordedBox.calls, 0);
}

TEST(PluginDeviceIdFailure, AnyExceptionGivesInternalError) {
  EXPECT_EQ(formDeviceId([]() -> DeviceIdFacts { throw std::runtime_error("invalid uuid string"); }),
            "internalerror");
  EXPECT_EQ(formDeviceId([]() -> DeviceIdFacts { throw 42; }), "internalerror");
}

}  // namespace
}  // namespace deviceid

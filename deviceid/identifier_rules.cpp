// The hashing rules of the device identifiers.
#include "deviceid/identifier_rules.h"

#include <boost/uuid/detail/sha1.hpp>

#include <cstdio>

namespace deviceid {
namespace {

// Both constants are part of identifiers the maker's servers already hold: never change them.
constexpr std::array<std::uint8_t, 16> kIdentifierConstant = {
    0x3c, 0x91, 0xe0, 0x4d, 0x7a, 0x25, 0xb8, 0xf6,
    0x01, 0x9d, 0x4e, 0xc2, 0xa8, 0x7f, 0x5b, 0x13};
constexpr std::array<std::uint8_t, 12> kOlderIdentifierConstant = {
    0x5e, 0x8a, 0x17, 0xc3, 0xd2, 0x90, 0x4b, 0xf6, 0xa1, 0xe0, 0x7d, 0x38};

constexpr char kNewDeviceIdPrefix[] = "KSTR01";

void feed(boost::uuids::detail::sha1& hash, const std::string& text) {
  hash.process_bytes(text.data(), text.size());
}

Sha1Digest finish(boost::uuids::detail::sha1& hash) {
  boost::uuids::detail::sha1::digest_type words;
  hash.get_digest(words);
  return {words[0], words[1], words[2], words[3], words[4]};
}

}  // namespace

Sha1Digest sha1Digest(const void* bytes, std::size_t length) {
  boost::uuids::detail::sha1 hash;
  hash.process_bytes(bytes, length);
  return finish(hash);
}

void digestToHex(const Sha1Digest& digest, std::string& text) {
  char buffer[41];
  std::snprintf(buffer, sizeof buffer, "%08x%08x%08x%08x%08x",
                static_cast<unsigned>(digest[0]), static_cast<unsigned>(digest[1]),
                static_cast<unsigned>(digest[2]), static_cast<unsigned>(digest[3]),
                static_cast<unsigned>(digest[4]));
  text.assign(buffer, 40);
}

std::string newDeviceIdFromFacts(const NewDeviceIdFacts& facts) {
  boost::uuids::detail::sha1 hash;
  // The volume serial is read fourth but hashed sixth; only this order matters.
  feed(hash, facts.productIdHex);
  feed(hash, facts.machineGuid);
  feed(hash, facts.accountSid);
  feed(hash, facts.hostname);
  feed(hash, facts.biosSerial);
  feed(hash, std::to_string(facts.volumeSerial));
  hash.process_bytes(kIdentifierConstant.data(), kIdentifierConstant.size());
  std::string hex;
  digestToHex(finish(hash), hex);
  return kNewDeviceIdPrefix + hex;
}

std::string deviceIdFromFacts(const DeviceIdFacts& facts) {
  const std::uint32_t serial = facts.volumeSerial;
  // Least significant byte first, whatever the host's byte order.
  const std::uint8_t serialBytes[4] = {
      static_cast<std::uint8_t>(serial), static_cast<std::uint8_t>(serial >> 8),
      static_cast<std::uint8_t>(serial >> 16), static_cast<std::uint8_t>(serial >> 24)};
  boost::uuids::detail::sha1 hash;
  hash.process_bytes(facts.userGuid.data(), facts.userGuid.size());
  hash.process_bytes(serialBytes, sizeof serialBytes);
  hash.process_bytes(kOlderIdentifierConstant.data(), kOlderIdentifierConstant.size());
  hash.process_bytes(kIdentifierConstant.data(), kIdentifierConstant.size());
  std::string hex;
  digestToHex(finish(hash), hex);
  return hex;
}

}  // namespace deviceid

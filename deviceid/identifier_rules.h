// The hashing rules of the device identifiers: pure functions from fixed facts to digests.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace deviceid {

/// A SHA-1 digest as five 32-bit words, most significant word first.
using Sha1Digest = std::array<std::uint32_t, 5>;

/// SHA-1 over the given bytes. Throws what the hash throws (e.g. on an oversized input).
Sha1Digest sha1Digest(const void* bytes, std::size_t length);

/// Writes the digest as 40 lower-case hex digits into `text`, replacing its content.
void digestToHex(const Sha1Digest& digest, std::string& text);

/// The machine-wide facts hashed into "newDeviceId", each as its fact function returned it.
struct NewDeviceIdFacts {
  std::string productIdHex;
  std::string machineGuid;
  std::string accountSid;
  std::string hostname;
  std::string biosSerial;
  std::uint32_t volumeSerial = 0;
};

/// The facts hashed into the older per-user "deviceId".
struct DeviceIdFacts {
  std::array<std::uint8_t, 16> userGuid{};
  std::uint32_t volumeSerial = 0;
};

/// "KSTR01" and the digest of the facts in hashing order; throws on a hashing failure.
std::string newDeviceIdFromFacts(const NewDeviceIdFacts& facts);

/// The 40-digit digest of the user GUID, the serial's bytes and both constants; may throw.
std::string deviceIdFromFacts(const DeviceIdFacts& facts);

}  // namespace deviceid

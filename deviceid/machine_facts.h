// Machine facts: single properties of this Windows machine and user, read afresh on every call.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace deviceid {

/// The 164 bytes of "DigitalProductId" as 328 upper-case hex digits (all "0" when unreadable).
std::string readDigitalProductIdHex();

/// The cryptography "MachineGuid" text, at most 255 characters; "" when unreadable.
std::string readMachineGuid();

/// The SID text of the computer's own account, or an error text ending in the error code.
std::string getComputerAccountSid();

/// The host name, or "getHostname error: " and the socket error code.
std::string getHostname();

/// The serial number of the current directory's volume; 0xD3FCAB12 when it cannot be read.
std::uint32_t readVolumeSerial();

/// The BIOS serial number from WMI (at most 254 characters), or one of three failure texts.
std::string getBiosSerialNumber();

#ifndef DEVICEID_HELPER_VARIANT
/// The first network adapter's address as "00-1A-2B-3C-4D-5E", or an error text (plug-in only).
std::string getMacAddress();

/// The per-user random GUID kept in the registry, created on first use, as 16 bytes in text
/// order; zeros when unavailable. Throws std::runtime_error when the stored text is malformed.
/// Plug-in build only.
std::array<std::uint8_t, 16> readOrCreateUserGuid();
#endif

}  // namespace deviceid

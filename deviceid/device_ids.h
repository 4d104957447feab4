// Device identifiers: SHA-1 digests over fixed sequences of machine facts.
#pragma once

#include <string>

namespace deviceid {

/// Lower-case hex SHA-1 digest of the text's bytes; "internalerror" if computing it throws.
std::string sha1Hex(const std::string& text);

/// "KSTR01" and 40 hex digits over the machine-wide facts. On failure the plug-in build shows
/// a warning box and answers "internalerror"; the helper build answers the failure's message.
std::string getNewDeviceId();

#ifndef DEVICEID_HELPER_VARIANT
/// The older per-user identifier, 40 hex digits; "internalerror" on any failure (plug-in only).
std::string getDeviceId();
#endif

}  // namespace deviceid

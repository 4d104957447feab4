// The digest of one text, for the single-fact digests and the helper's start-up log.
#include "deviceid/device_ids.h"
#include "deviceid/identifier_forming.h"

namespace deviceid {

const char kInternalError[] = "internalerror";

std::string sha1Hex(const std::string& text) {
  std::string result = kInternalError;
  try {
    digestToHex(sha1Digest(text.data(), text.size()), result);
  } catch (...) {
    result = kInternalError;
  }
  return result;
}

}  // namespace deviceid

// Forming the identifiers from freshly read facts, with each deliverable's failure answer.
#pragma once

#include "deviceid/identifier_rules.h"

#include <functional>
#include <string>

struct HWND__;  // the window handle type, without pulling <windows.h> into every user

namespace deviceid {

/// "internalerror": stands in for an identifier or digest that could not be computed.
extern const char kInternalError[];

/// Reads the six machine-wide facts in their fixed reading order.
NewDeviceIdFacts readNewDeviceIdFacts();

/// Reads the facts through `readFacts` and hashes them. When a std::exception escapes, the
/// plug-in build shows the warning box and answers "internalerror"; the helper build answers
/// the exception's message.
std::string formNewDeviceId(const std::function<NewDeviceIdFacts()>& readFacts);

#ifndef DEVICEID_HELPER_VARIANT
/// The modal box the plug-in build shows for a failed "newDeviceId"; MessageBoxA by default.
/// Replaceable so that tests can observe the box without blocking on it.
using WarningBoxFunction = int(__stdcall*)(HWND__* owner, const char* text,
                                           const char* caption, unsigned style);
extern WarningBoxFunction newDeviceIdWarningBox;

/// Reads the facts through `readFacts` and hashes them; any exception gives "internalerror".
std::string formDeviceId(const std::function<DeviceIdFacts()>& readFacts);
#endif

}  // namespace deviceid

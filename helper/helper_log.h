// The helper's log file: Documents\Kestro MP3\logs\TavrinHelperLog.txt, one timestamped line each.
#pragma once

#include <string>

#include <windows.h>

namespace helper {

/// "YYYY-Mon-DD HH:MM:SS: message" and a line end ("\n"; text mode writes it as CR LF), the
/// month as its English three-letter abbreviation whatever the locale.
std::string formatLogLine(const SYSTEMTIME& localTime, const std::string& message);

/// Appends one line stamped with the local time, creating the folders on first use. False when
/// the Documents folder is unknown or the file cannot be opened or written; callers go on anyway.
bool writeLog(const std::string& message);

}  // namespace helper

// Creating the per-user GUID that the older identifier is built from (plug-in only).
#pragma once

#include <windows.h>

namespace deviceid {

/// Writes a new random GUID as "KestroGUID" (36 lower-case characters, no braces, no
/// terminator) into the open key. Writes nothing when no GUID or text can be made.
void createUserGuid(HKEY key);

}  // namespace deviceid

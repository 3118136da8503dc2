#pragma once
// Asks Windows for the facts the engine decides by: the version triple of
// GetVersionEx, whether this is a 32-bit process on 64-bit Windows, and the
// SID of the user the process runs as.
#include <string>

#include "platform/SystemFacts.h"

namespace hs {

WindowsVersionInfo QueryWindowsVersion();
// IsWow64Process, looked up at run time because older systems lack it; no
// when it is missing or fails.
bool QueryIsWow64();
// The process token's user as "S-1-5-21-..."; "" when the system does not
// tell (Windows 9x has no tokens).
std::string QueryCurrentUserSid();
// All of the above.
SystemFacts QuerySystemFacts();

}  // namespace hs

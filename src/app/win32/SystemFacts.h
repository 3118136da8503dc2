#pragma once
// Asks Windows for the facts the engine decides by: the version triple of
// GetVersionEx and whether this is a 32-bit process on 64-bit Windows.
#include "app/RegGlobal.h"

namespace hs {

WindowsVersionInfo QueryWindowsVersion();
// IsWow64Process, looked up at run time because older systems lack it; no
// when it is missing or fails.
bool QueryIsWow64();
// Both of the above, stored in the process-wide state.
void InitSystemFacts();

}  // namespace hs

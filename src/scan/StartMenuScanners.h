#pragma once
// The Start menu as the shell remembers it: menu-order keys for program
// folders that are gone (task 16) and shortcut files whose target is gone
// (task 17, the one scan whose findings are files).
#include <string>

namespace hs {

class ScanContext;

void ScanStartMenu(ScanContext& context);  // task 16
void ScanShortcuts(ScanContext& context);  // task 17

}  // namespace hs

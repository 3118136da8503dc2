#pragma once
// The last guard before a key is deleted: whatever a scanner reported, the
// repair never removes a hive root, a key that the system or every program
// depends on (Software, Classes, CLSID, Interface, TypeLib, AppID, SYSTEM,
// CurrentControlSet, Services, Uninstall, the Run keys, a user's profile
// hive...), nor any key above one of them.
#include <string_view>

#include "platform/RootKey.h"

namespace hs {

// keyPath is below the root, without leading backslash; case is ignored and
// trailing backslashes or doubled separators do not hide a protected key.
bool IsProtectedKey(RootKey root, std::string_view keyPath);

}  // namespace hs

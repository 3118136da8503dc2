#pragma once
// Facts about the running Windows that the engine decides by, asked once at
// start by the Windows side (tests set them as they need). Every version
// decision goes through WindowsVersionCode.
#include <cstdint>
#include <string>

namespace hs {

// GetVersionEx's platform number of the Windows NT family.
constexpr std::uint32_t kPlatformWin32Nt = 2;

struct WindowsVersionInfo {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

// The small integer that names a Windows version. 10 is the catch-all; 2 and
// 4 never occur.
int WindowsVersionCodeFor(const WindowsVersionInfo& version);

struct SystemFacts {
  WindowsVersionInfo version;  // unknown until asked: code 10
  bool wow64 = false;          // a 32-bit process on 64-bit Windows
  std::string userSid;         // "S-1-5-21-...": this user's hive under HKEY_USERS; "" unknown

  int WindowsVersionCode() const { return WindowsVersionCodeFor(version); }
};

}  // namespace hs

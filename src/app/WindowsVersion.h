#pragma once
// The small integer that names a Windows version; every version decision of
// the program goes through it. 10 is the catch-all; 2 and 4 never occur.
#include <cstdint>

namespace hs {

// GetVersionEx's platform number of the Windows NT family.
constexpr std::uint32_t kPlatformWin32Nt = 2;

struct WindowsVersionInfo {
  std::uint32_t platformId = 0;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
};

int WindowsVersionCodeFor(const WindowsVersionInfo& version);

}  // namespace hs

#include "platform/SystemFacts.h"

namespace hs {
namespace {

int NtFamilyCode(std::uint32_t major, std::uint32_t minor) {
  switch (major) {
    case 3:
      return 5;
    case 4:
      return 6;
    case 5:
      return minor == 0 ? 7 : minor == 1 ? 9 : 10;  // 5.2 and the rest: 10
    case 6:
      return minor == 1 ? 12 : 11;
    default:
      return 10;
  }
}

int OtherPlatformCode(std::uint32_t major, std::uint32_t minor) {
  if (major != 4) return 10;
  switch (minor) {
    case 0:
      return 1;
    case 10:
      return 3;
    case 90:
      return 8;
    default:
      return 10;
  }
}

}  // namespace

int WindowsVersionCodeFor(const WindowsVersionInfo& version) {
  return version.platformId == kPlatformWin32Nt ? NtFamilyCode(version.major, version.minor)
                                                : OtherPlatformCode(version.major, version.minor);
}

}  // namespace hs

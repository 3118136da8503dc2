// The version triple and the WOW64 answer as the real system gives them.
#include <gtest/gtest.h>

#include "platform/win32/QuerySystemFacts.h"

namespace hs {
namespace {

TEST(SystemFactsWin32, TheSystemFeedsTheVersionCodeAndA64BitProcessIsNotWow64) {
  const WindowsVersionInfo version = QueryWindowsVersion();
  EXPECT_EQ(version.platformId, kPlatformWin32Nt);
  EXPECT_GE(version.major, 5u);
  const SystemFacts facts = QuerySystemFacts();
  EXPECT_EQ(facts.WindowsVersionCode(), WindowsVersionCodeFor(version));
  EXPECT_EQ(facts.wow64, sizeof(void*) == 4 && QueryIsWow64());
#ifdef _WIN64
  EXPECT_FALSE(QueryIsWow64());
#endif
}

}  // namespace
}  // namespace hs

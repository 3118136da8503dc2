#include <gtest/gtest.h>

#include "platform/SystemFacts.h"

namespace hs {
namespace {

TEST(WindowsVersionCode, EveryRowOfTheVersionTable) {
  struct Case {
    std::uint32_t platform, major, minor;
    int code;
  };
  const std::uint32_t nt = kPlatformWin32Nt, win9x = 1, win32s = 0;
  const Case cases[] = {
      {nt, 3, 51, 5},     {nt, 3, 10, 5},    {nt, 4, 0, 6},     {nt, 5, 0, 7},
      {nt, 5, 1, 9},      {nt, 5, 2, 10},    {nt, 5, 3, 10},    {nt, 6, 0, 11},
      {nt, 6, 1, 12},     {nt, 6, 2, 11},    {nt, 6, 3, 11},    {nt, 10, 0, 10},
      {nt, 2, 0, 10},     {nt, 0, 0, 10},    {win9x, 4, 0, 1},  {win9x, 4, 10, 3},
      {win9x, 4, 90, 8},  {win9x, 4, 1, 10}, {win9x, 5, 0, 10}, {win32s, 4, 0, 1},
      {win32s, 3, 1, 10}, {3, 4, 10, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(WindowsVersionCodeFor({c.platform, c.major, c.minor}), c.code)
        << c.platform << " " << c.major << "." << c.minor;
}

TEST(SystemFactsTest, UnknownFactsGiveTheCatchAllCode) {
  EXPECT_EQ(SystemFacts{}.WindowsVersionCode(), 10);
  const SystemFacts sevenOnWow64{{kPlatformWin32Nt, 6, 1}, true, "S-1-5-21-1-2-3-1000"};
  EXPECT_EQ(sevenOnWow64.WindowsVersionCode(), 12);
}

}  // namespace
}  // namespace hs

#include <gtest/gtest.h>

#include "offline/posix/ReparsePoint.h"

namespace hs {
namespace {

std::string U16(std::size_t v) {
  return {char(v & 0xFF), char((v >> 8) & 0xFF)};
}

std::string Wide(const std::string& ascii) {
  std::string out;
  for (const char c : ascii) out += std::string{c, '\0'};
  return out;
}

// A reparse buffer as Windows stores it: tag, length, the name fields, for a
// symbolic link its flags, then the names.
std::string Buffer(std::uint32_t tag, const std::string& substitute, const std::string& print,
                   std::uint32_t symlinkFlags) {
  const std::string names = Wide(substitute) + Wide(print);
  std::string fields =
      U16(0) + U16(substitute.size() * 2) + U16(substitute.size() * 2) + U16(print.size() * 2);
  if (tag == 0xA000000C) fields += U16(symlinkFlags) + U16(0);
  const std::string body = fields + names;
  return U16(tag & 0xFFFF) + U16(tag >> 16) + U16(body.size()) + U16(0) + body;
}

TEST(ReparsePoint, GivesTheWindowsTargetOfJunctionsAndLinks) {
  auto target =
      ParseReparseData(Buffer(0xA0000003, "\\??\\D:\\Program Files", "D:\\Program Files", 0));
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, "D:\\Program Files");
  EXPECT_FALSE(target->relative);
  target = ParseReparseData(Buffer(0xA000000C, "..\\Tools\\t.exe", "..\\Tools\\t.exe", 1));
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, "..\\Tools\\t.exe");
  EXPECT_TRUE(target->relative);
  target = ParseReparseData(Buffer(0xA000000C, "\\??\\C:\\Users", "C:\\Users", 0));
  ASSERT_TRUE(target);
  EXPECT_EQ(target->path, "C:\\Users");

  const std::string whole = Buffer(0xA0000003, "\\??\\C:\\x", "C:\\x", 0);
  for (std::size_t length = 0; length + 4 < whole.size(); ++length)  // the print name may go
    EXPECT_EQ(ParseReparseData(whole.substr(0, length)).has_value(), length >= 16 + 16) << length;
  EXPECT_FALSE(ParseReparseData(Buffer(0x80000017, "\\??\\C:\\x", "", 0)));  // another kind
}

}  // namespace
}  // namespace hs

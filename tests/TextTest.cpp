#include <gtest/gtest.h>

#include "common/CodePage.h"
#include "common/Text.h"

namespace hs {

TEST(Text, CaseInsensitiveComparisonFoldsAsciiAndLatin1) {
  EXPECT_TRUE(EqualsNoCase("HKEY_Local_Machine", "hkey_local_machine"));
  EXPECT_TRUE(EqualsNoCase("caf\xC3\xA9", "CAF\xC3\x89"));
  EXPECT_FALSE(EqualsNoCase("abc", "abd"));
  EXPECT_FALSE(EqualsNoCase("Value", "VALUE2"));
  EXPECT_FALSE(EqualsNoCase("", "x"));
  EXPECT_TRUE(EqualsNoCase("", ""));
  EXPECT_FALSE(EqualsNoCase("caf\xC3\xA9", "CAFE"));
  EXPECT_TRUE(EqualsNoCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
  EXPECT_EQ(FindNoCase("C:\\Windows\\HP\\x", "\\hp"), 10u);
  EXPECT_LT(CompareNoCase("alpha", "Beta"), 0);
  EXPECT_EQ(CompareNoCase("ALPHA", "alpha"), 0);
}

TEST(Text, Utf16RoundTripKeepsSupplementaryCharacters) {
  const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  std::string out;
  EXPECT_FALSE(Utf16ToUtf8Exact(std::u16string(1, char16_t(0xD800)), out));
}

TEST(Text, InvalidUtf8NeverCrashesAndBecomesReplacement) {
  const std::u16string decoded = Utf8ToUtf16("a\xC3");
  ASSERT_EQ(decoded.size(), 2u);
  EXPECT_EQ(decoded[1], 0xFFFD);
}

TEST(CodePage, Windows1252MapsBothWaysAndReportsUnrepresentable) {
  EXPECT_EQ(AnsiToUtf16("\x80\xE9"), u"\u20AC\u00E9");
  std::string ansi;
  EXPECT_TRUE(Utf16ToAnsi(u"\u20AC\u00E9", ansi));
  EXPECT_EQ(ansi, "\x80\xE9");
  EXPECT_FALSE(Utf16ToAnsi(u"\u4E2D", ansi));
}

}  // namespace hs

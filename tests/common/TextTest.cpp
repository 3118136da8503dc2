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

TEST(Text, FoldingIsStableAndKeepsAsciiApart) {
  // Every BMP character: its capital is its own capital, nothing outside
  // ASCII folds into ASCII (the scanners' ASCII comparisons rely on it), and
  // UpperCaseKeepsPositions tells exactly when the encoded length changes.
  for (std::uint32_t c = 0x80; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string text = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(c)));
    const std::string upper = UpperCase(text);
    ASSERT_EQ(UpperCase(upper), upper) << std::hex << c;
    ASSERT_GE(static_cast<unsigned char>(upper[0]), 0x80) << std::hex << c;
    ASSERT_EQ(UpperCaseKeepsPositions(text), upper.size() == text.size()) << std::hex << c;
  }
}

TEST(Text, CapitalsOfAnotherEncodedLengthKeepPositionsInTheText) {
  const std::string turnedA = Utf16ToUtf8(u"\u0250");      // 2 bytes, capital 3
  const std::string aWithStroke = Utf16ToUtf8(u"\u2C65");  // 3 bytes, capital 2
  const std::string capitalTurnedA = Utf16ToUtf8(u"\u2C6F");
  EXPECT_TRUE(EqualsNoCase(turnedA + "x", capitalTurnedA + "X"));
  EXPECT_FALSE(EqualsNoCase(turnedA, capitalTurnedA + "x"));
  // Same byte count overall, yet every position between the two moves.
  const std::string text = "C:\\" + turnedA + "\\hp\\" + aWithStroke;
  EXPECT_EQ(UpperCase(text).size(), text.size());
  EXPECT_FALSE(UpperCaseKeepsPositions(text));
  EXPECT_TRUE(
      UpperCaseKeepsPositions("\xC5\x81\xC3\xB3"
                              "d\xC5\xBA"));
  EXPECT_EQ(FindNoCase(text, "\\HP"), 5u);
  EXPECT_EQ(FindNoCase(text, aWithStroke), 9u);
  EXPECT_EQ(FindNoCase(text, "\\hq"), std::string::npos);
  EXPECT_TRUE(ContainsNoCase(text, capitalTurnedA + "\\HP"));
  EXPECT_TRUE(StartsWithNoCase(capitalTurnedA + "bc", turnedA + "B"));
  EXPECT_FALSE(StartsWithNoCase(capitalTurnedA, turnedA + "b"));
  EXPECT_TRUE(EndsWithNoCase("x" + capitalTurnedA, turnedA));
  EXPECT_TRUE(EndsWithNoCase(text, "HP\\" + Utf16ToUtf8(u"\u023A")));
  EXPECT_FALSE(EndsWithNoCase(turnedA, "x" + capitalTurnedA));
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

TEST(TwoDigits, PadsNumbersUpToNine) {
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(TwoDigits(0), "00");
  EXPECT_EQ(TwoDigits(9), "09");
  EXPECT_EQ(TwoDigits(10), "10");
  EXPECT_EQ(TwoDigits(59), "59");
  EXPECT_EQ(TwoDigits(2026), "2026");
}

}  // namespace hs

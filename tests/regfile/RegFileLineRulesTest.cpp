#include <gtest/gtest.h>

#include <string>

#include "common/Text.h"
#include "regfile/RegFileLineRules.h"

namespace hs {
namespace {

std::string Utf16File(const std::string& utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

const char* const kKey = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n";

// What backups and the registry editor's exports hold passes, in both formats.
TEST(RegFileLineRules, ExportFormsPass) {
  const std::string body =
      "[HKEY_LOCAL_MACHINE\\Software\\A]b]\r\n"
      "@=\"default\"\r\n"
      "\"Name with \\\"=-\\\" inside\"=\"x\"\r\n"
      "\"D\"=dword:0000002a\r\n"
      "\"B\"=hex:00,01,02,\\\r\n"
      "  03,04,\\\r\n"
      "  05\r\n"
      "\"E\"=hex(2):25,00,00,00\r\n"
      "\"Empty\"=hex:\r\n"
      "\r\n"
      "[hkey_users\\.DEFAULT]\r\n"
      "[HKEY_CLASSES_ROOT\\.x]\n[HKEY_CURRENT_CONFIG\\Software]\r\n";
  EXPECT_EQ(FindLineRuleBreach("REGEDIT4\r\n\r\n" + body, Windows1252CodePage()), std::nullopt);
  EXPECT_EQ(FindLineRuleBreach(Utf16File("Windows Registry Editor Version 5.00\r\n\r\n" + body),
                               Windows1252CodePage()),
            std::nullopt);
}

TEST(RegFileLineRules, TheFirstOffendingLineIsNamed) {
  const struct {
    std::string lines;  // after the header and key lines (lines 1-3)
    int line;
    const char* text;
    const char* why;
  } cases[] = {
      {"[-HKEY_CURRENT_USER\\Software\\Victim]\r\n", 4, "[-HKEY_CURRENT_USER\\Software\\Victim]",
       "deletes a key"},
      {"\"Run\"=-\r\n", 4, "\"Run\"=-", "deletes a value"},
      {"@ = -\r\n", 4, "@ = -", "deletes a value"},
      {"\"ok\"=\"1\"\r\n  [ -HKEY_CURRENT_USER\\X]\r\n", 5, "  [ -HKEY_CURRENT_USER\\X]",
       "names a hive"},
      {"[HKLM\\Software\\X]\r\n", 4, "[HKLM\\Software\\X]", "names a hive"},
      {"[HKEY_DYN_DATA\\X]\r\n", 4, "[HKEY_DYN_DATA\\X]", "names a hive"},
      {"[HKEY_CURRENT_USER\\\\X]\r\n", 4, "[HKEY_CURRENT_USER\\\\X]", "empty name"},
      {"; a comment\r\n", 4, "; a comment", "is not a key, value"},
      {"\"B\"=hex:01,\\\r\n[-HKEY_LOCAL_MACHINE\\Software]\r\n", 5,
       "[-HKEY_LOCAL_MACHINE\\Software]", "continuation"},
      {"\"S\"=str(2):\"x\"\r\n", 4, "\"S\"=str(2):\"x\"", "neither a string"},
      {"\"unclosed=\"x\"\r\n", 4, "\"unclosed=\"x\"", "value line without '='"},
      {std::string("\"A\"=\"x\0y\"\r\n", 10), 4, "", "NUL"},
      {"\"B\"=hex:01,\\\x0b\r\n\"Run\"=\"x\"\r\n", 4, "", "control character"},
      // A lone CR ends a line for the reader, so it does here too.
      {"\"A\"=\"x\"\r[-HKEY_CURRENT_USER\\Software]\r\n", 5, "[-HKEY_CURRENT_USER\\Software]",
       "deletes a key"},
  };
  for (const auto& c : cases) {
    const auto breach = FindLineRuleBreach(kKey + c.lines, Windows1252CodePage());
    ASSERT_TRUE(breach.has_value()) << c.lines;
    EXPECT_EQ(breach->line, c.line) << c.lines;
    if (*c.text) {
      EXPECT_EQ(breach->text, c.text);
    }
    EXPECT_NE(breach->why.find(c.why), std::string::npos) << breach->why;
    EXPECT_NE(DescribeBreach(*breach).find("line " + std::to_string(c.line)), std::string::npos);
  }
  const auto unicode =
      FindLineRuleBreach(Utf16File("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\Software\\Ä]\r\n\"Ä\"=-\r\n"),
                         Windows1252CodePage());
  ASSERT_TRUE(unicode.has_value());
  EXPECT_EQ(unicode->line, 4);
  EXPECT_EQ(unicode->text, "\"Ä\"=-");

  const auto noKey = FindLineRuleBreach("REGEDIT4\r\n\"A\"=\"x\"\r\n", Windows1252CodePage());
  ASSERT_TRUE(noKey.has_value());
  EXPECT_EQ(noKey->line, 2);
  EXPECT_EQ(FindLineRuleBreach("REGEDIT5\r\n", Windows1252CodePage())->line, 1);
  EXPECT_EQ(FindLineRuleBreach("\r\nREGEDIT4\r\n", Windows1252CodePage())->line, 1);
  EXPECT_TRUE(FindLineRuleBreach("", Windows1252CodePage()).has_value());
}

}  // namespace
}  // namespace hs

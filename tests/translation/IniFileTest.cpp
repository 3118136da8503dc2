#include <gtest/gtest.h>

#include "common/SingleByteCodePage.h"
#include "common/Text.h"
#include "platform/memory/MemoryFileSystem.h"
#include "translation/IniFile.h"

namespace hs {
namespace {

TEST(IniFile, IntegerFormsTable) {
  struct Case {
    const char16_t* text;
    std::optional<int> expected;
  };
  const Case cases[] = {
      {u"42", 42},
      {u"-7", -7},
      {u"+5", 5},
      {u"007", 7},
      {u"0x1F", 31},
      {u"0xff", 255},
      {u"0xFFFFFFFF", -1},
      {u"2147483647", 2147483647},
      {u"-2147483648", -2147483647 - 1},
      {u" 12", 12},
      {u"2147483648", {}},
      {u"0x100000000", {}},
      {u"0X1F", {}},
      {u"yes", {}},
      {u"12abc", {}},
      {u"1.5", {}},
      {u"", {}},
      {u"-", {}},
      {u"0x", {}},
      {u"12 ", {}},
      {u"0b101", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(ParseIniInteger(c.text), c.expected);
  }
}

TEST(IniFile, BooleansAreNumbersAndAnythingElseIsTheDefault) {
  const IniFile file =
      IniFile::FromBytes("[O]\r\nTwo=2\r\nZero=0\r\nYes=yes\r\nHex=0x10\r\nEmpty=\r\n");
  EXPECT_TRUE(file.ReadBool("O", "Two", false));
  EXPECT_FALSE(file.ReadBool("O", "Zero", true));
  EXPECT_TRUE(file.ReadBool("O", "Yes", true));
  EXPECT_FALSE(file.ReadBool("O", "Yes", false));
  EXPECT_TRUE(file.ReadBool("O", "Hex", false));
  EXPECT_TRUE(file.ReadBool("O", "Empty", true));
  EXPECT_FALSE(file.ReadBool("O", "Missing", false));
}

TEST(IniFile, ValuesComeBackCutToTheBufferWithOnePairOfQuotesRemoved) {
  EXPECT_EQ(ProfileValueForBuffer(u"\"a b\"", 2048), u"a b");
  EXPECT_EQ(ProfileValueForBuffer(u"'\"x\"'", 2048), u"\"x\"");
  EXPECT_EQ(ProfileValueForBuffer(u"\"x'", 2048), u"\"x'");
  EXPECT_EQ(ProfileValueForBuffer(u"\"", 2048), u"\"");
  EXPECT_EQ(ProfileValueForBuffer(std::u16string(3000, u'a'), 2048).size(), 2047u);
  // Quoted text exactly as long as the buffer loses its closing quote to the
  // cut and one more character to the quote rule, as the system's reader does.
  EXPECT_EQ(ProfileValueForBuffer(u'"' + std::u16string(2047, u'a') + u'"', 2048).size(), 2046u);
  EXPECT_EQ(ProfileValueForBuffer(u'"' + std::u16string(2046, u'a') + u'"', 2048).size(), 2046u);
}

TEST(IniFile, WritingKeepsOrderAppendsKeysToTheirSectionAndNewSectionsAtTheEnd) {
  IniFile file = IniFile::FromBytes(
      "; keep me\n[Options]\nBeep=1\n\n[Window]\nState=3\n[options]\nLan=second copy");
  file.WriteString("options", "beep", "0");
  file.WriteString("Options", "Lan", "German");
  file.WriteInteger("Window", "Left", -20);
  file.WriteBool("TreeViewNodeCheck", "1", true);
  EXPECT_EQ(file.ToBytes(),
            "; keep me\r\n[Options]\r\nBeep=0\r\nLan=German\r\n\r\n[Window]\r\nState=3\r\n"
            "Left=-20\r\n[options]\r\nLan=second copy\r\n\r\n[TreeViewNodeCheck]\r\n1=1\r\n");
  EXPECT_EQ(file.ReadString("OPTIONS", "LAN", ""), "German");
}

TEST(IniFile, WrittenValuesReadBackWholeAndCannotAddLines) {
  IniFile file;
  const std::string values[] = {"  padded  ", "\"quoted\"", "'single'", "", "a=b", "\t"};
  for (std::size_t i = 0; i < std::size(values); ++i)
    file.WriteString("S", "k" + std::to_string(i), values[i]);
  file.WriteString("S", "evil", "x\r\n[Options]\r\nLan=..\\..\\evil");
  const IniFile reread = IniFile::FromBytes(file.ToBytes());
  for (std::size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(reread.ReadString("S", "k" + std::to_string(i), "?"), values[i]) << i;
  EXPECT_EQ(reread.ReadString("Options", "Lan", "none"), "none");
  EXPECT_EQ(reread.ReadString("S", "evil", ""), "x  [Options]  Lan=..\\..\\evil");
}

TEST(IniFile, EncodingIsKeptAndAnsiGrowsToUtf16OnlyWhenItMustNotLoseText) {
  IniFile ansi = IniFile::FromBytes("[S]\r\na=caf\xE9\r\n");
  EXPECT_EQ(ansi.ReadString("S", "a", ""), "caf\xC3\xA9");
  EXPECT_EQ(ansi.ToBytes(), "[S]\r\na=caf\xE9\r\n");
  ansi.WriteString("S", "b", "\xE4\xB8\xAD");
  const std::string grown = ansi.ToBytes();
  ASSERT_EQ(grown.substr(0, 4), std::string("\xFF\xFE[\0", 4));
  EXPECT_EQ(IniFile::FromBytes(grown).ReadString("S", "a", ""), "caf\xC3\xA9");
  EXPECT_EQ(IniFile::FromBytes(grown).ReadString("S", "b", ""), "\xE4\xB8\xAD");

  IniFile utf8 = IniFile::FromBytes("\xEF\xBB\xBF[S]\r\na=\xE4\xB8\xAD\r\n");
  EXPECT_EQ(utf8.Encoding(), IniEncoding::Utf8);
  utf8.WriteString("S", "b", "x");
  EXPECT_EQ(utf8.ToBytes(), "\xEF\xBB\xBF[S]\r\na=\xE4\xB8\xAD\r\nb=x\r\n");
}

// options.ini saved in another ANSI code page keeps it: what that page can
// carry is written back in its bytes, anything else grows the file to UTF-16.
TEST(IniFile, AnsiFilesKeepTheirOwnCodePage) {
  const auto cyrillic = SingleByteCodePage::Find(1251);
  ASSERT_TRUE(cyrillic);
  const std::string bytes = "[S]\r\na=\xC4\xE0\r\n";  // "Да" in code page 1251
  IniFile file = IniFile::FromBytes(bytes, *cyrillic);
  EXPECT_EQ(file.ReadString("S", "a", ""), "\xD0\x94\xD0\xB0");
  file.WriteString("S", "b", "\xD0\xBD\xD0\xB5\xD1\x82");  // "нет"
  EXPECT_EQ(file.ToBytes(), bytes + "b=\xED\xE5\xF2\r\n");
  file.WriteString("S", "c", "caf\xC3\xA9");  // é is not in code page 1251
  const IniFile grown = IniFile::FromBytes(file.ToBytes());
  EXPECT_EQ(grown.Encoding(), IniEncoding::Utf16Le);
  EXPECT_EQ(grown.ReadString("S", "a", ""), "\xD0\x94\xD0\xB0");
  EXPECT_EQ(grown.ReadString("S", "c", ""), "caf\xC3\xA9");
  EXPECT_FALSE(SingleByteCodePage::Find(932)) << "a double-byte page has no table here";
}

// A translation file may come as shipped (UTF-16LE with its mark) or as a
// user saved it (UTF-8 with its mark, or plain Windows-1252): all give the
// same texts. The UTF-16 bytes are spelled out, so the reader is not checked
// against its own writer.
TEST(IniFile, TranslationFilesReadTheSameInEveryEncodingTheyComeIn) {
  static constexpr char kBytes[] =
      "\xFF\xFE[\0S\0]\0\r\0\n\0a\0=\0\xE9\0t\0\xE9\0\r\0\n\0"
      "b\0=\0=\xD8\x00\xDE\r\0\n\0";
  const std::string utf16le(kBytes, sizeof kBytes - 1);
  const IniFile shipped = IniFile::FromBytes(utf16le);
  EXPECT_EQ(shipped.Encoding(), IniEncoding::Utf16Le);
  EXPECT_EQ(shipped.ReadString("S", "a", ""), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(shipped.ReadString("S", "b", ""), "\xF0\x9F\x98\x80");  // a surrogate pair
  EXPECT_EQ(
      IniFile::FromBytes("\xEF\xBB\xBF[S]\r\na=\xC3\xA9t\xC3\xA9\r\n").ReadString("S", "a", ""),
      "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(IniFile::FromBytes("[S]\na=\xE9t\xE9\n").ReadString("S", "a", ""), "\xC3\xA9t\xC3\xA9");
}

TEST(IniFile, MissingOrUnreadableFileReadsAsEmpty) {
  MemoryFileSystem fs;
  fs.addFile("C:\\denied.ini", "[S]\r\na=1\r\n");
  fs.denyAccess("C:\\denied.ini");
  EXPECT_EQ(IniFile::Load(fs, "C:\\missing.ini").ReadString("S", "a", "d"), "d");
  EXPECT_EQ(IniFile::Load(fs, "C:\\denied.ini").ReadString("S", "a", "d"), "d");
  EXPECT_EQ(IniFile::Load(fs, "C:\\missing.ini").ToBytes(), "");
}

}  // namespace
}  // namespace hs

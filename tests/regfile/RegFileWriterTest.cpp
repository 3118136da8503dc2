#include <gtest/gtest.h>

#include "common/CodePage.h"
#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"

namespace hs {
namespace {

std::string CrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 0) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(first + i));
  return out;
}

// A UTF-16 literal with its inner NULs (a plain conversion stops at the first).
template <std::size_t N>
std::vector<std::uint8_t> Units(const char16_t (&text)[N], bool terminate = true) {
  return Utf16LeBytes(std::u16string_view(text, N - 1), terminate);
}

RegValue StringValue(const std::string& name, const std::string& text,
                     std::uint32_t type = kRegSz) {
  return {name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

RegValue Dword(const std::string& name, std::uint32_t n) {
  return {name,
          kRegDword,
          {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
           static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)}};
}

void Put(MemoryRegistry& reg, const std::string& path, const std::vector<RegValue>& values) {
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(path, true));
  for (const RegValue& v : values) ASSERT_TRUE(key.WriteValue(v));
}

// The forms and line layout of a backup file, byte for byte.
TEST(RegFileWriter, GoldenFileOfTwoExports) {
  MemoryRegistry reg;
  MemoryFileSystem fs;
  fs.addFolder("C:\\Backups");
  Put(reg, "Software\\Golden",
      {StringValue("", "default"),
       StringValue("@", "at sign"),
       StringValue("a\"b\\c", "x"),
       StringValue("Path", "C:\\dir\\\"q"),
       Dword("Count", 26),
       Dword("Max", 4294967295u),
       Dword("Byte", 255),
       {"Data", kRegBinary, Bytes(30)},
       {"Bin26", kRegBinary, Bytes(26, 0xA0)},
       {"Bin27", kRegBinary, Bytes(27, 0xA0)},
       {"Empty", kRegBinary, {}},
       {"Multi", kRegMultiSz, Units(u"a\0b\0", true)},
       StringValue("Exp", "%PATH%", kRegExpandSz),
       {"Q", kRegQword, Bytes(8, 1)},
       {"None", kRegNone, {}},
       StringValue("Lines", "1\r\n2"),
       StringValue("Caf\xC3\xA9", "\xE2\x82\xAC 5")});
  Put(reg, "Software\\Golden\\B", {});
  Put(reg, "Software\\Golden\\A\\C", {StringValue("In", "C")});
  Put(reg, "Software\\Other", {StringValue("V", "1")});

  const std::string file = "C:\\Backups\\Backup20240307091502.reg";
  const ExportResult first =
      ExportRegistryItem(fs, reg, file, RootKey::CurrentUser, "Software\\Golden\\", "", true);
  const ExportResult second =
      ExportRegistryItem(fs, reg, file, RootKey::CurrentUser, "Software\\Other", "V", false);
  EXPECT_TRUE(first.created);
  EXPECT_FALSE(second.created);

  const std::string golden = CrLf(
      "REGEDIT4\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Golden]\n"
      "@=\"default\"\n"
      "\"@\"=\"at sign\"\n"
      "\"a\\\"b\\\\c\"=\"x\"\n"
      "\"Path\"=\"C:\\\\dir\\\\\\\"q\"\n"
      "\"Count\"=dword:0000001A\n"
      "\"Max\"=dword:FFFFFFFF\n"
      "\"Byte\"=dword:000000FF\n"
      "\"Data\"=hex:00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F,10,11,12,13,14,15,16,17,18,19,"
      "\\\n"
      "1A,1B,1C,1D\n"
      "\"Bin26\"=hex:A0,A1,A2,A3,A4,A5,A6,A7,A8,A9,AA,AB,AC,AD,AE,AF,B0,B1,B2,B3,B4,B5,B6,B7,B8,"
      "B9\n"
      "\"Bin27\"=hex:A0,A1,A2,A3,A4,A5,A6,A7,A8,A9,AA,AB,AC,AD,AE,AF,B0,B1,B2,B3,B4,B5,B6,B7,B8,B9,"
      "\\\n"
      "BA\n"
      "\"Empty\"=hex:\n"
      "\"Multi\"=hex(7):61,00,62,00,00\n"
      "\"Exp\"=hex(2):25,50,41,54,48,25,00\n"
      "\"Q\"=hex(b):01,02,03,04,05,06,07,08\n"
      "\"None\"=hex(0):\n"
      "\"Lines\"=hex(1):31,0D,0A,32,00\n"
      "\"Caf\xE9\"=\"\x80 5\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Golden\\A]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Golden\\A\\C]\n"
      "\"In\"=\"C\"\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Golden\\B]\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n"
      "\"V\"=\"1\"\n");
  std::string written;
  ASSERT_EQ(fs.readFile(file, written), FsStatus::Ok);
  EXPECT_EQ(written, golden);
  EXPECT_EQ(first.bytesWritten + second.bytesWritten, golden.size());
}

// Every form the writer chooses reads back to the same type and bytes.
TEST(RegFileWriter, EveryFormReadsBackUnchanged) {
  const std::vector<RegValue> values = {
      StringValue("plain", "text with \\ and \" and \t tab"),
      StringValue("empty", ""),
      {"no data", kRegSz, {}},
      {"inner nul", kRegSz, Units(u"a\0b", true)},
      {"two nuls", kRegSz, Units(u"ab\0", true)},
      StringValue("cr", "a\rb"),
      StringValue("code page", "\xC3\xA4\xE2\x80\x9C\xC5\x92"),
      StringValue("exp empty", "", kRegExpandSz),
      {"exp no data", kRegExpandSz, {}},
      {"multi", kRegMultiSz, Units(u"one\0two\0", true)},
      {"multi empty", kRegMultiSz, {0, 0}},
      {"dword short", kRegDword, {1, 2}},
      {"big endian", kRegDwordBigEndian, {0, 0, 0, 1}},
      {"link", kRegLink, Bytes(7)},
      {"type 0x1234", 0x1234, Bytes(3)},
      {"large", kRegBinary, Bytes(5000)},
  };
  for (const RegValue& value : values) {
    const std::string text = "REGEDIT4\r\n\r\n[HKEY_USERS\\X]\r\n" +
                             FormatValueLine(value, Windows1252CodePage()) + "\r\n";
    RegFile file;
    RegFileError error;
    ASSERT_TRUE(ParseRegFile(text, Windows1252CodePage(), file, error))
        << value.name << ": " << error.message;
    const RegValue& back = file.sections.at(0).values.at(0).value;
    EXPECT_EQ(back.name, value.name);
    EXPECT_EQ(back.type, value.type) << value.name;
    EXPECT_EQ(back.data, value.data) << value.name;
  }
}

TEST(RegFileWriter, RefusesWhatTheFileCannotCarry) {
  const std::vector<RegValue> values = {
      StringValue("\xE4\xB8\xAD", "name outside the code page"),
      StringValue("data", "\xE4\xB8\xAD"),
      {"odd", kRegSz, {0x41, 0x00, 0x42}},
      {"no final nul", kRegSz, Units(u"ab", false)},
      {"exp no final nul", kRegExpandSz, Units(u"%x%", false)},
      {"multi outside", kRegMultiSz, Units(u"\u4E2D\0", true)},
      StringValue("line\r\nbreak", "in the name"),
  };
  for (const RegValue& value : values)
    EXPECT_THROW(FormatValueLine(value, Windows1252CodePage()), UnrepresentableError) << value.name;

  MemoryRegistry reg;
  MemoryFileSystem fs;
  Put(reg, "Software\\T\\\xE4\xB8\xAD", {});
  EXPECT_THROW(
      ExportRegistryItem(fs, reg, "C:\\b.reg", RootKey::CurrentUser, "Software\\T", "", true),
      UnrepresentableError);
  EXPECT_EQ(fs.probe("C:\\b.reg"), PathProbe::NotFound) << "nothing may be written";
}

TEST(RegFileWriter, EscapesBackslashesBeforeQuotes) {
  EXPECT_EQ(EscapeRegString("a\"b\\c"), "a\\\"b\\\\c");
  EXPECT_EQ(EscapeRegString("\\\""), "\\\\\\\"");
  EXPECT_EQ(EscapeRegString("plain\ttext"), "plain\ttext");
}

TEST(RegFileWriter, MissingOrUnopenableKeysGiveTheKeyLineAlone) {
  MemoryRegistry reg;
  MemoryFileSystem fs;
  Put(reg, "Software\\Locked", {StringValue("v", "1")});
  reg.denyAccess("HKEY_CURRENT_USER\\Software\\Locked");
  EXPECT_EQ(
      FormatExport(reg, RootKey::CurrentUser, "Software\\Gone", "", true, Windows1252CodePage()),
      "\r\n[HKEY_CURRENT_USER\\Software\\Gone]\r\n");
  EXPECT_EQ(FormatExport(reg, RootKey::CurrentUser, "Software\\Locked", "v", false,
                         Windows1252CodePage()),
            "\r\n[HKEY_CURRENT_USER\\Software\\Locked]\r\n");
  EXPECT_EQ(FormatExport(reg, RootKey::LocalMachine, "Software\\Gone", "nope", false,
                         Windows1252CodePage()),
            "\r\n[HKEY_LOCAL_MACHINE\\Software\\Gone]\r\n");
}

TEST(RegFileWriter, FileFailuresRaiseBackupWriteError) {
  MemoryRegistry reg;
  Put(reg, "Software\\T", {{"Big", kRegBinary, Bytes(300)}});
  struct Case {
    const char* name;
    void (*setUp)(MemoryFileSystem&);
  } cases[] = {
      {"missing folder", [](MemoryFileSystem&) {}},
      {"read-only folder",
       [](MemoryFileSystem& fs) {
         fs.addFolder("C:\\B");
         fs.makeReadOnly("C:\\B");
       }},
      {"disk full",
       [](MemoryFileSystem& fs) {
         fs.addFolder("C:\\B");
         fs.setFreeBytes(100);
       }},
      {"flush fails",
       [](MemoryFileSystem& fs) {
         fs.addFolder("C:\\B");
         fs.failFlushes(true);
       }},
  };
  for (const Case& c : cases) {
    MemoryFileSystem fs;
    c.setUp(fs);
    EXPECT_THROW(
        ExportRegistryItem(fs, reg, "C:\\B\\x.reg", RootKey::CurrentUser, "Software\\T", "", true),
        BackupWriteError)
        << c.name;
  }
}

TEST(RegFileWriter, BackupFileNames) {
  EXPECT_EQ(MakeBackupFileName("C:\\Backups", {2024, 3, 7, 9, 15, 2}),
            "C:\\Backups\\Backup20240307091502.reg");
  EXPECT_EQ(MakeBackupFileName("C:\\Backups\\", {2024, 12, 31, 23, 59, 59}),
            "C:\\Backups\\Backup20241231235959.reg");
  const std::string now = MakeBackupFileName("D:\\x");
  EXPECT_EQ(now.size(), std::string("D:\\x\\Backup20240307091502.reg").size());
}

TEST(RegFileWriter, HiveNamesBothWays) {
  for (RootKey root : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                       RootKey::Users, RootKey::CurrentConfig})
    EXPECT_EQ(HiveNameToRootKey(RootKeyToHiveName(root)), root);
  EXPECT_EQ(RootKeyToHiveName(RootKey::PerformanceData), "HKEY_PERFORMANCE_DATA");
  EXPECT_EQ(RootKeyToHiveName(RootKey::DynData), "HKEY_DYN_DATA");
  EXPECT_FALSE(HiveNameToRootKey("HKEY_DYN_DATA"));
  EXPECT_FALSE(HiveNameToRootKey("HKLM"));
  EXPECT_EQ(HiveNameToRootKey("hkey_local_machine"), RootKey::LocalMachine);
}

}  // namespace
}  // namespace hs

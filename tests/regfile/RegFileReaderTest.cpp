#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "regfile/RegFileReader.h"

namespace hs {

TEST(RegFileReader, ReadsRegedit4WithAllValueForms) {
  const std::string text =
      "REGEDIT4\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\T]\r\n"
      "@=\"default\"\r\n"
      "\"Quote\\\"d\"=\"a\\\\b\"\r\n"
      "\"Num\"=dword:0000002A\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  03\r\n"
      "\"Exp\"=hex(2):25,00\r\n"
      "\"Gone\"=-\r\n";
  RegFile file;
  RegFileError error;
  ASSERT_TRUE(ParseRegFile(text, Windows1252CodePage(), file, error))
      << error.line << ": " << error.message;
  ASSERT_EQ(file.sections.size(), 1u);
  const auto& values = file.sections[0].values;
  ASSERT_EQ(values.size(), 6u);
  EXPECT_EQ(values[0].value.name, "");
  EXPECT_EQ(RegDataToText(values[0].value.data), "default");
  EXPECT_EQ(values[1].value.name, "Quote\"d");
  EXPECT_EQ(RegDataToText(values[1].value.data), "a\\b");
  EXPECT_EQ(values[2].value.data, (std::vector<std::uint8_t>{0x2A, 0, 0, 0}));
  EXPECT_EQ(values[3].value.data, (std::vector<std::uint8_t>{1, 2, 3}));
  // A REGEDIT4 hex(2) holds code-page text; the registry keeps UTF-16.
  EXPECT_EQ(values[4].value.type, kRegExpandSz);
  EXPECT_EQ(values[4].value.data, (std::vector<std::uint8_t>{0x25, 0, 0, 0}));
  EXPECT_TRUE(values[5].remove);
}

TEST(RegFileReader, ReadsVersion5Utf16WithBom) {
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"N\"=\"\u4E2D\"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  RegFile file;
  RegFileError error;
  ASSERT_TRUE(ParseRegFile(bytes, Windows1252CodePage(), file, error)) << error.message;
  EXPECT_TRUE(file.unicode);
  EXPECT_EQ(RegDataToText(file.sections[0].values[0].value.data), "\xE4\xB8\xAD");
}

TEST(RegFileReader, MalformedFilesNameTheLine) {
  struct Case {
    const char* text;
    int line;
  } cases[] = {
      {"", 0},
      {"hello\r\n", 1},
      {"REGEDIT4\r\n\"v\"=\"x\"\r\n", 2},
      {"REGEDIT4\r\n[HKEY_USERS\\X\r\n", 2},
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=dword:xyz\r\n", 3},
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=hex:1,2,345\r\n", 3},
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v=\"x\"\r\n", 3},
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=\"unterminated\r\n", 3},
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=hex(zz):00\r\n", 3},
      // A type of more than 32 bits would wrap into another (here REG_SZ).
      {"REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=hex(100000001):41\r\n", 3},
  };
  for (const Case& c : cases) {
    RegFile file;
    RegFileError error;
    EXPECT_FALSE(ParseRegFile(c.text, Windows1252CodePage(), file, error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_FALSE(error.message.empty());
  }
}

TEST(MemoryRegistry, ImportCreatesDeletesAndSkipsUnknownRoots) {
  MemoryRegistry reg;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(reg,
                            "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n"
                            "[HKLM\\Nope]\n[HKEY_LOCAL_MACHINE\\A\\C]\n",
                            error));
  TRegistry r(reg, RootKey::LocalMachine);
  EXPECT_TRUE(r.PathExists("A\\B"));
  EXPECT_FALSE(r.PathExists("Nope"));
  ASSERT_TRUE(ImportRegText(reg, "REGEDIT4\n[-HKEY_LOCAL_MACHINE\\A\\B]\n", error));
  EXPECT_FALSE(r.PathExists("A\\B"));
  EXPECT_TRUE(r.PathExists("A\\C"));
}

}  // namespace hs

namespace hs {

// The reader stores what the system's importer stores for the same lines.
TEST(RegFileReader, AgreesWithTheImporterOnStringsAndEscapes) {
  const std::string text =
      "REGEDIT4\r\n"
      "[HKEY_USERS\\X]extra\r\n"
      "\"s1\"=hex(1):41,42\r\n"     // a final NUL is added
      "\"s2\"=hex(2):41,00\r\n"     // already ends in NUL
      "\"s7\"=hex(7):80,00,00\r\n"  // code page text: 0x80 is the euro sign
      "\"e\"=hex(2):\r\n"           // no data stays no data
      "\"esc\\q\"=\"a\\nb\\rc\\\\d\\\"\" ; comment\r\n";
  RegFile file;
  RegFileError error;
  ASSERT_TRUE(ParseRegFile(text, Windows1252CodePage(), file, error))
      << error.line << ": " << error.message;
  ASSERT_EQ(file.sections.size(), 1u);
  EXPECT_EQ(file.sections[0].keyPath, "HKEY_USERS\\X");
  const auto& v = file.sections[0].values;
  ASSERT_EQ(v.size(), 5u);
  EXPECT_EQ(v[0].value.data, (std::vector<std::uint8_t>{0x41, 0, 0x42, 0, 0, 0}));
  EXPECT_EQ(v[1].value.data, (std::vector<std::uint8_t>{0x41, 0, 0, 0}));
  EXPECT_EQ(v[2].value.data, (std::vector<std::uint8_t>{0xAC, 0x20, 0, 0, 0, 0}));
  EXPECT_TRUE(v[3].value.data.empty());
  EXPECT_EQ(v[4].value.name, "escq");
  EXPECT_EQ(RegDataToText(v[4].value.data), "a\nb\rc\\d\"");

  RegFile other;
  EXPECT_FALSE(ParseRegFile("\r\nREGEDIT4\r\n", Windows1252CodePage(), other, error))
      << "the header is the first line";
  EXPECT_FALSE(ParseRegFile("REGEDIT4\r\n[HKEY_USERS\\X]\r\n\"v\"=\"a\\0\"\r\n",
                            Windows1252CodePage(), other, error));
}

}  // namespace hs

namespace hs {

TEST(RegFileReader, IntactLengthDropsACutOffTail) {
  const std::string head = "REGEDIT4\r\n\r\n[HKEY_USERS\\X]\r\n\"a\"=\"1\"\r\n";
  struct Case {
    std::string tail;
    std::size_t keep;  // bytes of the tail that are intact
  } cases[] = {
      {"", 0},
      {"\"b\"=\"2", 0},
      {"\"b\"=dword:000", 0},
      {"\"b\"=hex:01,02,\\\r\n", 0},
      {"\"b\"=hex:01,02,\\\r\n03,\\\r\n04", 0},
      {"\"b\"=hex:01,02,\\\r\n03\r\n", 21},
      {"\"b\"=\"2\"\r\n[HKEY_USERS\\Y", 9},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IntactLength(head + c.tail), head.size() + c.keep) << c.tail;
  EXPECT_EQ(IntactLength("REGEDIT"), 0u);
}

}  // namespace hs

#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryRegistry.h"
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
  ASSERT_TRUE(ParseRegFile(text, file, error)) << error.line << ": " << error.message;
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
  const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_USERS\\X]\r\n\"N\"=\"\u4E2D\"\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  RegFile file;
  RegFileError error;
  ASSERT_TRUE(ParseRegFile(bytes, file, error)) << error.message;
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
  };
  for (const Case& c : cases) {
    RegFile file;
    RegFileError error;
    EXPECT_FALSE(ParseRegFile(c.text, file, error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_FALSE(error.message.empty());
  }
}

TEST(MemoryRegistry, ImportCreatesDeletesAndSkipsUnknownRoots) {
  MemoryRegistry reg;
  RegFileError error;
  ASSERT_TRUE(reg.importText("REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=\"1\"\n"
                             "[HKLM\\Nope]\n[HKEY_LOCAL_MACHINE\\A\\C]\n",
                             error));
  TRegistry r(reg, RootKey::LocalMachine);
  EXPECT_TRUE(r.PathExists("A\\B"));
  EXPECT_FALSE(r.PathExists("Nope"));
  ASSERT_TRUE(reg.importText("REGEDIT4\n[-HKEY_LOCAL_MACHINE\\A\\B]\n", error));
  EXPECT_FALSE(r.PathExists("A\\B"));
  EXPECT_TRUE(r.PathExists("A\\C"));
}

}  // namespace hs

#include <gtest/gtest.h>

#include "common/SingleByteCodePage.h"
#include "platform/memory/MemoryFileSystem.h"
#include "translation/Translation.h"

namespace hs {
namespace {

const std::string kLanguageFileFolder = "C:\\Hivesweep\\";

class GetLanStringTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.addFolder(kLanguageFileFolder); }
  Translation In(const std::string& language) {
    return Translation(fs, kLanguageFileFolder, language);
  }

  MemoryFileSystem fs;
};

TEST_F(GetLanStringTest, EnglishInAnyCaseNeverReadsAFile) {
  fs.addFile(kLanguageFileFolder + "Lan_English.ini",
             "[ResourceString]\r\nRES_Startup=Translated\r\n");
  for (const char* english : {"English", "english", "ENGLISH"}) {
    EXPECT_EQ(In(english).GetLanString("RES_Startup", "Startup"), "Startup") << english;
  }
}

TEST_F(GetLanStringTest, TranslationsFallBackToEnglishWhereTheyHaveNoText) {
  fs.addFile(kLanguageFileFolder + "Lan_German.ini",
             "[ResourceString]\r\nRES_Startup=Autostart\r\nRES_Common_Startup=\r\n"
             "[Other]\r\nRES_ThereTotal=wrong section\r\n");
  struct Case {
    const char* language;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"German", "RES_Startup", "Autostart"},           {"german", "res_startup", "Autostart"},
      {"German", "RES_ThereTotal", "English text"},      // key missing in its section
      {"German", "RES_Common_Startup", "English text"},  // key without text
      {"French", "RES_Startup", "English text"},         // no such file
      {"..\\German", "RES_Startup", "English text"},     // not a language name
      {"C:German", "RES_Startup", "English text"},      {"", "RES_Startup", "English text"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(In(c.language).GetLanString(c.key, "English text"), c.expected)
        << c.language << " " << c.key;
  }
}

TEST_F(GetLanStringTest, EachCallReadsTheFileAfresh) {
  const Translation german = In("German");
  fs.addFile(kLanguageFileFolder + "Lan_German.ini", "[ResourceString]\r\nRES_Startup=Erst\r\n");
  EXPECT_EQ(german.GetLanString("RES_Startup", "Startup"), "Erst");
  fs.addFile(kLanguageFileFolder + "Lan_German.ini", "[ResourceString]\r\nRES_Startup=Zweit\r\n");
  EXPECT_EQ(german.GetLanString("RES_Startup", "Startup"), "Zweit");
  fs.remove(kLanguageFileFolder + "Lan_German.ini");
  EXPECT_EQ(german.GetLanString("RES_Startup", "Startup"), "Startup");
}

// A file a translator saved as "ANSI" on a Cyrillic system, without a mark,
// reads in the machine's code page; with the mark it reads as UTF-8 anywhere.
TEST_F(GetLanStringTest, AFileWithoutMarkReadsInTheMachinesAnsiCodePage) {
  const std::string autostart =
      "\xD0\x90\xD0\xB2\xD1\x82\xD0\xBE\xD0\xB7\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA";
  fs.setAnsiCodePage(SingleByteCodePage::Find(1251));
  fs.addFile(kLanguageFileFolder + "Lan_Russian.ini",
             "[ResourceString]\r\nRES_Startup=\xC0\xE2\xF2\xEE\xE7\xE0\xEF\xF3\xF1\xEA\r\n");
  EXPECT_EQ(In("Russian").GetLanString("RES_Startup", "Startup"), autostart);
  fs.addFile(kLanguageFileFolder + "Lan_Russian.ini",
             "\xEF\xBB\xBF[ResourceString]\r\nRES_Startup=" + autostart + "\r\n");
  EXPECT_EQ(In("Russian").GetLanString("RES_Startup", "Startup"), autostart);
}

TEST(TranslationTest, BuiltInEnglishNeedsNoFileSystem) {
  EXPECT_EQ(Translation().GetLanString("RES_Startup", "Startup"), "Startup");
  EXPECT_TRUE(Translation().IsEnglish());
}

}  // namespace
}  // namespace hs

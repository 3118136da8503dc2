// The Language menu's rules: an item is offered while its file exists, and
// choosing one either switches or says which file is missing.
#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"
#include "ui/LanguageMenu.h"

namespace hs::ui {
namespace {

class LanguageMenuTest : public ::testing::Test {
 protected:
  MemoryFileSystem fs;
  LanguageFiles files{fs, [](const std::string& language) {
                        return language == "bad\\name" ? std::string()
                                                       : "C:\\Prog\\Lan_" + language + ".ini";
                      }};
};

TEST_F(LanguageMenuTest, ItemsAreOfferedOnlyWhileTheirFileExists) {
  fs.addFile("C:\\Prog\\Lan_English.ini");
  fs.addFile("C:\\Prog\\Lan_German.ini");
  fs.addFolder("C:\\Prog\\Lan_French.ini");  // a folder is no translation file
  EXPECT_TRUE(LanguageItemVisible("miEnglish", files));
  EXPECT_TRUE(LanguageItemVisible("miGerman", files));
  EXPECT_FALSE(LanguageItemVisible("miFrench", files));
  EXPECT_FALSE(LanguageItemVisible(kOtherSeparator, files));
  EXPECT_FALSE(LanguageItemVisible(kOtherItem, files));
  EXPECT_FALSE(LanguageItemVisible(kHiddenLanguageItem, files));
  fs.addFile("C:\\Prog\\Lan_Other.ini");
  EXPECT_TRUE(LanguageItemVisible(kOtherSeparator, files));
  EXPECT_TRUE(LanguageItemVisible(kOtherItem, files));
  EXPECT_EQ(LanguageItems().size(), 33U);
  EXPECT_EQ(LanguageOfItem("miNederlands"), "Nederlands");
  EXPECT_EQ(LanguageOfItem("miPortuguesePT"), "PortuguesePT");
}

TEST_F(LanguageMenuTest, ChoosingSwitchesOrNamesTheMissingFile) {
  fs.addFile("C:\\Prog\\Lan_German.ini");
  const LanguageChoice german = ChooseLanguage("miGerman", files);
  EXPECT_TRUE(german.switched);
  EXPECT_EQ(german.language, "German");
  EXPECT_TRUE(german.message.empty());

  const LanguageChoice french = ChooseLanguage("miFrench", files);
  EXPECT_FALSE(french.switched);
  EXPECT_EQ(french.message, "C:\\Prog\\Lan_French.ini can not be found.");

  EXPECT_EQ(ChooseLanguage(kOtherItem, files).message,
            std::string("C:\\Prog\\Lan_Other.ini can not be found.\r\n\r\nPlease visit ") +
                kTranslationsWebAddress + ".");
}

}  // namespace
}  // namespace hs::ui

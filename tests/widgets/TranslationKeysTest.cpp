// Which key of a translation file holds which text: the table every window's
// relabelling follows.
#include <gtest/gtest.h>

#include "widgets/TranslationKeys.h"

namespace hs::ui {
namespace {

std::vector<std::string> Keys(ComponentKind kind, std::size_t count) {
  std::vector<std::string> keys;
  for (const TranslationKey& key : TranslationKeysFor("frmKeyscour", kind, "c", count))
    keys.push_back(key.section + "/" + key.key);
  return keys;
}

TEST(TranslationKeysTest, EachKindHasItsKeys) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Keys(ComponentKind::Window, 1), V{"frmKeyscour/c"});
  EXPECT_EQ(Keys(ComponentKind::Captioned, 1), V{"frmKeyscour/c"});
  EXPECT_EQ(Keys(ComponentKind::StatusBarSimple, 1), V{"frmKeyscour/c"});
  EXPECT_EQ(Keys(ComponentKind::MenuItem, 1), V{"Menu_frmKeyscour/c"});
  EXPECT_EQ(Keys(ComponentKind::ListBox, 2), (V{"frmKeyscour/c_Item0", "frmKeyscour/c_Item1"}));
  EXPECT_EQ(Keys(ComponentKind::StatusBarPanels, 2),
            (V{"frmKeyscour/c_Panel0", "frmKeyscour/c_Panel1"}));
  EXPECT_EQ(Keys(ComponentKind::ListView, 1), V{"frmKeyscour/c_Column0"});
  EXPECT_EQ(Keys(ComponentKind::PageControl, 1), V{"frmKeyscour/c_Page0"});
  EXPECT_EQ(Keys(ComponentKind::TreeView, 11).back(), "frmKeyscour/c_10");
  EXPECT_TRUE(Keys(ComponentKind::MenuSeparator, 1).empty());
  EXPECT_TRUE(Keys(ComponentKind::Untranslated, 1).empty());
  EXPECT_TRUE(Keys(ComponentKind::ListView, 0).empty());
}

TEST(TranslationKeysTest, MissingKeysKeepTheirTextAndAnEmptyValueEmptiesIt) {
  const IniFile file = IniFile::FromBytes(
      "[frmKeyscour]\r\nlv_Column1=Schluessel\r\nlv_Column2=\r\n"
      "[Menu_frmKeyscour]\r\nlv_Column0=wrong section\r\n");
  std::vector<std::string> texts{"Problem", "Registry key", "Value", "Extra"};
  TranslateTexts(file, "frmKeyscour", ComponentKind::ListView, "lv", texts);
  EXPECT_EQ(texts, (std::vector<std::string>{"Problem", "Schluessel", "", "Extra"}));
}

}  // namespace
}  // namespace hs::ui

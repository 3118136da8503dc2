#include <gtest/gtest.h>

#include "findings/ListCommands.h"

namespace hs {
namespace {

using K = FindingKind;

Finding Row(std::string problem, std::string key, std::string value, K kind) {
  Finding row;
  row.Problem = std::move(problem);
  row.KeyPath = std::move(key);
  row.ValueText = std::move(value);
  row.Kind = kind;
  return row;
}

TEST(ListCommands, SelectOfTypeTouchesOnlyThatExactProblem) {
  std::vector<Finding> rows = {
      Row("Fonts Issue", "k", "", K::fkKey), Row("Fonts issue", "k", "", K::fkKey),
      Row("Fonts Issue", "k", "", K::fkKey), Row("Other", "k", "", K::fkKey),
      Row("Fonts Issue", "k", "", K::fkKey)};
  rows[3].Checked = true;
  SetCheckedOfType(rows, "Fonts Issue", true);
  const bool expected[] = {true, false, true, true, true};
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].Checked, expected[i]) << i;
  SetCheckedOfType(rows, "Fonts Issue", false);
  EXPECT_TRUE(rows[3].Checked);
  SetAllChecked(rows, true);
  EXPECT_TRUE(rows[1].Checked && rows[0].Checked);
  SetAllChecked(rows, false);
  EXPECT_FALSE(rows[3].Checked);
}

TEST(ListCommands, IgnoreEntryByKind) {
  struct Case {
    Finding row;
    IgnoreListId list;
    const char* text;
  };
  const Case cases[] = {
      {Row("P", "HKEY_CURRENT_USER\\A", "info", K::fkKey), IgnoreListId::Key,
       "HKEY_CURRENT_USER\\A"},
      {Row("P", "HKEY_CURRENT_USER\\A", "info", K::fkDefaultValue), IgnoreListId::Key,
       "HKEY_CURRENT_USER\\A"},
      {Row("P", "HKEY_CURRENT_USER\\A\\Path", "C:\\x", K::fkValueInPath), IgnoreListId::Value,
       "HKEY_CURRENT_USER\\A\\Path"},
      {Row("P", "HKEY_CURRENT_USER\\A\\", "C:\\x", K::fkValueInPath), IgnoreListId::Value,
       "HKEY_CURRENT_USER\\A\\@"},
      {Row("P", "HKEY_CURRENT_USER\\A", "C:\\x.exe", K::fkNamedValue), IgnoreListId::Value,
       "HKEY_CURRENT_USER\\A\\C:\\x.exe"},
      {Row("P", "HKEY_CURRENT_USER\\A", ".abc", K::fkSubkey), IgnoreListId::Key,
       "HKEY_CURRENT_USER\\A\\.abc"},
      {Row("P", "HKEY_CURRENT_USER\\A", "UEME_RUNPATH:C:\\a.exe", K::fkRotatedValue),
       IgnoreListId::Value, "HKEY_CURRENT_USER\\A\\HRZR_EHACNGU:P:\\n.rkr"},
      {Row("P", "C:\\Desktop\\a.lnk", "C:\\a.exe", K::fkFile), IgnoreListId::None, ""},
      {Row("P", "HKEY_CURRENT_USER", "", K::fkKey), IgnoreListId::None, ""},
  };
  for (const Case& c : cases) {
    const IgnoreEntry entry = IgnoreEntryFor(c.row);
    EXPECT_EQ(entry.list, c.list) << c.row.KeyPath;
    EXPECT_EQ(entry.text, c.text) << c.row.KeyPath;
  }
}

TEST(ListCommands, IgnoreListAddKeepsRowsAlreadyListedAndDropsFileRows) {
  std::vector<Finding> rows = {Row("P", "HKEY_CURRENT_USER\\A", "", K::fkKey),
                               Row("P", "HKEY_CURRENT_USER\\B", "", K::fkKey),
                               Row("P", "C:\\x\\a.lnk", "", K::fkFile),
                               Row("P", "NOBACKSLASH", "", K::fkKey),
                               Row("P", "HKEY_CURRENT_USER\\C", "v", K::fkNamedValue)};
  std::vector<std::string> keys = {"hkey_current_user\\a"};
  std::vector<std::string> values;
  const std::size_t removed = IgnoreListAdd(rows, {0, 1, 2, 3, 4, 4, 99}, keys, values);
  EXPECT_EQ(removed, 3u);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].KeyPath, "HKEY_CURRENT_USER\\A");  // already listed: stays
  EXPECT_EQ(rows[1].KeyPath, "NOBACKSLASH");
  EXPECT_EQ(keys, (std::vector<std::string>{"hkey_current_user\\a", "HKEY_CURRENT_USER\\B"}));
  EXPECT_EQ(values, (std::vector<std::string>{"HKEY_CURRENT_USER\\C\\v"}));
  EXPECT_TRUE(IsInIgnoreList(keys, "HKEY_CURRENT_USER\\b"));
  EXPECT_FALSE(IsInIgnoreList(keys, "HKEY_CURRENT_USER\\b\\"));
}

TEST(ListCommands, RegeditKeyTextByKind) {
  EXPECT_EQ(RegeditKeyText(Row("P", "HKEY_CURRENT_USER\\A\\Path", "x", K::fkValueInPath)),
            "HKEY_CURRENT_USER\\A");
  EXPECT_EQ(RegeditKeyText(Row("P", "HKEY_CURRENT_USER\\A", ".abc", K::fkSubkey)),
            "HKEY_CURRENT_USER\\A\\.abc");
  EXPECT_EQ(RegeditKeyText(Row("P", "C:\\a.lnk", "x", K::fkFile)), "");
  EXPECT_EQ(RegeditKeyText(Row("P", "HKEY_CURRENT_USER\\A", "v", K::fkNamedValue)),
            "HKEY_CURRENT_USER\\A");
  EXPECT_EQ(RegeditKeyText(Row("P", "HKEY_CURRENT_USER\\A", "v", K::fkRotatedValue)),
            "HKEY_CURRENT_USER\\A");
}

}  // namespace
}  // namespace hs

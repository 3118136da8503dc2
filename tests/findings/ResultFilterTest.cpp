#include <gtest/gtest.h>

#include "findings/ResultFilter.h"

namespace hs {
namespace {

using K = FindingKind;

Finding Row(K kind, std::string key, std::string value = "x") {
  Finding row;
  row.Problem = "P";
  row.KeyPath = std::move(key);
  row.ValueText = std::move(value);
  row.Kind = kind;
  row.Checked = true;
  return row;
}

struct Case {
  const char* name;
  Finding row;
  std::vector<std::string> ignoreValues;
  std::vector<std::string> ignoreKeys;
  int version;
  bool removed;
};

const char* const kA = "HKEY_LOCAL_MACHINE\\Software\\A";

// A version triple of the NT family with that code (10: Windows 10 and 11).
WindowsVersionInfo VersionWithCode(int code) {
  switch (code) {
    case 9:
      return {kPlatformWin32Nt, 5, 1};
    case 11:
      return {kPlatformWin32Nt, 6, 0};
    case 12:
      return {kPlatformWin32Nt, 6, 1};
    default:
      return {kPlatformWin32Nt, 10, 0};
  }
}

TEST(ResultFilter, RemovesExactlyTheRowsTheListsCover) {
  const std::vector<Case> cases = {
      // Key list: both directions for key rows, one direction for value rows.
      {"key row inside ignored key",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\Software\\A\\B"),
       {},
       {kA},
       9,
       true},
      {"key row holding ignored key",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\Software"),
       {},
       {kA},
       9,
       true},
      {"value row on the parent key",
       Row(K::fkNamedValue, "HKEY_LOCAL_MACHINE\\Software", "v"),
       {},
       {kA},
       9,
       false},
      {"value row inside ignored key",
       Row(K::fkNamedValue, "HKEY_LOCAL_MACHINE\\Software\\A\\C"),
       {},
       {kA},
       9,
       true},
      {"value row on the ignored key itself", Row(K::fkNamedValue, kA, "v"), {}, {kA}, 9, true},
      {"sibling with longer name",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\Software\\AB"),
       {},
       {kA},
       9,
       false},
      {"sibling value row",
       Row(K::fkValueInPath, "HKEY_LOCAL_MACHINE\\Software\\AB\\v"),
       {},
       {kA},
       9,
       false},
      {"case of key list ignored",
       Row(K::fkKey, "hkey_local_machine\\software\\a\\b"),
       {},
       {"HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\"},
       9,
       true},
      {"kind 3 subkey inside ignored key",
       Row(K::fkSubkey, "HKEY_LOCAL_MACHINE\\Software", "A"),
       {},
       {kA},
       9,
       true},
      {"kind 3 sibling subkey",
       Row(K::fkSubkey, "HKEY_LOCAL_MACHINE\\Software", "AB"),
       {},
       {kA},
       9,
       false},
      // Value list.
      {"default value by @",
       Row(K::fkDefaultValue, kA, "data"),
       {std::string(kA) + "\\@"},
       {},
       9,
       true},
      {"kind 1 by value path",
       Row(K::fkValueInPath, std::string(kA) + "\\Path"),
       {std::string(kA) + "\\path"},
       {},
       9,
       true},
      {"kind 1 other value",
       Row(K::fkValueInPath, std::string(kA) + "\\Path2"),
       {std::string(kA) + "\\path"},
       {},
       9,
       false},
      {"kind 1 default value by @",
       Row(K::fkValueInPath, std::string(kA) + "\\"),
       {std::string(kA) + "\\@"},
       {},
       9,
       true},
      {"kind 2 named value",
       Row(K::fkNamedValue, kA, "C:\\x.exe"),
       {std::string(kA) + "\\C:\\x.exe"},
       {},
       9,
       true},
      {"kind 6 by stored (rotated) name",
       Row(K::fkRotatedValue, kA, "UEME_RUNPATH:C:\\a.exe"),
       {std::string(kA) + "\\HRZR_EHACNGU:P:\\n.rkr"},
       {},
       9,
       true},
      {"kind 6 readable name does not match",
       Row(K::fkRotatedValue, kA, "UEME_RUNPATH:C:\\a.exe"),
       {std::string(kA) + "\\UEME_RUNPATH:C:\\a.exe"},
       {},
       9,
       false},
      {"key row holding an ignored value",
       Row(K::fkKey, kA),
       {std::string(kA) + "\\B\\v"},
       {},
       9,
       true},
      {"key row whose name prefixes the ignored value's key",
       Row(K::fkKey, kA),
       {std::string(kA) + "B\\v"},
       {},
       9,
       false},
      {"empty value entry matches nothing", Row(K::fkKey, kA), {""}, {}, 9, false},
      // Empty or blank key entries must not hide everything.
      {"empty key entry matches nothing", Row(K::fkKey, kA), {}, {""}, 9, false},
      {"backslash key entry matches nothing",
       Row(K::fkNamedValue, kA, "v"),
       {},
       {" \\ "},
       9,
       false},
      // File rows match by their own path only.
      {"file row under ignored folder",
       Row(K::fkFile, "C:\\Users\\u\\Desktop\\a.lnk"),
       {},
       {"C:\\Users\\u\\Desktop"},
       9,
       true},
      {"file row elsewhere",
       Row(K::fkFile, "C:\\Users\\u\\Desktop\\a.lnk"),
       {},
       {"HKEY_CURRENT_USER\\Software"},
       9,
       false},
      // Rows without a backslash are left to the fixed and unrepaired rules.
      {"no backslash", Row(K::fkKey, "HKEY_LOCAL_MACHINE"), {}, {"HKEY_LOCAL_MACHINE"}, 9, false},
      // Built-in exclusions depend on the version code.
      {"PowerShell on XP",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PowerShell\\1\\PowerShellEngine"),
       {},
       {},
       9,
       false},
      {"PowerShell on 11",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\PowerShell\\1\\PowerShellEngine"),
       {},
       {},
       11,
       true},
      {"PowerShell on Windows 10 and 11 (version 10.0, code 10)",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine"),
       {},
       {},
       10,
       true},
      {"PowerShell on 12",
       Row(K::fkKey, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\PowerShell\\1\\PowerShellEngine"),
       {},
       {},
       12,
       true},
      {"InprocServer32 value on 11",
       Row(K::fkValueInPath,
           "HKEY_CLASSES_ROOT\\CLSID\\{B977CB2D-EC6E-4A8F-BFFE-D18682BB0D52}\\InProcServer32\\"),
       {},
       {},
       11,
       true},
      // Fixed exclusions.
      {"username marker in value",
       Row(K::fkKey, "HKEY_CURRENT_USER\\X", "C:\\%username%_1\\a"),
       {},
       {},
       9,
       true},
      {"username marker in key", Row(K::fkKey, "HKEY_CURRENT_USER\\%UserName%_x"), {}, {}, 9, true},
      {"fixed CLSID",
       Row(K::fkKey, "HKEY_CLASSES_ROOT\\clsid\\{dfeaf541-f3e1-4c24-acac-99c30715084a}\\x"),
       {},
       {},
       9,
       true},
      {"fixed CLSID 2",
       Row(K::fkKey, "HKEY_CLASSES_ROOT\\CLSID\\{DC6EFB56-9CFA-464D-8880-44885D7DC193}"),
       {},
       {},
       9,
       true},
      {"fixed CLSID without the CLSID part",
       Row(K::fkKey, "HKEY_CLASSES_ROOT\\X\\{DC6EFB56-9CFA-464D-8880-44885D7DC193}"),
       {},
       {},
       9,
       false},
  };
  for (const Case& c : cases) {
    std::vector<Finding> rows = {c.row};
    FilterResults(rows, c.ignoreValues, c.ignoreKeys, {}, VersionWithCode(c.version));
    EXPECT_EQ(rows.empty(), c.removed) << c.name;
  }
}

TEST(ResultFilter, UnrepairedRowsStayHiddenAndOthersKeepOrderAndChecks) {
  std::vector<Finding> rows = {
      Row(K::fkKey, "HKEY_CURRENT_USER\\A", "1"), Row(K::fkKey, "HKEY_CURRENT_USER\\B", "2"),
      Row(K::fkKey, "HKEY_CURRENT_USER\\B", "3"), Row(K::fkKey, "HKEY_CURRENT_USER\\C", "4")};
  UnrepairedLists unrepaired;
  unrepaired.Add("hkey_current_user\\b", "2");            // same key, same value text: hidden
  unrepaired.Add("HKEY_CURRENT_USER\\C", "5");            // same key, other value: stays
  unrepaired.KeyTexts.push_back("HKEY_CURRENT_USER\\A");  // no partner value: ignored
  FilterResults(rows, {}, {}, unrepaired, VersionWithCode(9));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].ValueText, "1");
  EXPECT_EQ(rows[1].ValueText, "3");
  EXPECT_EQ(rows[2].ValueText, "4");
  EXPECT_TRUE(rows[2].Checked);
}

TEST(ResultFilter, FileRowIsNeverJudgedByAnotherRowsLocation) {
  // A key row that is ignored sits just before a file row; the file row must
  // be judged on its own path.
  std::vector<Finding> rows = {Row(K::fkKey, "HKEY_CURRENT_USER\\Software\\Ignored"),
                               Row(K::fkFile, "C:\\Data\\a.lnk", "C:\\gone.exe"),
                               Row(K::fkKey, "HKEY_CURRENT_USER\\Software\\Kept")};
  FilterResults(rows, {}, {"HKEY_CURRENT_USER\\Software\\Ignored"}, {}, VersionWithCode(9));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].KeyPath, "C:\\Data\\a.lnk");
}

TEST(ResultFilter, BuiltInExclusionsAreTheEightKeys) {
  ASSERT_EQ(BuiltInKeyExclusions().size(), 8u);
  EXPECT_EQ(BuiltInKeyExclusions().front(),
            "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Speech\\Recognizers\\Tokens");
}

}  // namespace
}  // namespace hs

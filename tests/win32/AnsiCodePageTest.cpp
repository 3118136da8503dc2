// The machine's ANSI code page against the real system, and backups in a
// page other than Windows-1252 restored through Wine's own "regedit /s".
// tests/win32/ansi_code_page_1251.sh runs the Cyrillic cases with Wine in the
// ru_RU locale (code page 1251) and HS_EXPECT_ACP=1251; elsewhere they skip.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/Text.h"
#include "common/win32/AnsiCodePage.h"
#include "platform/TRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "repair/RegistrySnapshot.h"
#include "repair/Repair.h"
#include "restore/RestoreBackup.h"
#include "restore/win32/RegistryEditorProcess.h"

namespace hs {
namespace {

// True when the machine runs in `page`; a run that asked for another page
// through HS_EXPECT_ACP fails instead of skipping.
bool RunsInCodePage(unsigned page) {
  const char* expected = std::getenv("HS_EXPECT_ACP");
  if (expected) {
    EXPECT_EQ(::GetACP(), std::strtoul(expected, nullptr, 10)) << "wrong locale";
  }
  return ::GetACP() == page;
}

TEST(AnsiCodePage, AgreesWithThePortableWindows1252Table) {
  if (!RunsInCodePage(1252)) {
    GTEST_SKIP() << "ANSI code page " << ::GetACP();
  }
  const win32::AnsiCodePage system;
  const Windows1252CodePage portable;
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::u16string text = system.decode(byte);
    EXPECT_EQ(text, portable.decode(byte)) << b;
    std::string back;
    EXPECT_TRUE(system.encode(text, back)) << b;
    EXPECT_EQ(back, byte) << b;
  }
  // Best-fit substitutes (a for a-macron) and characters of other pages are refused.
  std::string out;
  EXPECT_FALSE(system.encode(u"\u0101", out));
  EXPECT_FALSE(system.encode(u"\u4E2D", out));
}

constexpr const char* kBase = "Software\\HivesweepTest\\Cyrillic";
constexpr const char* kBaseFull = "HKEY_CURRENT_USER\\Software\\HivesweepTest\\Cyrillic";
const std::string kValuesKey = "\xD0\x97\xD0\xBD\xD0\xB0\xD1\x87\xD0\xB5\xD0\xBD\xD0\xB8\xD1\x8F";
const std::string kTreeKey =
    "\xD0\x9A\xD0\xBB\xD1\x8E\xD1\x87 \xE2\x84\x96"
    "1";                                                                       // Ключ №1
const std::string kName = "\xD0\x98\xD0\xBC\xD1\x8F";                          // Имя
const std::string kData = "\xD0\x94\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5";  // Данные
const std::string kCafe = "caf\xC3\xA9";

RegValue Sz(const std::string& name, const std::string& text, std::uint32_t type = kRegSz) {
  return {name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

std::vector<RegValue> CarriedValues() {
  return {
      Sz(kName + " \"\xD0\xB2\" \\", kData + " \\ \xC2\xAB\xD1\x82\xC2\xBB \"q\""),
      Sz(kData, "%" + kName + "%\\" + kData, kRegExpandSz),
      {kName + " multi", kRegMultiSz,
       Utf16LeBytes(Utf8ToUtf16(kName + std::string(1, '\0') + kData + std::string(1, '\0')))},
      Sz(kName + " lines", kData + "\r\n" + kName),
      Sz("", kData),
  };
}

void Write(RegistryBackend& reg, const std::string& path, const std::vector<RegValue>& values) {
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(path, true)) << path;
  for (const RegValue& value : values) ASSERT_TRUE(key.WriteValue(value)) << value.name;
}

std::vector<KeySnapshot> Tree(RegistryBackend& reg, const std::string& path) {
  std::vector<KeySnapshot> snapshot;
  std::string reason;
  EXPECT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, path, snapshot, reason)) << reason;
  return snapshot;
}

// Same keys, and every value with the same type and bytes (in any order).
void ExpectSameTree(const std::vector<KeySnapshot>& before, const std::vector<KeySnapshot>& after) {
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(before[k].keyPath, after[k].keyPath);
    EXPECT_EQ(before[k].values.size(), after[k].values.size()) << before[k].keyPath;
    for (const RegValue& old : before[k].values) {
      bool same = false;
      for (const RegValue& now : after[k].values)
        same = same || (now.name == old.name && now.type == old.type && now.data == old.data);
      EXPECT_TRUE(same) << before[k].keyPath << " value " << old.name;
    }
  }
}

std::string CodePageTempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  std::wstring wide(buffer);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())) + "HivesweepCodePage";
}

TEST(AnsiCodePage, CyrillicRepairIsRestoredByRegeditBitForBit) {
  if (!RunsInCodePage(1251)) {
    GTEST_SKIP() << "ANSI code page " << ::GetACP();
  }
  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  TRegistry scratch(reg, RootKey::CurrentUser);
  scratch.RemovePath(kBase);
  const std::string base = kBase, full = kBaseFull;
  std::vector<RegValue> values = CarriedValues();
  values.push_back(Sz(kCafe, "1"));
  values.push_back(Sz("text " + kCafe, kCafe));
  Write(reg, base + "\\" + kValuesKey, values);
  Write(reg, base + "\\" + kTreeKey, {Sz(kName, kData)});
  Write(reg, base + "\\" + kTreeKey + "\\\xD0\x81", CarriedValues());  // Ё
  Write(reg, base + "\\" + kCafe, {Sz("v", "1")});
  const std::vector<KeySnapshot> before = Tree(reg, base);

  std::vector<Finding> rows = {{"t", full + "\\" + kTreeKey, "", FindingKind::fkKey, true, 0},
                               {"t", full + "\\" + kCafe, "", FindingKind::fkKey, true, 0}};
  for (const RegValue& value : values)
    rows.push_back({"t", full + "\\" + kValuesKey, value.name,
                    value.name.empty() ? FindingKind::fkDefaultValue : FindingKind::fkNamedValue,
                    true, 0});
  const RepairOutcome outcome = RepairRun(reg, fs, CodePageTempFolder(), false).Run(rows);
  ASSERT_EQ(outcome.end, RepairEnd::Completed) << outcome.error;
  ASSERT_EQ(outcome.notRepaired.size(), 3u);
  for (const NotRepaired& kept : outcome.notRepaired)
    EXPECT_NE(kept.reason.find("cannot carry"), std::string::npos) << kept.reason;
  EXPECT_FALSE(scratch.PathExists(base + "\\" + kTreeKey));
  EXPECT_TRUE(scratch.PathExists(base + "\\" + kCafe));
  std::string backup;
  ASSERT_EQ(fs.readFile(outcome.backupFile, backup), FsStatus::Ok);
  EXPECT_NE(backup.find("\"\xC8\xEC\xFF\"=\"\xC4\xE0\xED\xED\xFB\xE5\""), std::string::npos)
      << "written in code page 1251";

  win32::Win32RegistryEditor editor;
  const RestoreOutcome restored = RestoreBackupFile(
      fs, reg, editor, {outcome.backupFile, CodePageTempFolder(), true, false, {}, {}});
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  for (const RestoreDifference& difference : restored.differences)
    ADD_FAILURE() << difference.item << " " << difference.problem;
  ExpectSameTree(before, Tree(reg, base));
  scratch.RemovePath(kBase);
}

}  // namespace
}  // namespace hs

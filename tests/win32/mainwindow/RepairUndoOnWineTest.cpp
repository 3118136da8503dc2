// What a repair cannot take back from the registry: shortcut files go to the
// real Recycle Bin and come back with the restore; rows it kept stay in the
// list and are shown with their reasons.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "mainwindow/win32/NotRepairedDialog.h"
#include "mainwindow/win32/RepairFromWindow.h"
#include "platform/TRegistry.h"
#include "platform/win32/RecycleBin.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "restore/RestoreBackup.h"
#include "restore/win32/RegistryEditorProcess.h"
#include "settings/Settings.h"
#include "translation/Translation.h"
#include "widgets/win32/ListView.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

constexpr const char* kRepairUndoBase = "Software\\HivesweepTest\\RepairUndo";
constexpr const char* kRepairUndoBaseFull =
    "HKEY_CURRENT_USER\\Software\\HivesweepTest\\RepairUndo";
constexpr const char* kUndoRunKey =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

Finding UndoRow(const std::string& keyPath, FindingKind kind) {
  return Finding{"Invalid shortcut", keyPath, "", kind, true, 0};
}

class RepairUndoOnWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRegistry key(reg, RootKey::CurrentUser);
    key.RemovePath(kRepairUndoBase);
    ASSERT_TRUE(key.OpenPath(kRepairUndoBase, true));
    ASSERT_TRUE(key.WriteValueText("Tool", "C:\\nowhere\\tool.exe"));
    folder = test::TempFolder("HivesweepRepairUndo\\");
    fs.deleteSilently(folder);
    ASSERT_EQ(fs.createDirectory(folder), FsStatus::Ok);
    ASSERT_EQ(fs.createDirectory(folder + "Desktop"), FsStatus::Ok);
    settings.OutputDirectory = folder + "Backup";
    settings.ShowHint = false;
    settings.RestorePoint = false;
    owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    ::DestroyWindow(owner);
    TRegistry(reg, RootKey::CurrentUser).RemovePath(kRepairUndoBase);
    fs.deleteSilently(folder);
  }

  std::string Shortcut(const std::string& name) {
    const std::string path = folder + "Desktop\\" + name;
    std::unique_ptr<FileWriter> writer;
    EXPECT_EQ(fs.openForWrite(path, false, writer), FsStatus::Ok);
    if (writer) writer->write("L");
    return path;
  }
  win32::RepairWindowResult Repair(std::vector<Finding>& rows) {
    win32::WindowQuestions questions;
    questions.askYesNo = [](HWND, const std::string&, bool) { return true; };
    questions.tellError = [](HWND, const std::string& text) { ADD_FAILURE() << text; };
    win32::RepairWindowInput input{reg, fs, settings, translation, 10, state, questions, {}, {}};
    input.showNotRepaired = [this](HWND dialogOwner, const std::vector<NotRepaired>& kept) {
      win32::NotRepairedDialog(dialogOwner, {kept, [this](HWND, const std::wstring& text) {
                                               copied = text;
                                               return true;
                                             }});
    };
    return win32::RepairFromWindow(owner, input, rows);
  }

  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  std::string folder;
  Settings settings;
  Translation translation{fs, folder, "English"};
  win32::RepairWindowState state;
  std::wstring copied;
  HWND owner = nullptr;
};

TEST_F(RepairUndoOnWineTest, ShortcutsGoToTheRecycleBinWithTheirPathsAndTheRestoreTellsWhere) {
  const std::string first = Shortcut("Old tool.lnk");
  const std::string second = Shortcut("Older tool.lnk");
  std::vector<Finding> rows = {
      UndoRow(first, FindingKind::fkFile),
      UndoRow(std::string(kRepairUndoBaseFull) + "\\Tool", FindingKind::fkValueInPath),
      UndoRow(second, FindingKind::fkFile)};
  const win32::RepairWindowResult result = Repair(rows);
  ASSERT_EQ(result.end, RepairEnd::Completed);
  EXPECT_TRUE(rows.empty());
  for (const std::string& path : {first, second}) {
    EXPECT_EQ(fs.probe(path), PathProbe::NotFound) << path;
    const std::vector<win32::RecycledItem> bin = win32::ListRecycleBin();
    EXPECT_TRUE(std::any_of(bin.begin(), bin.end(),
                            [&](const auto& item) { return win32::IsRecycledFrom(item, path); }))
        << path << " is not in the Recycle Bin with its original path";
  }

  // The real registry editor imports the backup, and the bin's own "Restore"
  // puts each shortcut back.
  win32::Win32RegistryEditor editor;
  RestoreRequest request{result.backupFile, settings.OutputDirectory, false, false, {}, {}};
  request.putBack = win32::PutBackFromRecycleBin;
  const RestoreOutcome restored = RestoreBackupFile(fs, reg, editor, request);
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  // Bottom to top, as the repair went.
  EXPECT_EQ(restored.recycledFiles, (std::vector<std::string>{second, first}));
  EXPECT_TRUE(restored.stillRecycled.empty());
  for (const std::string& path : {first, second}) {
    EXPECT_EQ(fs.probe(path), PathProbe::File) << path << " was not put back";
    const std::vector<win32::RecycledItem> bin = win32::ListRecycleBin();
    EXPECT_TRUE(std::none_of(bin.begin(), bin.end(),
                             [&](const auto& item) { return win32::IsRecycledFrom(item, path); }));
  }
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(kRepairUndoBase));
  EXPECT_TRUE(key.HasValue("Tool"));
}

TEST_F(RepairUndoOnWineTest, KeptRowsStayCheckedAndAreListedWithTheirReasons) {
  std::vector<Finding> rows = {
      UndoRow(std::string(kRepairUndoBaseFull) + "\\Tool", FindingKind::fkValueInPath),
      UndoRow(kUndoRunKey, FindingKind::fkKey),
      UndoRow(std::string(kRepairUndoBaseFull) + "\\Vanished", FindingKind::fkKey)};
  std::vector<std::wstring> listed;
  test::DialogDriver shown(win32::kNotRepairedList, [&](HWND dialog) {
    const ui::ListView list(::GetDlgItem(dialog, win32::kNotRepairedList));
    for (int row = 0; row < list.rowCount(); ++row)
      listed.push_back(list.text(row, 0) + L" | " + list.text(row, 2));
    test::Click(dialog, win32::kNotRepairedCopy);
    test::Click(dialog, win32::kNotRepairedClose);
  });
  const win32::RepairWindowResult result = Repair(rows);
  ASSERT_TRUE(shown.Acted());
  EXPECT_EQ(result.end, RepairEnd::Completed);
  ASSERT_EQ(rows.size(), 1u) << "the protected key stays; the vanished one is gone anyway";
  EXPECT_EQ(rows[0].KeyPath, kUndoRunKey);
  EXPECT_TRUE(rows[0].Checked);
  ASSERT_EQ(listed.size(), 2u);
  EXPECT_NE(listed[0].find(L"no longer exists"), std::wstring::npos) << listed[0];
  EXPECT_NE(listed[1].find(L"protected key"), std::wstring::npos) << listed[1];
  EXPECT_EQ(copied.rfind(L"Registry key\tValue\tReason\r\n", 0), 0u);
  EXPECT_NE(copied.find(L"protected key"), std::wstring::npos);
}

}  // namespace
}  // namespace hs

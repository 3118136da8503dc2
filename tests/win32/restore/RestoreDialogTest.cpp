// The restore dialog and the registry editor's wait dialog against Wine's
// registry, file system and regedit, driven through messages.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "mainwindow/win32/RepairFromWindow.h"
#include "platform/TRegistry.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "restore/win32/BackupHintDialog.h"
#include "restore/win32/RestoreDialog.h"
#include "restore/win32/RestoreItemsDialog.h"
#include "settings/Settings.h"
#include "widgets/win32/ListView.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

constexpr const char* kRestoreDialogBase = "Software\\HivesweepTest\\RestoreDialog";
constexpr const char* kRestoreDialogBaseFull =
    "HKEY_CURRENT_USER\\Software\\HivesweepTest\\RestoreDialog";

// "key|name" -> type and data
using Values = std::map<std::string, std::pair<std::uint32_t, std::vector<std::uint8_t>>>;

void Collect(RegistryBackend& reg, const std::string& path, Values& out) {
  TRegistry key(reg, RootKey::CurrentUser);
  if (!key.OpenPath(path)) return;
  out[path + "|"] = {};  // the key itself
  for (const RegValue& value : key.ValueList())
    out[path + "|" + value.name] = {value.type, value.data};
  for (const std::string& sub : key.SubkeyNameList()) Collect(reg, path + "\\" + sub, out);
}

struct DialogView {
  std::vector<std::vector<std::string>> rows;  // name, date, size
  int selected = -1;
  bool restoreEnabled = false;
  bool deleteEnabled = false;
  std::vector<int> buttonGaps;  // Restore|Open Directory|Delete|Close
};

std::vector<int> ButtonGaps(HWND dialog) {
  std::vector<RECT> bounds;
  for (int id : {win32::kRestoreRestore, win32::kRestoreOpenDirectory, win32::kRestoreShowItems,
                 win32::kRestoreDelete, win32::kRestoreClose}) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    bounds.push_back(rect);
  }
  std::vector<int> gaps;
  for (std::size_t i = 1; i < bounds.size(); ++i)
    gaps.push_back(bounds[i].left - bounds[i - 1].right);
  return gaps;
}

DialogView Read(HWND dialog) {
  DialogView view;
  const ui::ListView list(::GetDlgItem(dialog, win32::kRestoreList));
  for (int row = 0; row < list.rowCount(); ++row)
    view.rows.push_back({win32::Narrow(list.text(row, 0)), win32::Narrow(list.text(row, 1)),
                         win32::Narrow(list.text(row, 2))});
  const std::vector<int> selected = list.selectedRows();
  view.selected = selected.empty() ? -1 : selected.front();
  view.restoreEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, win32::kRestoreRestore));
  view.deleteEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, win32::kRestoreDelete));
  view.buttonGaps = ButtonGaps(dialog);
  return view;
}

void SelectRow(HWND dialog, int row) {
  ListView_SetItemState(::GetDlgItem(dialog, win32::kRestoreList), row,
                        LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

class RestoreDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRegistry(reg, RootKey::CurrentUser).RemovePath(kRestoreDialogBase);
    folder = test::TempFolder("HivesweepRestoreDialog");
    fs.deleteSilently(folder);
    ASSERT_EQ(fs.createDirectory(folder), FsStatus::Ok);
    calls = win32::RestoreDialogCalls::System(fs, texts, "English");
    calls.tell = [this](HWND, const std::string& text, bool) { told.push_back(text); };
    calls.askYesNo = [this](HWND, const std::string& text) {
      told.push_back(text);
      return false;
    };
  }
  void TearDown() override {
    TRegistry(reg, RootKey::CurrentUser).RemovePath(kRestoreDialogBase);
    fs.deleteSilently(folder);
  }

  void Write(const std::string& name, const std::string& bytes) {
    std::unique_ptr<FileWriter> writer;
    ASSERT_EQ(fs.openForWrite(folder + "\\" + name, false, writer), FsStatus::Ok);
    ASSERT_EQ(writer->write(bytes), FsStatus::Ok);
  }
  // Opens the dialog over the folder and runs `act` on it once it shows;
  // `act` ends it.
  void Show(const std::function<void(HWND)>& act) {
    test::DialogDriver driver(win32::kRestoreList, [&](HWND dialog) {
      act(dialog);
      test::Click(dialog, win32::kRestoreClose);
    });
    win32::RestoreDialog(nullptr, {fs, reg, texts, "English", folder, true, calls});
    ASSERT_TRUE(driver.Acted());
  }
  // Seeds the scratch tree and repairs part of it from the window: the
  // repair writes and records its backup in the folder.
  std::string RepairAndSnapshot(Values& before) {
    for (const char* name : {"Gone\\Sub", "Gone", "Kept"}) {
      TRegistry key(reg, RootKey::CurrentUser);
      EXPECT_TRUE(key.OpenPath(std::string(kRestoreDialogBase) + "\\" + name, true));
      EXPECT_TRUE(key.WriteValueText("Path", std::string("C:\\nowhere\\") + name + ".exe"));
      EXPECT_TRUE(key.WriteValue({"Count", kRegDword, {7, 0, 0, 0}}));
    }
    Collect(reg, kRestoreDialogBase, before);
    const std::string backup =
        Repair({{"Obsolete software", std::string(kRestoreDialogBaseFull) + "\\Gone", "",
                 FindingKind::fkKey, true, 0}});
    EXPECT_FALSE(TRegistry(reg, RootKey::CurrentUser)
                     .PathExists(std::string(kRestoreDialogBase) + "\\Gone"));
    return backup;
  }
  // The window's repair of `rows` into a backup file of the folder.
  std::string Repair(std::vector<Finding> rows) {
    Settings settings;
    settings.OutputDirectory = folder;
    settings.ShowHint = settings.RestorePoint = settings.Beep = false;
    win32::RepairWindowState state;
    win32::WindowQuestions questions;
    questions.askYesNo = [](HWND, const std::string&, bool) { return true; };
    questions.tellError = [](HWND, const std::string&) {};
    win32::RepairWindowInput input{reg, fs, settings, texts, 10, state, questions, {}, {}};
    const win32::RepairWindowResult result = win32::RepairFromWindow(nullptr, input, rows);
    EXPECT_EQ(result.end, RepairEnd::Completed);
    return result.backupFile;
  }

  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  Translation texts{fs, "", "English"};
  std::string folder;
  win32::RestoreDialogCalls calls;
  std::vector<std::string> told;
};

TEST_F(RestoreDialogTest, ListsRegFilesNewestFirstWithSizeTextsAndDeletesTheSelectedRow) {
  Write("Backup20240101120000.reg", std::string(1025, 'x'));
  Write("backup20240102120000.REG", std::string(1234567, 'x'));
  Write("a.reg", std::string(1024, 'x'));
  Write("b.reg", "x");
  Write("notes.txt", "x");
  ASSERT_EQ(fs.createDirectory(folder + "\\folder.reg"), FsStatus::Ok);
  DialogView shown, afterDelete, afterLastDelete, afterLockedDelete;
  Show([&](HWND dialog) {
    shown = Read(dialog);
    SelectRow(dialog, 1);
    test::Click(dialog, win32::kRestoreDelete);
    afterDelete = Read(dialog);
    SelectRow(dialog, 2);
    test::Click(dialog, win32::kRestoreDelete);
    afterLastDelete = Read(dialog);
    // A file another program holds open stays, and so does its row.
    const win32::UniqueHandle held(::CreateFileW(win32::Widen(folder + "\\b.reg").c_str(),
                                                 GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                                 nullptr));
    SelectRow(dialog, 1);
    test::Click(dialog, win32::kRestoreDelete);
    afterLockedDelete = Read(dialog);
  });
  ASSERT_EQ(shown.rows.size(), 4u);
  const std::pair<const char*, const char*> expected[] = {{"backup20240102120000.REG", "1,206 KB"},
                                                          {"Backup20240101120000.reg", "2 KB"},
                                                          {"b.reg", "1 KB"},
                                                          {"a.reg", "1 KB"}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(shown.rows[i][0], expected[i].first);
    EXPECT_EQ(shown.rows[i][2], expected[i].second);
    EXPECT_FALSE(shown.rows[i][1].empty());
  }
  // The middle buttons stand evenly between Restore and Close (the last gap
  // takes the division's remainder).
  ASSERT_EQ(shown.buttonGaps.size(), 4u);
  EXPECT_GT(shown.buttonGaps[0], 0);
  EXPECT_EQ(shown.buttonGaps[0], shown.buttonGaps[1]);
  EXPECT_EQ(shown.buttonGaps[0], shown.buttonGaps[2]);
  EXPECT_LE(shown.buttonGaps[3] - shown.buttonGaps[0], 3);
  EXPECT_EQ(shown.selected, -1);
  EXPECT_FALSE(shown.restoreEnabled);
  EXPECT_FALSE(shown.deleteEnabled);

  // Into the Recycle Bin without a question; the row below takes the selection.
  ASSERT_EQ(afterDelete.rows.size(), 3u);
  EXPECT_EQ(afterDelete.selected, 1);
  EXPECT_EQ(afterDelete.rows[1][0], "b.reg");
  EXPECT_TRUE(afterDelete.restoreEnabled);
  EXPECT_EQ(fs.probe(folder + "\\Backup20240101120000.reg"), PathProbe::NotFound);
  // The last row went: the new last row is selected.
  ASSERT_EQ(afterLastDelete.rows.size(), 2u);
  EXPECT_EQ(afterLastDelete.selected, 1);
  // A file that could not go keeps its row, and the user is told.
  EXPECT_EQ(afterLockedDelete.rows.size(), 2u);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("b.reg"), std::string::npos);
}

TEST_F(RestoreDialogTest, RestoresARepairsBackupToTheRegistryBeforeTheRepair) {
  Values before;
  const std::string backup = RepairAndSnapshot(before);
  ASSERT_FALSE(backup.empty());
  DialogView shown, restored;
  Show([&](HWND dialog) {
    shown = Read(dialog);
    SelectRow(dialog, 0);
    test::Click(dialog, win32::kRestoreRestore);  // the real regedit, behind the wait dialog
    restored = Read(dialog);
  });
  ASSERT_EQ(shown.rows.size(), 1u);
  EXPECT_EQ(folder + "\\" + shown.rows[0][0], backup);
  EXPECT_TRUE(told.empty()) << told.front();
  Values after;
  Collect(reg, kRestoreDialogBase, after);
  EXPECT_EQ(after, before);
  // Verified whole, in the backup folder, DeleteBackupFile set: gone from disk and list.
  EXPECT_EQ(fs.probe(backup), PathProbe::NotFound);
  EXPECT_TRUE(restored.rows.empty());
  EXPECT_FALSE(restored.restoreEnabled);
}

TEST_F(RestoreDialogTest, AValueChangedAfterTheImportIsReportedNotVerifiedAndTheFileKept) {
  Values before;
  const std::string backup = RepairAndSnapshot(before);
  const auto realEditor = calls.runEditor;
  calls.runEditor = [&](HWND owner, const std::string& commandLine) {
    const EditorRun run = realEditor(owner, commandLine);
    TRegistry key(reg, RootKey::CurrentUser);
    EXPECT_TRUE(key.OpenPath(std::string(kRestoreDialogBase) + "\\Gone\\Sub"));
    EXPECT_TRUE(key.WriteValueText("Path", "C:\\changed.exe"));
    return run;
  };
  DialogView restored;
  Show([&](HWND dialog) {
    SelectRow(dialog, 0);
    test::Click(dialog, win32::kRestoreRestore);
    restored = Read(dialog);
  });
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("The restore is not verified.", 0), 0u) << told[0];
  EXPECT_NE(told[0].find(std::string(kRestoreDialogBaseFull) + "\\Gone\\Sub value \"Path\""),
            std::string::npos)
      << told[0];
  EXPECT_NE(told[0].find("The backup file is kept: " + backup), std::string::npos) << told[0];
  EXPECT_EQ(fs.probe(backup), PathProbe::File);
  EXPECT_EQ(restored.rows.size(), 1u);
}

// The item list: "Key|Value" -> "In registry", and the check marks.
std::map<std::string, std::string> ItemRows(HWND items) {
  const ui::ListView list(::GetDlgItem(items, win32::kItemsList));
  std::map<std::string, std::string> rows;
  for (int row = 0; row < list.rowCount(); ++row)
    rows[win32::Narrow(list.text(row, 0)) + "|" + win32::Narrow(list.text(row, 1))] =
        win32::Narrow(list.text(row, 3));
  return rows;
}

void CheckItems(HWND items, const std::set<std::string>& wanted) {
  ui::ListView list(::GetDlgItem(items, win32::kItemsList));
  for (int row = 0; row < list.rowCount(); ++row)
    list.setChecked(row, wanted.count(win32::Narrow(list.text(row, 0)) + "|" +
                                      win32::Narrow(list.text(row, 1))) != 0);
}

// A repair of ten items (five keys with their subkeys, five values of one
// key); three of them taken back through the item list with the real
// registry editor, then the other seven.
TEST_F(RestoreDialogTest, ItemsComeBackThreeThenSevenAndOnlyThenTheFileGoes) {
  std::vector<Finding> rows;
  for (int i = 0; i < 5; ++i) {
    const std::string key = std::string(kRestoreDialogBase) + "\\Key" + std::to_string(i);
    TRegistry sub(reg, RootKey::CurrentUser), tree(reg, RootKey::CurrentUser),
        values(reg, RootKey::CurrentUser);
    ASSERT_TRUE(sub.OpenPath(key + "\\Sub", true));
    ASSERT_TRUE(sub.WriteValue({"Count", kRegDword, {static_cast<std::uint8_t>(i), 0, 0, 0}}));
    ASSERT_TRUE(tree.OpenPath(key));
    ASSERT_TRUE(tree.WriteValueText("Path", "C:\\nowhere\\" + std::to_string(i) + ".exe"));
    rows.push_back({"Obsolete software", std::string("HKEY_CURRENT_USER\\") + key, "",
                    FindingKind::fkKey, true, 0});
    ASSERT_TRUE(values.OpenPath(std::string(kRestoreDialogBase) + "\\Values", true));
    ASSERT_TRUE(values.WriteValueText("V" + std::to_string(i), "C:\\gone\\v.exe /min"));
    rows.push_back({"Missing file", std::string(kRestoreDialogBaseFull) + "\\Values",
                    "V" + std::to_string(i), FindingKind::fkNamedValue, true, 0});
  }
  Values before;
  Collect(reg, kRestoreDialogBase, before);
  const std::string backup = Repair(rows);
  ASSERT_FALSE(backup.empty());
  const std::set<std::string> three = {kRestoreDialogBaseFull + std::string("\\Key1|"),
                                       kRestoreDialogBaseFull + std::string("\\Key3|"),
                                       kRestoreDialogBaseFull + std::string("\\Values|V2")};
  std::map<std::string, std::string> listed, afterThree;
  Values registryAfterThree;
  bool keptAfterThree = false, itemsActed = false;
  DialogView left;
  Show([&](HWND dialog) {
    SelectRow(dialog, 0);
    test::DialogDriver itemList(win32::kItemsList, [&](HWND items) {
      listed = ItemRows(items);
      CheckItems(items, three);
      test::Click(items, win32::kItemsRestoreChecked);  // the real regedit, behind its wait
      afterThree = ItemRows(items);
      Collect(reg, kRestoreDialogBase, registryAfterThree);
      keptAfterThree = fs.probe(backup) == PathProbe::File;
      test::Click(items, win32::kItemsSelectAll);
      test::Click(items, win32::kItemsRestoreChecked);  // every item is back: the dialog ends
    });
    test::Click(dialog, win32::kRestoreShowItems);
    itemsActed = itemList.Acted();
    left = Read(dialog);
  });
  ASSERT_TRUE(itemsActed);
  ASSERT_EQ(listed.size(), 10u);
  for (const auto& [item, inRegistry] : listed) EXPECT_EQ(inRegistry, "No") << item;
  for (const auto& [item, inRegistry] : afterThree)
    EXPECT_EQ(inRegistry, three.count(item) ? "Yes" : "No") << item;
  EXPECT_TRUE(keptAfterThree);
  EXPECT_TRUE(told.empty()) << told.front();
  // Exactly those three came back; the other seven stayed deleted.
  Values expected;
  for (const auto& [slot, value] : before) {
    const std::string key = slot.substr(0, slot.find('|'));
    const std::string base(kRestoreDialogBase);
    if (key == base ||
        (key == base + "\\Values" && (slot.ends_with("|") || slot.ends_with("|V2"))) ||
        key.starts_with(base + "\\Key1") || key.starts_with(base + "\\Key3"))
      expected[slot] = value;
  }
  EXPECT_EQ(registryAfterThree, expected);

  // The registry now holds all of it again, and the backup went with the last item.
  Values after;
  Collect(reg, kRestoreDialogBase, after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(fs.probe(backup), PathProbe::NotFound);
  EXPECT_TRUE(left.rows.empty());
}

TEST_F(RestoreDialogTest, ACraftedFileWithDeletionLinesIsRefusedAndTheRegistryUnchanged) {
  TRegistry victim(reg, RootKey::CurrentUser);
  ASSERT_TRUE(victim.OpenPath(std::string(kRestoreDialogBase) + "\\Victim", true));
  ASSERT_TRUE(victim.WriteValueText("Keep", "me"));
  Values before;
  Collect(reg, kRestoreDialogBase, before);
  Write("Backup20991231235959.reg", std::string("REGEDIT4\r\n\r\n[-") + kRestoreDialogBaseFull +
                                        "\\Victim]\r\n\r\n[" + kRestoreDialogBaseFull +
                                        "]\r\n\"Keep\"=-\r\n");
  int editorRuns = 0;
  calls.runEditor = [&](HWND, const std::string&) {
    ++editorRuns;
    return EditorRun::Ended;
  };
  Show([&](HWND dialog) {
    SelectRow(dialog, 0);
    test::Click(dialog, win32::kRestoreRestore);
  });
  EXPECT_EQ(editorRuns, 0);
  ASSERT_EQ(told.size(), 1u);  // no question: no answer could make it importable
  EXPECT_EQ(told[0].rfind("The restore was refused.", 0), 0u) << told[0];
  Values after;
  Collect(reg, kRestoreDialogBase, after);
  EXPECT_EQ(after, before);
  EXPECT_EQ(fs.probe(folder + "\\Backup20991231235959.reg"), PathProbe::File);
}

// Stop during the import: the editor has exited before its private copy
// goes, and the user is told the backup may be partly restored and is kept.
TEST_F(RestoreDialogTest, StopDuringTheImportReportsItPartialAndKeepsTheBackup) {
  Values before;
  const std::string backup = RepairAndSnapshot(before);
  std::string copy;
  bool editorGoneAtReturn = false;
  bool copyThereAtReturn = false;
  calls.runEditor = [&](HWND owner, const std::string& commandLine) {
    copy = commandLine.substr(commandLine.find('"') + 1);
    copy.pop_back();
    test::DialogDriver stop(win32::kBackupHintStop,
                            [](HWND hint) { test::Click(hint, win32::kBackupHintStop); });
    // The editor's window instead of the import: it runs until it is stopped.
    const win32::EditorWait wait =
        win32::RunRegistryEditor(owner, "Regedit", "Importing...", {fs, texts, "English"});
    const win32::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, wait.processId));
    editorGoneAtReturn = !process || ::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
    copyThereAtReturn = fs.probe(copy) == PathProbe::File;
    return wait.run;
  };
  Show([&](HWND dialog) {
    SelectRow(dialog, 0);
    test::Click(dialog, win32::kRestoreRestore);
  });
  EXPECT_TRUE(editorGoneAtReturn) << "the editor may still read the copy about to be deleted";
  EXPECT_TRUE(copyThereAtReturn);
  EXPECT_EQ(fs.probe(copy), PathProbe::NotFound);  // the editor has ended: its copy goes
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind("The restore was stopped.", 0), 0u) << told[0];
  EXPECT_NE(told[0].find("partly restored"), std::string::npos) << told[0];
  EXPECT_NE(told[0].find("The backup file is kept: " + backup), std::string::npos) << told[0];
  EXPECT_EQ(fs.probe(backup), PathProbe::File);
}

// The editor's GUI (no arguments) runs until it is ended.
TEST(BackupHintDialogTest, StopKillsTheEditorAndClosingLeavesItRunning) {
  win32::Win32FileSystem fs;
  const Translation texts(fs, "", "English");
  std::string hint;
  test::DialogDriver stop(win32::kBackupHintStop, [&](HWND dialog) {
    hint = test::DialogItemText(dialog, win32::kBackupHintLabel);
    test::Click(dialog, win32::kBackupHintStop);
  });
  const win32::EditorWait stopped =
      win32::RunRegistryEditor(nullptr, "Regedit", "Waiting...", {fs, texts, "English"});
  ASSERT_TRUE(stop.Acted());
  EXPECT_EQ(hint, "Waiting...");
  EXPECT_EQ(stopped.run, EditorRun::Stopped);
  // Stop returns once the editor has exited.
  win32::UniqueHandle killed(::OpenProcess(SYNCHRONIZE, FALSE, stopped.processId));
  EXPECT_TRUE(!killed || ::WaitForSingleObject(killed.get(), 0) == WAIT_OBJECT_0);

  test::DialogDriver close(win32::kBackupHintStop, [&](HWND dialog) {
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // the close box
  });
  const win32::EditorWait abandoned =
      win32::RunRegistryEditor(nullptr, "Regedit", "Waiting...", {fs, texts, "English"});
  ASSERT_TRUE(close.Acted());
  EXPECT_EQ(abandoned.run, EditorRun::Abandoned);
  win32::UniqueHandle running(
      ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, abandoned.processId));
  ASSERT_TRUE(running);
  EXPECT_EQ(::WaitForSingleObject(running.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
  ::TerminateProcess(running.get(), 0);  // the test's own clean-up
}

TEST(BackupHintDialogTest, AnEditorThatEndsAtOnceEndsTheWaitAtTheFirstTick) {
  win32::Win32FileSystem fs;
  const Translation texts(fs, "", "English");
  const DWORD start = ::GetTickCount();
  const win32::EditorWait ended =
      win32::RunRegistryEditor(nullptr,
                               "Regedit /e \"" + test::TempFolder("HivesweepHintProbe.reg") +
                                   "\" HKEY_CURRENT_USER\\NoSuchHivesweepKey",
                               "Waiting...", {fs, texts, "English"});
  EXPECT_EQ(ended.run, EditorRun::Ended);
  EXPECT_GE(::GetTickCount() - start, 450u);
}

}  // namespace
}  // namespace hs

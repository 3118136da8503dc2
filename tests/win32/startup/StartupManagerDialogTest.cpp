// The startup manager on Wine's registry and shell: seeded Run values and
// shortcuts in both Startup folders are listed, only ticked rows are deleted,
// and the backup of a deleted Run value brings it back through the registry
// editor.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shobjidl.h>

#include <map>

#include "mainwindow/win32/RegMain.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "regfile/RegFileImport.h"
#include "restore/RestoreBackup.h"
#include "restore/win32/RegistryEditorProcess.h"
#include "settings/Settings.h"
#include "startup/StartupApproval.h"
#include "startup/win32/StartupManagerDialog.h"
#include "translation/Translation.h"
#include "ui/AppContext.h"
#include "widgets/win32/ListView.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

using win32::ComPtr;
using win32::ComScope;
using win32::Widen;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class StartupManagerDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::TempFolder("hs-startup\\");
    fs.createDirectory(folder);
    target = folder + "tool.exe";
    std::unique_ptr<FileWriter> writer;
    ASSERT_EQ(fs.openForWrite(target, false, writer), FsStatus::Ok);
    writer.reset();
    userStartup = fs.specialFolder(csidl::kStartup) + "\\";
    commonStartup = fs.specialFolder(csidl::kCommonStartup) + "\\";
    fs.createDirectory(userStartup);
    fs.createDirectory(commonStartup);
    SaveShortcut(userStartup + "HsUser.lnk");
    SaveShortcut(commonStartup + "HsCommon.LNK");
    ASSERT_EQ(fs.openForWrite(userStartup + "HsNotes.txt", false, writer), FsStatus::Ok);
    writer.reset();
    const std::string quotedTarget = "\\\"" + Escaped(target) + "\\\" /quiet";
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg,
                              "REGEDIT4\r\n[HKEY_CURRENT_USER\\" + std::string(kRun) +
                                  "]\r\n\"HsText\"=\"" + quotedTarget +
                                  "\"\r\n\"HsExpand\"=hex(2):25,54,45,4d,50,25,00\r\n" +
                                  "\"HsNumber\"=dword:00000001\r\n[HKEY_LOCAL_MACHINE\\" + kRun +
                                  "]\r\n" + "\"HsMachine\"=\"" + Escaped(target) + "\"\r\n",
                              error))
        << error.message;
  }

  // A new Wine session would start whatever is left in the Run keys.
  void TearDown() override {
    TRegistry user(reg, RootKey::CurrentUser), machine(reg, RootKey::LocalMachine);
    if (user.OpenPath(kRun))
      for (const char* name : {"HsText", "HsExpand", "HsNumber"}) user.RemoveValue(name);
    if (machine.OpenPath(kRun)) machine.RemoveValue("HsMachine");
    if (user.OpenPath(std::string(kStartupApprovedKey) + "\\Run"))
      for (const char* name : {"HsText", "HsExpand"}) user.RemoveValue(name);
    if (machine.OpenPath(std::string(kStartupApprovedKey) + "\\StartupFolder"))
      machine.RemoveValue("HsCommon.LNK");
    for (const std::string& path :
         {userStartup + "HsUser.lnk", userStartup + "HsNotes.txt", commonStartup + "HsCommon.LNK"})
      fs.deleteSilently(path);
  }

  static std::string Escaped(const std::string& path) {
    std::string out;
    for (const char c : path) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
  }

  void SaveShortcut(const std::string& path) {
    const ComScope com;
    ASSERT_TRUE(com.ok());
    ComPtr<IShellLinkW> link;
    ASSERT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                IID_IShellLinkW, link.putVoid()));
    ASSERT_HRESULT_SUCCEEDED(link->SetPath(Widen(target).c_str()));
    ComPtr<IPersistFile> file;
    ASSERT_HRESULT_SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.putVoid()));
    ASSERT_HRESULT_SUCCEEDED(file->Save(Widen(path).c_str(), TRUE));
  }

  std::optional<RegValue> RunValue(const std::string& name) {
    TRegistry user(reg, RootKey::CurrentUser, RegAccess::Read);
    RegValue value;
    if (!user.OpenPath(kRun) || !user.RawValue(name, value)) return std::nullopt;
    return value;
  }

  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  Translation english{fs, "C:\\", "English"};
  std::string folder, target, userStartup, commonStartup;
};

// Caption -> "File|Location|ticked" of the rows the test seeded.
using SeenRows = std::map<std::string, std::string>;

SeenRows OurRows(HWND dialog) {
  const ui::ListView list(::GetDlgItem(dialog, win32::kStartupList));
  SeenRows rows;
  for (int i = 0; i < list.rowCount(); ++i) {
    const std::string caption = win32::Narrow(list.text(i, 0));
    if (caption.rfind("Hs", 0) != 0) continue;
    rows[caption] = win32::Narrow(list.text(i, 1)) + "|" + win32::Narrow(list.text(i, 2)) +
                    (list.isChecked(i) ? "|ticked" : "");
  }
  return rows;
}

void Tick(HWND dialog, const std::string& caption) {
  ui::ListView list(::GetDlgItem(dialog, win32::kStartupList));
  for (int i = 0; i < list.rowCount(); ++i)
    if (win32::Narrow(list.text(i, 0)) == caption) list.setChecked(i, true);
}

TEST_F(StartupManagerDialogTest, ListsSeededEntriesDeletesTickedOnesAndTheBackupRestores) {
  const RegValue before = *RunValue("HsText");
  SeenRows listed, afterDelete;
  std::vector<std::string> told;
  test::DialogDriver driver(win32::kStartupList, [&](HWND dialog) {
    listed = OurRows(dialog);
    Tick(dialog, "HsText");
    Tick(dialog, "HsUser.lnk");
    test::Click(dialog, win32::kStartupDeleteEntry);
    afterDelete = OurRows(dialog);
    test::Click(dialog, IDCANCEL);
  });
  win32::StartupManagerInput input{reg, fs, english, "English", folder + "Backup", 10};
  input.tellFailures = [&](HWND, const std::string& text) { told.push_back(text); };
  const win32::StartupManagerOutput output = win32::StartupManagerDialog(nullptr, input);
  ASSERT_TRUE(driver.Acted());

  const std::string cuRun = std::string("HKEY_CURRENT_USER\\") + kRun;
  const std::string quoted = "\"" + target + "\" /quiet";
  EXPECT_EQ(listed, (SeenRows{{"HsText", quoted + "|" + cuRun},
                              {"HsExpand", "%TEMP%|" + cuRun},
                              {"HsMachine", target + "|HKEY_LOCAL_MACHINE\\" + kRun},
                              {"HsUser.lnk", target + "|Startup"},
                              {"HsCommon.LNK", target + "|Common Startup"}}));
  EXPECT_EQ(afterDelete, (SeenRows{{"HsExpand", "%TEMP%|" + cuRun},
                                   {"HsMachine", target + "|HKEY_LOCAL_MACHINE\\" + kRun},
                                   {"HsCommon.LNK", target + "|Common Startup"}}));
  EXPECT_TRUE(told.empty()) << told.front();
  EXPECT_EQ(output.deletedCount, 2);
  EXPECT_FALSE(RunValue("HsText"));
  EXPECT_TRUE(RunValue("HsExpand"));
  EXPECT_TRUE(RunValue("HsNumber"));
  EXPECT_EQ(fs.probe(userStartup + "HsUser.lnk"), PathProbe::NotFound);
  EXPECT_EQ(fs.probe(commonStartup + "HsCommon.LNK"), PathProbe::File);

  win32::Win32RegistryEditor editor;
  const RestoreOutcome restored = RestoreBackupFile(
      fs, reg, editor, {output.backupFile, folder + "Backup", true, false, {}, {}});
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  EXPECT_TRUE(restored.fileDeleted) << restored.keptBecause;
  const std::optional<RegValue> after = RunValue("HsText");
  ASSERT_TRUE(after);
  EXPECT_EQ(after->type, before.type);
  EXPECT_EQ(after->data, before.data);
}

std::string StartupStateShown(HWND dialog, const std::string& caption) {
  const ui::ListView list(::GetDlgItem(dialog, win32::kStartupList));
  for (int i = 0; i < list.rowCount(); ++i)
    if (win32::Narrow(list.text(i, 0)) == caption) return win32::Narrow(list.text(i, 3));
  return "(not listed)";
}

// The 12 bytes the system's startup list keeps for an entry, as Wine's
// registry holds them; nothing when there is no such value.
std::optional<std::vector<std::uint8_t>> ApprovalValue(RegistryBackend& reg, RootKey root,
                                                       const std::string& list,
                                                       const std::string& name) {
  TRegistry key(reg, root, RegAccess::Read);
  RegValue value;
  if (!key.OpenPath(std::string(kStartupApprovedKey) + "\\" + list) || !key.RawValue(name, value))
    return std::nullopt;
  if (value.type != kRegBinary) return std::vector<std::uint8_t>{};
  return value.data;
}

TEST_F(StartupManagerDialogTest, DisableWritesTheSystemsBytesAndEnableTakesThemBack) {
  using Bytes = std::vector<std::uint8_t>;
  // The system marks some entries 06 rather than 02.
  const Bytes six = {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  TRegistry approved(reg, RootKey::CurrentUser);
  ASSERT_TRUE(approved.OpenPath(std::string(kStartupApprovedKey) + "\\Run", true));
  ASSERT_TRUE(approved.WriteValue({"HsExpand", kRegBinary, six}));
  constexpr std::uint64_t kWhen = 0x01D9D9173BC56360ULL;  // 2023-08-27 as a FILETIME
  const Bytes when = {0x60, 0x63, 0xC5, 0x3B, 0x17, 0xD9, 0xD9, 0x01};
  const auto disabled = [&](std::uint8_t flags) {
    Bytes bytes = {flags, 0, 0, 0};
    bytes.insert(bytes.end(), when.begin(), when.end());
    return bytes;
  };
  const std::vector<std::string> ticked = {"HsText", "HsExpand", "HsCommon.LNK"};
  std::vector<std::string> statesOff, statesOn, statesBefore;
  std::optional<Bytes> textOff, expandOff, commonOff;
  test::DialogDriver driver(win32::kStartupList, [&](HWND dialog) {
    for (const std::string& caption : ticked) {
      statesBefore.push_back(StartupStateShown(dialog, caption));
      Tick(dialog, caption);
    }
    test::Click(dialog, win32::kStartupDisable);
    for (const std::string& caption : ticked)
      statesOff.push_back(StartupStateShown(dialog, caption));
    textOff = ApprovalValue(reg, RootKey::CurrentUser, "Run", "HsText");
    expandOff = ApprovalValue(reg, RootKey::CurrentUser, "Run", "HsExpand");
    commonOff = ApprovalValue(reg, RootKey::LocalMachine, "StartupFolder", "HsCommon.LNK");
    test::Click(dialog, win32::kStartupEnable);  // the ticks stay
    for (const std::string& caption : ticked)
      statesOn.push_back(StartupStateShown(dialog, caption));
    test::Click(dialog, IDCANCEL);
  });
  win32::StartupManagerInput input{reg, fs, english, "English", folder + "Backup", 10};
  input.tellFailures = [](HWND, const std::string& text) { ADD_FAILURE() << text; };
  input.fileTimeNow = [] { return kWhen; };
  const win32::StartupManagerOutput output = win32::StartupManagerDialog(nullptr, input);
  ASSERT_TRUE(driver.Acted());

  using V = std::vector<std::string>;
  EXPECT_EQ(statesBefore, (V{"Enabled", "Enabled", "Enabled"}));
  EXPECT_EQ(statesOff, (V{"Disabled", "Disabled", "Disabled"}));
  EXPECT_EQ(statesOn, (V{"Enabled", "Enabled", "Enabled"}));
  EXPECT_EQ(textOff, disabled(3));
  EXPECT_EQ(expandOff, disabled(7));
  EXPECT_EQ(commonOff, disabled(3));
  // Back on: the bytes the system writes for an enabled entry, and 06 as it was.
  EXPECT_EQ(ApprovalValue(reg, RootKey::CurrentUser, "Run", "HsText"),
            Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(ApprovalValue(reg, RootKey::CurrentUser, "Run", "HsExpand"), six);
  EXPECT_EQ(ApprovalValue(reg, RootKey::LocalMachine, "StartupFolder", "HsCommon.LNK"),
            Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  // Switching deletes nothing and backs nothing up.
  EXPECT_TRUE(RunValue("HsText"));
  EXPECT_EQ(fs.probe(commonStartup + "HsCommon.LNK"), PathProbe::File);
  EXPECT_TRUE(output.backupFile.empty());
}

// Ctrl+M of the main window opens the dialog on the window's own machine.
TEST(StartupManagerFromMainWindowTest, OpensOnTheWindowsMachine) {
  MemoryRegistry registry;
  MemoryFileSystem files;
  files.addFolder("C:\\Prog");
  RegFileError error;
  ASSERT_TRUE(ImportRegText(registry,
                            "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\" + std::string(kRun) +
                                "]\r\n\"HsSeeded\"=\"C:\\\\seeded.exe\"\r\n",
                            error));
  ui::AppContext context{files, registry, "C:\\Prog\\", Settings::Defaults("C:\\Prog\\"), {}, {}};
  win32::WindowQuestions answers;
  answers.tellError = [](HWND, const std::string& text) { ADD_FAILURE() << text; };
  mainwindow::TfrmKeyscour window(context, answers);
  ASSERT_TRUE(window.Create());
  SeenRows listed;
  test::DialogDriver driver(win32::kStartupList, [&](HWND dialog) {
    listed = OurRows(dialog);
    test::Click(dialog, IDCANCEL);
  });
  ::SendMessageW(window.hwnd(), WM_COMMAND,
                 static_cast<WPARAM>(mainwindow::MainCommand::StartupManager), 0);
  ASSERT_TRUE(driver.Acted());
  EXPECT_EQ(listed,
            (SeenRows{{"HsSeeded", "C:\\seeded.exe|HKEY_LOCAL_MACHINE\\" + std::string(kRun)}}));
}

}  // namespace
}  // namespace hs

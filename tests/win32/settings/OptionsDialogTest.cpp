// The options dialog as a user drives it under Wine: the Remove rule on the
// real list view, OK saving options.ini at once, and a refused folder and
// Cancel leaving every setting and the file as they were.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "settings/Settings.h"
#include "settings/win32/OptionsDialog.h"
#include "settings/win32/RegAddRegistryDialog.h"
#include "translation/IniFile.h"
#include "translation/Translation.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

using test::Click;
using test::DialogDriver;

void ChooseTab(HWND dialog, int tabsId, int page) {
  const HWND tabs = ::GetDlgItem(dialog, tabsId);
  ::SendMessageW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  NMHDR change{tabs, static_cast<UINT_PTR>(tabsId), static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(dialog, WM_NOTIFY, static_cast<WPARAM>(tabsId), reinterpret_cast<LPARAM>(&change));
}

std::vector<std::string> Rows(HWND dialog, int listId) {
  const HWND list = ::GetDlgItem(dialog, listId);
  std::vector<std::string> rows;
  const int count = ListView_GetItemCount(list);
  for (int row = 0; row < count; ++row) {
    wchar_t text[256] = {};
    ListView_GetItemText(list, row, 0, text, 256);
    rows.push_back(win32::Narrow(text));
  }
  return rows;
}

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = test::TempFolder("HivesweepOptions\\");
    fs.deleteSilently(folder);
    ASSERT_EQ(fs.createDirectory(folder), FsStatus::Ok);
    ASSERT_EQ(fs.createDirectory(folder + "Backup"), FsStatus::Ok);
    settings = Settings::Defaults(folder);
    settings.IgnoreValueList = {"HKEY_A\\1", "HKEY_A\\2", "HKEY_A\\3", "HKEY_A\\4", "HKEY_A\\5"};
    settings.IgnoreKeyList = {"HKEY_CURRENT_USER\\Software\\Vendor"};
  }
  void TearDown() override { fs.deleteSilently(folder); }

  win32::OptionsCommandResult Run() {
    win32::OptionsCommandInput input{
        fs,           english,  folder,
        {1280, 1024}, settings, [this](HWND, const std::string& text) { told.push_back(text); }};
    return win32::RunOptionsCommand(nullptr, input);
  }

  win32::Win32FileSystem fs;
  const Translation english;
  std::string folder;
  Settings settings;
  std::vector<std::string> told;
};

TEST_F(OptionsDialogTest, RemoveTakesTickedRowsOnlyAndOkSavesToOptionsIniAtOnce) {
  std::vector<std::string> afterSelectedRemove, afterTickedRemove;
  DialogDriver driver(win32::kOptionsRemove, [&](HWND dialog) {
    ChooseTab(dialog, win32::kOptionsPages, 1);
    const HWND values = ::GetDlgItem(dialog, win32::kOptionsValues);
    ListView_SetItemState(values, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(values, 2, LVIS_SELECTED, LVIS_SELECTED);
    Click(dialog, win32::kOptionsRemove);  // selected, none ticked: nothing goes
    afterSelectedRemove = Rows(dialog, win32::kOptionsValues);
    ListView_SetCheckState(values, 1, TRUE);
    ListView_SetCheckState(values, 3, TRUE);
    Click(dialog, win32::kOptionsRemove);
    afterTickedRemove = Rows(dialog, win32::kOptionsValues);
    Click(dialog, win32::kOptionsFirstCheckBox + 5);  // cbBeep
    Click(dialog, IDOK);
  });
  const win32::OptionsCommandResult result = Run();

  ASSERT_TRUE(driver.Acted());
  EXPECT_EQ(afterSelectedRemove.size(), 5u);
  const std::vector<std::string> kept{"HKEY_A\\1", "HKEY_A\\3", "HKEY_A\\5"};
  EXPECT_EQ(afterTickedRemove, kept);
  ASSERT_TRUE(result.confirmed);
  EXPECT_TRUE(result.saveError.empty()) << result.saveError;
  EXPECT_TRUE(told.empty());
  EXPECT_EQ(settings.IgnoreValueList, kept);
  EXPECT_TRUE(settings.Beep);
  // On disk before anything else happens: a crash now loses nothing.
  const IniFile saved = IniFile::Load(fs, folder + "options.ini");
  EXPECT_EQ(saved.ReadInteger("IgnoreValue", "Count", -1), 3);
  EXPECT_EQ(saved.ReadString("IgnoreValue", "Value2", ""), "HKEY_A\\3");
  EXPECT_EQ(saved.ReadString("IgnoreKey", "Key1", ""), "HKEY_CURRENT_USER\\Software\\Vendor");
  EXPECT_TRUE(saved.ReadBool("Options", "Beep", false));
  EXPECT_EQ(saved.ReadString("Options", "OutputDirectory", ""), folder + "Backup");
}

TEST_F(OptionsDialogTest, MissingFolderKeepsTheDialogOpenAndCancelChangesNothing) {
  const Settings before = settings;
  bool stayedOnGeneral = false, okGreyedForText = false, okEnabledForEntry = false;
  std::vector<std::string> valuesAfterAdd;
  DialogDriver driver(win32::kOptionsRemove, [&](HWND dialog) {
    ChooseTab(dialog, win32::kOptionsPages, 1);
    ::SetDlgItemTextW(dialog, win32::kOptionsOutputFolder, win32::Widen(folder + "Gone").c_str());
    Click(dialog, IDOK);
    stayedOnGeneral =
        ::IsWindowVisible(dialog) &&
        ::SendMessageW(::GetDlgItem(dialog, win32::kOptionsPages), TCM_GETCURSEL, 0, 0) == 0;

    ChooseTab(dialog, win32::kOptionsPages, 1);
    DialogDriver entry(win32::kRegAddRegistryKey, [&](HWND add) {
      ::SetDlgItemTextW(add, win32::kRegAddRegistryKey, L"Software\\Vendor");
      okGreyedForText = !::IsWindowEnabled(::GetDlgItem(add, IDOK));
      ::SetDlgItemTextW(add, win32::kRegAddRegistryKey, L"hkey_users\\S-1\\Added");
      okEnabledForEntry = ::IsWindowEnabled(::GetDlgItem(add, IDOK)) != FALSE;
      Click(add, IDOK);
    });
    Click(dialog, win32::kOptionsAdd);
    valuesAfterAdd = Rows(dialog, win32::kOptionsValues);
    Click(dialog, win32::kOptionsFirstCheckBox + 4);  // cbShowHint
    Click(dialog, IDCANCEL);
  });
  const win32::OptionsCommandResult result = Run();

  ASSERT_TRUE(driver.Acted());
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], folder + "Gone,The backup directory does not exist.");
  EXPECT_TRUE(stayedOnGeneral);
  EXPECT_TRUE(okGreyedForText);
  EXPECT_TRUE(okEnabledForEntry);
  ASSERT_EQ(valuesAfterAdd.size(), 6u);
  EXPECT_EQ(valuesAfterAdd[5], "hkey_users\\S-1\\Added");
  EXPECT_FALSE(result.confirmed);
  EXPECT_EQ(settings.IgnoreValueList, before.IgnoreValueList);
  EXPECT_EQ(settings.IgnoreKeyList, before.IgnoreKeyList);
  EXPECT_EQ(settings.OutputDirectory, before.OutputDirectory);
  EXPECT_EQ(settings.ShowHint, before.ShowHint);
  EXPECT_EQ(fs.probe(folder + "options.ini"), PathProbe::NotFound);
}

}  // namespace
}  // namespace hs

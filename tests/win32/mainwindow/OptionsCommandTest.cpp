// "&Options..." from the main window: the confirmed options are in
// options.ini as soon as the dialog closes, with the window's own state, not
// only when the window closes.
#include <gtest/gtest.h>

#include "mainwindow/win32/RegMain.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "settings/win32/OptionsDialog.h"
#include "translation/IniFile.h"
#include "win32/mainwindow/GuiTestSupport.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

constexpr const char* kOptionsProgramFolder = "C:\\Prog\\";

TEST(OptionsCommandTest, OkFromTheMenuSavesTheSettingsFileAtOnce) {
  MemoryRegistry registry;
  MemoryFileSystem files;
  files.addFolder("C:\\Prog\\Backup");
  files.addFolder("C:\\Elsewhere");
  ui::AppContext context{
      files, registry, kOptionsProgramFolder, Settings::Defaults(kOptionsProgramFolder), {}, {}};
  win32::WindowQuestions questions;
  questions.tellError = [](HWND, const std::string& text) { ADD_FAILURE() << text; };
  mainwindow::TfrmKeyscour window(context, questions);
  ASSERT_TRUE(window.Create());
  ::ShowWindow(window.hwnd(), SW_SHOW);
  PumpUntilIdle();

  DialogDriver driver(win32::kOptionsRemove, [](HWND dialog) {
    ::SetDlgItemTextW(dialog, win32::kOptionsOutputFolder, L"C:\\Elsewhere\\");
    Click(dialog, win32::kOptionsFirstCheckBox + 2);  // cbIncludeRemoveMedia
    Click(dialog, IDOK);
  });
  ::SendMessageW(window.hwnd(), WM_COMMAND, static_cast<WPARAM>(mainwindow::MainCommand::Options),
                 0);
  ASSERT_TRUE(driver.Acted());

  EXPECT_EQ(context.settings.OutputDirectory, "C:\\Elsewhere\\");
  const IniFile saved = IniFile::Load(files, "C:\\Prog\\options.ini");
  EXPECT_EQ(saved.ReadString("Options", "OutputDirectory", ""), "C:\\Elsewhere\\");
  EXPECT_TRUE(saved.ReadBool("Options", "IncludeRemoveMedia", false));
  EXPECT_TRUE(saved.ReadBool("TreeViewNodeCheck", "1", false));
  RECT bounds{};
  ::GetWindowRect(window.hwnd(), &bounds);
  EXPECT_EQ(saved.ReadInteger("Window", "Width", -1), bounds.right - bounds.left);
}

}  // namespace
}  // namespace hs::test

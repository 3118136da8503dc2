// The main window's restore and About commands open their dialogs; About
// shows its picture.
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>

#include "mainwindow/win32/AboutDialog.h"
#include "mainwindow/win32/RegMain.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "restore/win32/RestoreDialog.h"
#include "widgets/win32/Dpi.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs::test {
namespace {

using mainwindow::MainCommand;

TEST(SafetyCommandsTest, RestoreAndAboutOpenFromTheMainWindow) {
  auto files = std::make_shared<MemoryFileSystem>();
  auto registry = std::make_shared<MemoryRegistry>();
  files->addFolder("C:\\Prog");
  files->addFolder("C:\\Prog\\Backup");  // the default backup folder
  files->addFile("C:\\Prog\\Backup\\Backup20260101120000.reg", "REGEDIT4\r\n");
  ui::AppContext context{*files, *registry, "C:\\Prog\\", {}, {}, {}};
  mainwindow::TfrmKeyscour window(context);
  ASSERT_TRUE(window.Create());

  std::string folder;
  int rows = -1;
  {
    DialogDriver restore(win32::kRestoreList, [&](HWND dialog) {
      folder = DialogItemText(dialog, win32::kRestoreFolder);
      rows = static_cast<int>(
          ::SendDlgItemMessageW(dialog, win32::kRestoreList, LVM_GETITEMCOUNT, 0, 0));
      Click(dialog, win32::kRestoreClose);
    });
    ::SendMessageW(window.hwnd(), WM_COMMAND, static_cast<WPARAM>(MainCommand::RestoreRegistry), 0);
    ASSERT_TRUE(restore.Acted());
  }
  EXPECT_EQ(folder, "C:\\Prog\\Backup");
  EXPECT_EQ(rows, 1);

  std::string title, version;
  BITMAP picture{};
  int pictureBox = 0;
  {
    DialogDriver about(mainwindow::kAboutWebAddress, [&](HWND dialog) {
      title = DialogItemText(dialog, mainwindow::kAboutTitle);
      version = DialogItemText(dialog, mainwindow::kAboutVersion);
      // The picture compiled into the program, at its box's size for this DPI.
      const auto shown = reinterpret_cast<HBITMAP>(
          ::SendDlgItemMessageW(dialog, mainwindow::kAboutPicture, STM_GETIMAGE, IMAGE_BITMAP, 0));
      if (shown) ::GetObjectW(shown, sizeof picture, &picture);
      pictureBox = ui::ScaleToWindow(dialog, 64);
      Click(dialog, mainwindow::kAboutOk);
    });
    ::SendMessageW(window.hwnd(), WM_COMMAND, static_cast<WPARAM>(MainCommand::About), 0);
    ASSERT_TRUE(about.Acted());
  }
  EXPECT_EQ(title, "Corvane Hivesweep");
  EXPECT_EQ(version, "Version " HS_VERSION);
  EXPECT_EQ(picture.bmWidth, pictureBox);
  EXPECT_EQ(picture.bmHeight, pictureBox);
}

}  // namespace
}  // namespace hs::test

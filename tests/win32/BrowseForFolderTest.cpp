// The shell's folder picker under Wine: it opens centred on the screen with
// the program's other windows disabled, and a cancel hands back nothing and
// re-enables them.
#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/BrowseForFolder.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

constexpr int kPickerTree = 0x3741;  // the folder tree of the system's picker

TEST(BrowseForFolderTest, OpensCentredOverDisabledWindowsAndCancelGivesNothing) {
  const HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                       10, 200, 100, nullptr, nullptr, nullptr, nullptr);
  // Another window of the program, which the picker itself would leave usable.
  const HWND other = ::CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                       300, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner && other);
  bool otherDisabled = false;
  POINT corner{-1, -1};
  RECT client{};
  test::DialogDriver driver(kPickerTree, [&](HWND picker) {
    otherDisabled = !::IsWindowEnabled(other);
    RECT bounds{};
    ::GetWindowRect(picker, &bounds);
    corner = {bounds.left, bounds.top};
    ::GetClientRect(picker, &client);
    ::PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  });
  std::string folder = "C:\\no\\such\\folder";
  const bool chosen =
      win32::BrowseForFolder(owner, "Please select the directory to add", "", folder);

  ASSERT_TRUE(driver.Acted());
  EXPECT_FALSE(chosen);
  EXPECT_EQ(folder, "");  // a text naming no folder is not kept
  EXPECT_TRUE(otherDisabled);
  EXPECT_TRUE(::IsWindowEnabled(owner) && ::IsWindowEnabled(other));
  EXPECT_EQ(corner.x, (::GetSystemMetrics(SM_CXSCREEN) - client.right) / 2);
  EXPECT_EQ(corner.y, (::GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2);
  ::DestroyWindow(other);
  ::DestroyWindow(owner);
}

}  // namespace
}  // namespace hs

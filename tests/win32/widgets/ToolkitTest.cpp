// The toolkit's controls under Wine: a virtual list answers the standard
// list-view questions from its owner's rows, hidden menu items return to
// their place, names are unique per window, and a dialog reaches its object.
#include <gtest/gtest.h>

#include "widgets/win32/Dialog.h"
#include "win32/widgets/EveryKindWindow.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.open());
    PumpUntilIdle();
  }
  EveryKindWindow window;
};

TEST_F(ToolkitTest, VirtualListAnswersTextAndCheckStateFromItsOwner) {
  const HWND list = FindControl(window.components(), "lvData");
  ASSERT_NE(list, nullptr);
  wchar_t buffer[64] = {};
  LVITEMW item{};
  item.iSubItem = 1;
  item.pszText = buffer;
  item.cchTextMax = 64;
  EXPECT_EQ(::SendMessageW(list, LVM_GETITEMTEXTW, 2, reinterpret_cast<LPARAM>(&item)), 11);
  EXPECT_STREQ(buffer, L"row 2 col 1");
  const auto state = [&](int row) {
    return static_cast<UINT>(
        ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
  };
  EXPECT_EQ(state(0), INDEXTOSTATEIMAGEMASK(2U));
  EXPECT_EQ(state(1), INDEXTOSTATEIMAGEMASK(1U));
  window.rows.marks[1] = true;  // the owner's rows are the truth
  EXPECT_EQ(state(1), INDEXTOSTATEIMAGEMASK(2U));
  EXPECT_TRUE(ui::ListView(list).isChecked(1));
  // A text longer than the asker's buffer is cut, never overrun.
  wchar_t small[5] = {L'x', L'x', L'x', L'x', L'x'};
  item.pszText = small;
  item.cchTextMax = 4;
  ::SendMessageW(list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(small, L"row");
  EXPECT_EQ(small[4], L'x');
  // The wrapper reads a text of any length whole.
  window.rows.longText = std::wstring(3000, L'k') + L"end";
  EXPECT_EQ(ui::ListView(list).text(1, 1), window.rows.longText);
}

TEST_F(ToolkitTest, MenuItemsHideAndComeBackInTheirPlace) {
  const auto order = [&] {
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(window.fileMenu); ++i)
      ids.push_back(::GetMenuItemID(window.fileMenu, i));
    return ids;
  };
  EXPECT_EQ(order(), (std::vector<UINT>{kIdExit, kIdSeparator, kIdAfter}));
  ui::Component* exitItem = window.components().find("miExit");
  ui::SetMenuItemChecked(*exitItem, true);
  ASSERT_TRUE(ui::SetMenuItemVisible(window.components(), "miExit", false));
  ASSERT_TRUE(ui::SetMenuItemVisible(window.components(), "miHidden", true));
  EXPECT_EQ(order(), (std::vector<UINT>{kIdSeparator, kIdHidden, kIdAfter}));
  ASSERT_TRUE(ui::SetMenuItemVisible(window.components(), "miExit", true));
  EXPECT_EQ(order(), (std::vector<UINT>{kIdExit, kIdSeparator, kIdHidden, kIdAfter}));
  EXPECT_TRUE(::GetMenuState(window.fileMenu, kIdExit, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(ui::SetMenuItemVisible(window.components(), "noSuchItem", true));
}

class ClosingDialog : public ui::Dialog {
 public:
  ClosingDialog() : Dialog({.componentName = "frmProbe", .caption = L"Probe"}) {}
  bool sawInit = false;
  HWND button = nullptr;

 protected:
  bool onInitDialog() override {
    sawInit = FromWindow(hwnd()) == this && !FromWindow(::GetParent(hwnd()));
    button = ui::AddControl(hwnd(), components(),
                            {.className = WC_BUTTONW,
                             .name = "bOK",
                             .kind = ui::ComponentKind::Captioned,
                             .text = L"OK",
                             .width = 75,
                             .height = 23,
                             .id = IDOK});
    ::PostMessageW(hwnd(), WM_COMMAND, IDOK, 0);
    return true;
  }
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
      endDialog(42);
      return TRUE;
    }
    return Dialog::handleMessage(message, wParam, lParam);
  }
};

TEST_F(ToolkitTest, ModalDialogReachesItsObjectAndReturnsItsResult) {
  ClosingDialog dialog;
  EXPECT_EQ(dialog.runModal(window.hwnd()), 42);
  EXPECT_TRUE(dialog.sawInit);
  EXPECT_NE(dialog.button, nullptr);
  EXPECT_EQ(dialog.components().windowName(), "frmProbe");
  EXPECT_EQ(dialog.components().all().back().name, "bOK");
  EXPECT_EQ(dialog.hwnd(), nullptr);  // the window is gone, the object knows it
}

}  // namespace
}  // namespace hs::test

#pragma once
// A test window holding one component of every kind the toolkit translates,
// and a virtual list over rows the test owns.
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "widgets/win32/Controls.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/Menus.h"
#include "widgets/win32/StatusBar.h"
#include "widgets/win32/TreeView.h"
#include "widgets/win32/Window.h"

namespace hs::test {

struct TestRows : ui::VirtualRows {
  std::vector<bool> marks;
  std::wstring longText;  // column 1's text, when set
  std::wstring text(int row, int column) const override {
    if (column == 1 && !longText.empty()) return longText;
    return L"row " + std::to_wstring(row) + L" col " + std::to_wstring(column);
  }
  bool checked(int row) const override { return marks.at(static_cast<std::size_t>(row)); }
};

enum : UINT { kIdExit = 101, kIdSeparator, kIdHidden, kIdAfter };
enum : int { kIdVirtualList = 200 };

class EveryKindWindow : public ui::Window {
 public:
  TestRows rows;
  HMENU fileMenu = nullptr;

  bool open() {
    ui::UniqueHmenu bar = ui::CreateMenuBar();
    m_bar = bar.get();
    ui::WindowLayout design;
    design.componentName = "frmTest";
    design.caption = L"Test window";
    design.width = 640;
    design.height = 480;
    design.menu = bar.get();
    if (!create({.className = L"Hivesweep toolkit test window"}, design)) return false;
    bar.release();  // the window owns its menu bar now
    return true;
  }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_CREATE:
        return onCreate();
      case WM_NOTIFY:
        return onNotify(reinterpret_cast<const NMHDR*>(lParam));
      default:
        return defaultHandling(message, wParam, lParam);
    }
  }

 private:
  HWND add(const wchar_t* className, const char* name, ui::ComponentKind kind, const wchar_t* text,
           DWORD style, int top, int id = 0) {
    return ui::AddControl(hwnd(), components(),
                          {.className = className,
                           .name = name,
                           .kind = kind,
                           .text = text,
                           .style = style,
                           .left = 10,
                           .top = top,
                           .width = 300,
                           .height = 60,
                           .id = id});
  }

  LRESULT onCreate() {
    using ui::ComponentKind;
    add(WC_STATICW, "Label1", ComponentKind::Captioned, L"Tasks", 0, 0);
    add(WC_BUTTONW, "bScan", ComponentKind::Captioned, L"Scan", BS_PUSHBUTTON, 20);
    add(WC_EDITW, "eName", ComponentKind::Untranslated, L"typed text", 0, 40);
    const HWND box = add(WC_LISTBOXW, "ListBox1", ComponentKind::ListBox, L"", 0, 60);
    for (const wchar_t* item : {L"first", L"second"})
      ::SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    ui::ListView list(add(WC_LISTVIEWW, "lvData", ComponentKind::ListView, L"",
                          LVS_REPORT | LVS_OWNERDATA, 130, kIdVirtualList));
    list.setExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    list.addColumn(L"Problem", 120);
    list.addColumn(L"Registry key", 300);
    list.askForCheckMarks();
    rows.marks = {true, false, true};
    list.setVirtualRowCount(3);
    const HWND tabs = add(WC_TABCONTROLW, "pcPages", ComponentKind::PageControl, L"", 0, 200);
    for (const wchar_t* page : {L"General", L"Ignore"}) {
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<wchar_t*>(page);
      ::SendMessageW(tabs, TCM_INSERTITEMW,
                     static_cast<WPARAM>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)),
                     reinterpret_cast<LPARAM>(&item));
    }
    ui::TreeView tree(add(WC_TREEVIEWW, "tvSections", ComponentKind::TreeView, L"",
                          TVS_HASLINES | TVS_HASBUTTONS, 260));
    tree.useCheckStateImages();
    const HTREEITEM root = tree.append(TVI_ROOT, L"Root", 1, 2);
    const HTREEITEM group = tree.append(root, L"Group", 2, 2);
    tree.append(group, L"Leaf", 3, 1);
    tree.append(root, L"Sibling", 4, 2);
    tree.expandAll();
    ui::StatusBar panels(
        add(STATUSCLASSNAMEW, "StatusBar1", ComponentKind::StatusBarPanels, L"", 0, 330));
    panels.setPanels({200, 50});
    panels.setText(0, L"found");
    panels.setText(1, L"checked");
    ui::StatusBar simple(
        add(STATUSCLASSNAMEW, "StatusBar2", ComponentKind::StatusBarPanels, L"", CCS_TOP, 0));
    simple.setSimple(true);
    simple.setSimpleText(L"Ready");
    ui::MenuBuilder menus(components());
    // Drop-downs share the id 0, as in the program's menus.
    fileMenu = menus.addPopup(m_bar, "miFile", L"&File", 0);
    menus.addItem(fileMenu, "miExit", L"&Exit\tAlt+X", kIdExit);
    menus.addSeparator(fileMenu, "mlSep", kIdSeparator);
    menus.addHiddenItem(fileMenu, "miHidden", L"Hidden", kIdHidden);
    menus.addItem(fileMenu, "miAfter", L"&After", kIdAfter);
    return 0;
  }

  LRESULT onNotify(const NMHDR* header) {
    if (header->idFrom == kIdVirtualList && ui::AnswerDisplayInfo(header, rows)) return 0;
    return 0;
  }

  HMENU m_bar = nullptr;
};

}  // namespace hs::test

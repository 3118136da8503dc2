// TranslateForm on a real window under Wine: every kind of component is
// relabelled from its key, a missing key keeps the text, and the keys that a
// window asks for are exactly the ones it relabels.
#include <gtest/gtest.h>

#include <set>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "translation/IniFile.h"
#include "widgets/win32/TranslateForm.h"
#include "win32/UnderWine.h"
#include "win32/widgets/EveryKindWindow.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

std::wstring TabText(HWND tabs, int index) {
  wchar_t buffer[128] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buffer;
  item.cchTextMax = 128;
  ::SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

std::wstring ListBoxText(HWND box, int index) {
  wchar_t buffer[128] = {};
  ::SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer));
  return buffer;
}

std::vector<std::wstring> TreeTexts(HWND tree) {
  std::vector<std::wstring> texts;
  const ui::TreeView view(tree);
  for (const HTREEITEM node : view.nodesInTreeOrder()) texts.push_back(view.text(node));
  return texts;
}

class TranslateFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window.open());
    PumpUntilIdle();
  }
  HWND control(const char* name) { return FindControl(window.components(), name); }
  EveryKindWindow window;
};

bool HasExtendedStyle(HWND window, LONG_PTR flags) {
  return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & flags) == flags;
}

bool MenuReadsRightToLeft(HMENU menu) {
  MENUITEMINFOW item{};
  item.cbSize = sizeof(item);
  item.fMask = MIIM_FTYPE;
  return ::GetMenuItemInfoW(menu, 0, TRUE, &item) && (item.fType & MFT_RIGHTORDER);
}

// How many colours the window shows inside its menu bar's first item: none
// when the system left the item out, one when it drew no text there.
std::size_t ColoursInFirstMenuItem(HWND window) {
  ::ShowWindow(window, SW_SHOWNOACTIVATE);  // a hidden window's pixels cannot be read
  ::RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  RECT item{}, frame{};
  ::GetMenuItemRect(window, ::GetMenu(window), 0, &item);
  ::GetWindowRect(window, &frame);
  const HDC dc = ::GetWindowDC(window);
  std::set<COLORREF> colours;
  for (LONG y = item.top; y < item.bottom; ++y)
    for (LONG x = item.left; x < item.right; ++x)
      colours.insert(::GetPixel(dc, x - frame.left, y - frame.top));
  ::ReleaseDC(window, dc);
  return colours.size();
}

// Whether a status bar part's text is drawn right to left.
bool StatusTextReadsRightToLeft(HWND bar, WPARAM part) {
  const LRESULT lengthAndType = ::SendMessageW(bar, SB_GETTEXTLENGTHW, part, 0);
  return (HIWORD(lengthAndType) & SBT_RTLREADING) != 0;
}

// The same for a simple bar's one text: asked for as SB_SIMPLEID, or (Wine)
// as any part below the panel count.
bool SimpleTextReadsRightToLeft(HWND bar) {
  return StatusTextReadsRightToLeft(bar, SB_SIMPLEID) || StatusTextReadsRightToLeft(bar, 0);
}

// A right-to-left translation turns the texts' reading order and alignment
// (not the layout); the next translation that does not turns them back.
TEST_F(TranslateFormTest, TheTranslationsReadingOrderGoesOnTheControlsAndBack) {
  // Where the button sits in its window's client area.
  auto place = [&] {
    RECT rect{};
    ::GetWindowRect(control("bScan"), &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control("bScan")), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const RECT before = place();
  ui::TranslateForm(window.components(),
                    IniFile::FromBytes("[Translation]\r\nReadingOrder=RightToLeft\r\n"
                                       "[frmTest]\r\nbScan=\xD9\x81\xD8\xAD\xD8\xB5\r\n"));
  PumpUntilIdle();
  EXPECT_TRUE(HasExtendedStyle(control("bScan"), WS_EX_RTLREADING | WS_EX_RIGHT));
  EXPECT_TRUE(HasExtendedStyle(control("Label1"), WS_EX_RTLREADING | WS_EX_RIGHT));
  EXPECT_TRUE(HasExtendedStyle(control("lvData"), WS_EX_RTLREADING));
  EXPECT_FALSE(HasExtendedStyle(control("lvData"), WS_EX_LAYOUTRTL));
  EXPECT_FALSE(HasExtendedStyle(control("eName"), WS_EX_RTLREADING));  // not translated
  // The menus read right to left where the system draws that order; Wine
  // would leave their items out, so there they keep theirs.
  const HWND self = window.components().all().front().window;
  EXPECT_EQ(MenuReadsRightToLeft(::GetMenu(self)), !RunningUnderWine());
  EXPECT_GT(ColoursInFirstMenuItem(self), 1u);
  // The status texts there already and those set later, panels and simple.
  ui::StatusBar panels(control("StatusBar1"));
  EXPECT_TRUE(StatusTextReadsRightToLeft(panels.hwnd(), 0));
  panels.setText(1, L"\x0645\x062D\x062F\x062F");
  EXPECT_TRUE(StatusTextReadsRightToLeft(panels.hwnd(), 1));
  EXPECT_EQ(panels.text(1), L"\x0645\x062D\x062F\x062F");
  EXPECT_TRUE(SimpleTextReadsRightToLeft(control("StatusBar2")));
  const RECT after = place();
  EXPECT_TRUE(::EqualRect(&before, &after))
      << before.left << "," << before.top << " " << after.left << "," << after.top;

  ui::TranslateForm(window.components(), IniFile::FromBytes("[frmTest]\r\nbScan=Scan\r\n"));
  EXPECT_FALSE(HasExtendedStyle(control("bScan"), WS_EX_RTLREADING));
  EXPECT_FALSE(HasExtendedStyle(control("bScan"), WS_EX_RIGHT));
  EXPECT_FALSE(MenuReadsRightToLeft(::GetMenu(window.components().all().front().window)));
  EXPECT_FALSE(StatusTextReadsRightToLeft(panels.hwnd(), 1));
}

TEST_F(TranslateFormTest, RelabelsEveryKindFromItsKey) {
  const IniFile file = IniFile::FromBytes(
      "\xEF\xBB\xBF[frmTest]\r\nfrmTest=Testfenster\r\nLabel1=Aufgaben\r\nbScan=Suchen\r\n"
      "eName=must stay\r\nListBox1_Item1=zweite\r\nlvData_Column0=Problem DE\r\n"
      "lvData_Column1=Schl\xC3\xBC"
      "ssel\r\npcPages_Page1=Ignorieren\r\n"
      "tvSections_0=Wurzel\r\ntvSections_2=Blatt\r\ntvSections_3=Geschwister\r\n"
      "StatusBar1_Panel1=markiert\r\nStatusBar2=Bereit\r\n"
      "[Menu_frmTest]\r\nmiFile=&Datei\r\nmiExit=&Beenden\r\nmiHidden=Versteckt\r\n"
      "mlSep=not a caption\r\n");
  ui::TranslateForm(window.components(), file);

  EXPECT_EQ(ui::WindowText(window.hwnd()), L"Testfenster");
  EXPECT_EQ(ui::WindowText(control("Label1")), L"Aufgaben");
  EXPECT_EQ(ui::WindowText(control("bScan")), L"Suchen");
  EXPECT_EQ(ui::WindowText(control("eName")), L"typed text");  // edit boxes keep their text
  EXPECT_EQ(ListBoxText(control("ListBox1"), 0), L"first");    // missing key: kept
  EXPECT_EQ(ListBoxText(control("ListBox1"), 1), L"zweite");
  const ui::ListView list(control("lvData"));
  EXPECT_EQ(list.columnText(0), L"Problem DE");
  EXPECT_EQ(list.columnText(1), L"Schl\u00FCssel");  // UTF-8 in the file, UTF-16 on screen
  EXPECT_EQ(TabText(control("pcPages"), 0), L"General");
  EXPECT_EQ(TabText(control("pcPages"), 1), L"Ignorieren");
  EXPECT_EQ(TreeTexts(control("tvSections")),
            (std::vector<std::wstring>{L"Wurzel", L"Group", L"Blatt", L"Geschwister"}));
  const ui::StatusBar panels(control("StatusBar1"));
  EXPECT_EQ(panels.text(0), L"found");
  EXPECT_EQ(panels.text(1), L"markiert");
  EXPECT_EQ(ui::StatusBar(control("StatusBar2")).simpleText(), L"Bereit");

  EXPECT_EQ(MenuItemText(::GetMenu(window.hwnd()), 0, MF_BYPOSITION), L"&Datei");
  EXPECT_EQ(MenuItemText(window.fileMenu, kIdExit), L"&Beenden\tAlt+X");  // the shortcut stays
  EXPECT_EQ(MenuItemText(window.fileMenu, kIdAfter), L"&After");
  MENUITEMINFOW separator{};
  separator.cbSize = sizeof separator;
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(::GetMenuItemInfoW(window.fileMenu, 1, TRUE, &separator));
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
  // A hidden item takes its caption along when it is shown.
  ASSERT_TRUE(ui::SetMenuItemVisible(window.components(), "miHidden", true));
  EXPECT_EQ(MenuItemText(window.fileMenu, kIdHidden), L"Versteckt");
}

TEST_F(TranslateFormTest, KeysFollowTheComponentsInRegistrationOrder) {
  std::vector<std::string> keys;
  for (const ui::TranslationKey& key : ui::TranslationKeysOf(window.components()))
    keys.push_back(key.section + "/" + key.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"frmTest/frmTest",
                                            "frmTest/Label1",
                                            "frmTest/bScan",
                                            "frmTest/ListBox1_Item0",
                                            "frmTest/ListBox1_Item1",
                                            "frmTest/lvData_Column0",
                                            "frmTest/lvData_Column1",
                                            "frmTest/pcPages_Page0",
                                            "frmTest/pcPages_Page1",
                                            "frmTest/tvSections_0",
                                            "frmTest/tvSections_1",
                                            "frmTest/tvSections_2",
                                            "frmTest/tvSections_3",
                                            "frmTest/StatusBar1_Panel0",
                                            "frmTest/StatusBar1_Panel1",
                                            "frmTest/StatusBar2",
                                            "Menu_frmTest/miFile",
                                            "Menu_frmTest/miExit",
                                            "Menu_frmTest/miHidden",
                                            "Menu_frmTest/miAfter"}));
}

// The file of a language beside the program, read from the real disk; at
// show time English (any letter case) reads nothing, even with its file there.
TEST_F(TranslateFormTest, ReadsTheLanguageFileButNotForEnglishAtShowTime) {
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32::Narrow(temp);
  win32::Win32FileSystem fs;
  const Translation texts(fs, folder, "English");
  for (const char* language : {"English", "Probe"}) {
    std::unique_ptr<FileWriter> file;
    ASSERT_EQ(fs.openForWrite(texts.FilePath(language), false, file), FsStatus::Ok);
    ASSERT_EQ(file->write(std::string("[frmTest]\r\nbScan=") + language + "\r\n"), FsStatus::Ok);
  }
  ui::TranslateFormUnlessEnglish(window.components(), fs, texts, "english");
  EXPECT_EQ(ui::WindowText(control("bScan")), L"Scan");
  ui::TranslateFormUnlessEnglish(window.components(), fs, texts, "Probe");
  EXPECT_EQ(ui::WindowText(control("bScan")), L"Probe");
  ui::TranslateForm(window.components(), fs, texts, "ENGLISH");  // the menu's choice reads it
  EXPECT_EQ(ui::WindowText(control("bScan")), L"English");
  for (const char* language : {"English", "Probe"}) fs.deleteSilently(texts.FilePath(language));
}

}  // namespace
}  // namespace hs::test

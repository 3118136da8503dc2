// The main window under Wine, driven from outside as a user or a screen
// reader would: mouse presses on state icons, keys, menu commands, and the
// standard tree-view, list-view and status-bar questions.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "mainwindow/win32/RegMain.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "translation/IniFile.h"
#include "ui/TreeImageChoice.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dpi.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

using mainwindow::MainCommand;

constexpr const char* kProgramFolder = "C:\\Prog\\";
constexpr const char* kOptionsFile = "C:\\Prog\\options.ini";

// A seeded machine: a missing startup program (task 10) and two user keys
// pointing at a missing folder (task 4), one of them on the ignore list.
constexpr const char* kSeed =
    "REGEDIT4\n"
    "[HKEY_CURRENT_USER\\Software\\Vendor\\Tool]\n\"Path\"=\"C:\\\\Gone\\\\tool.exe\"\n"
    "[HKEY_CURRENT_USER\\Software\\Vendor\\Ignored]\n\"Path\"=\"C:\\\\Gone\\\\x.exe\"\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
    "\"Gone\"=\"C:\\\\Gone\\\\run.exe\"\n";

class MainWindowTest : public ::testing::Test {
 protected:
  void TearDown() override { window.reset(); }
  void SetUp() override {
    files->addFolder("C:\\Prog");
    files->addFolder("C:\\Windows");
    RegFileError error;
    ASSERT_TRUE(ImportRegText(*registry, kSeed, error));
  }

  // options.ini checking only the given sections (root and group included).
  void WriteOptions(std::initializer_list<int> checkedSections, const std::string& extra = "") {
    std::string ini = "[TreeViewNodeCheck]\n";
    for (int n = 1; n <= 23; ++n) {
      const bool on =
          std::find(checkedSections.begin(), checkedSections.end(), n) != checkedSections.end();
      ini += std::to_string(n) + "=" + (on ? "1" : "0") + "\n";
    }
    files->addFile(kOptionsFile, ini + extra);
  }

  void Open(std::vector<std::string> arguments = {}) {
    context = std::make_unique<ui::AppContext>(ui::AppContext{windowFiles ? *windowFiles : *files,
                                                              *registry, kProgramFolder, settings,
                                                              facts, std::move(arguments)});
    win32::WindowQuestions answers = Answers();
    answers.openAddress = [this](HWND, const std::string& address) { opened.push_back(address); };
    window = std::make_unique<mainwindow::TfrmKeyscour>(*context, answers);
    ASSERT_TRUE(window->Create());
    ::ShowWindow(window->hwnd(), SW_SHOW);
    PumpUntilIdle();
  }

  // Every question answered yes; no message box may block a test.
  static win32::WindowQuestions Answers() {
    win32::WindowQuestions answers;
    answers.askYesNo = [](HWND, const std::string&, bool) { return true; };
    answers.chooseReportFile = [](HWND) { return std::optional<std::string>(); };
    answers.tellError = [](HWND, const std::string& text) { ADD_FAILURE() << text; };
    return answers;
  }

  HWND Control(const char* name) { return FindControl(window->components(), name); }
  void Command(MainCommand command) {
    ::SendMessageW(window->hwnd(), WM_COMMAND, static_cast<WPARAM>(command), 0);
    PumpUntilIdle();
  }
  std::wstring PanelText(int panel) {
    wchar_t text[256] = {};
    ::SendMessageW(Control("StatusBar1"), SB_GETTEXTW, static_cast<WPARAM>(panel),
                   reinterpret_cast<LPARAM>(text));
    return text;
  }

  std::shared_ptr<MemoryRegistry> registry = std::make_shared<MemoryRegistry>();
  std::shared_ptr<MemoryFileSystem> files = std::make_shared<MemoryFileSystem>();
  Settings settings = Settings::Defaults(kProgramFolder);
  SystemFacts facts;
  std::unique_ptr<ui::AppContext> context;
  std::unique_ptr<mainwindow::TfrmKeyscour> window;
  std::vector<std::string> opened;           // the web pages the window opened
  FileSystemBackend* windowFiles = nullptr;  // the window's, when not `files`
};

// --- the section tree --------------------------------------------------

std::vector<HTREEITEM> Nodes(HWND tree) {
  return ui::TreeView(tree).nodesInTreeOrder();
}

int StateOf(HWND tree, HTREEITEM node) {
  return ui::TreeView(tree).stateIndex(node);
}

std::string States(HWND tree) {
  std::string marks;
  for (HTREEITEM node : Nodes(tree)) marks += StateOf(tree, node) == 2 ? 'x' : '.';
  return marks;
}

// A point on the node's state icon, found the way a user's pointer would be.
POINT StateIconPoint(HWND tree, HTREEITEM node) {
  RECT text{};
  TreeView_GetItemRect(tree, node, &text, TRUE);
  for (LONG x = text.left; x > text.left - 40; --x) {
    TVHITTESTINFO hit{};
    hit.pt = {x, (text.top + text.bottom) / 2};
    if (TreeView_HitTest(tree, &hit) == node && (hit.flags & TVHT_ONITEMSTATEICON)) return hit.pt;
  }
  ADD_FAILURE() << "no state icon";
  return {};
}

// Posted, as input arrives: the controls track the mouse after a press until
// the release is in the queue.
void Press(HWND control, POINT at) {
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  ::PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
  PumpUntilIdle();
}

void Key(HWND control, WPARAM key) {
  ::SendMessageW(control, WM_KEYDOWN, key, 1);
  ::SendMessageW(control, WM_KEYUP, key, 0xC0000001);
  PumpUntilIdle();
}

TEST_F(MainWindowTest, SectionTreeChangesOnlyOnStateIconsAndStaysExpanded) {
  facts.version = {1, 4, 90};  // code 8: no system backup tool
  Open();
  const HWND tree = Control("tvRegistry");
  ASSERT_NE(tree, nullptr);
  const std::vector<HTREEITEM> nodes = Nodes(tree);
  ASSERT_EQ(nodes.size(), 22u);
  EXPECT_EQ(States(tree), std::string(22, 'x'));
  // Our own check boxes, drawn for the window's DPI (16 px at 96 DPI).
  int side = 0;
  ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_STATE), &side, &side);
  EXPECT_EQ(side, ui::TreeImageSizeForDpi(ui::WindowDpi(tree)));
  // The three hives one by one: the group follows the last, the root stays.
  for (std::size_t hive : {2u, 3u, 4u}) Press(tree, StateIconPoint(tree, nodes[hive]));
  EXPECT_EQ(States(tree), "x....xxxxxxxxxxxxxxxxx");
  // A press on a caption is no click on the check box.
  RECT caption{};
  TreeView_GetItemRect(tree, nodes[6], &caption, TRUE);
  Press(tree, {caption.left + 4, (caption.top + caption.bottom) / 2});
  EXPECT_EQ(StateOf(tree, nodes[6]), 2);
  // Space toggles the focused node, with the same rules.
  TreeView_SelectItem(tree, nodes[0]);
  Key(tree, VK_SPACE);
  EXPECT_EQ(States(tree), std::string(22, '.'));
  TreeView_SelectItem(tree, nodes[3]);
  Key(tree, VK_SPACE);
  EXPECT_EQ(States(tree), "xx.x..................");
  // Collapsing from the keyboard is refused.
  TreeView_SelectItem(tree, nodes[1]);
  Key(tree, VK_LEFT);
  Key(tree, VK_SUBTRACT);
  EXPECT_TRUE(TreeView_GetItemState(tree, nodes[1], TVIS_EXPANDED) & TVIS_EXPANDED);
  EXPECT_TRUE(TreeView_GetItemState(tree, nodes[0], TVIS_EXPANDED) & TVIS_EXPANDED);

  // "&Windows Backup..." is not offered on this version; the built
  // commands are enabled.
  const HMENU bar = ::GetMenu(window->hwnd());
  EXPECT_EQ(::GetMenuState(bar, static_cast<UINT>(MainCommand::WindowsBackup), MF_BYCOMMAND),
            static_cast<UINT>(-1));
  EXPECT_FALSE(::GetMenuState(bar, static_cast<UINT>(MainCommand::About), MF_BYCOMMAND) &
               MF_GRAYED);
  EXPECT_EQ(MenuItemText(bar, static_cast<UINT>(MainCommand::ScanRegistry)),
            L"&Scan registry issue\tCtrl+S");

  // Closing stores the checks (and writes the file).
  ::SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  PumpUntilIdle();
  const IniFile saved = IniFile::Load(*files, kOptionsFile);
  EXPECT_TRUE(saved.ReadBool("TreeViewNodeCheck", "4", false));
  EXPECT_FALSE(saved.ReadBool("TreeViewNodeCheck", "3", true));
  EXPECT_FALSE(saved.ReadBool("TreeViewNodeCheck", "6", true));
}

TEST_F(MainWindowTest, StoredBoundsNoScreenShowsOpenTheWindowCentred) {
  // A window saved while minimised is parked at -32000; an edited file may
  // hold any size.
  WriteOptions({1}, "[Window]\nState=2\nLeft=-32000\nTop=-32000\nWidth=90000\nHeight=3\n");
  Open();
  ::SendMessageW(window->hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  RECT bounds{};
  ::GetWindowRect(window->hwnd(), &bounds);
  EXPECT_NE(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_LE(bounds.right - bounds.left, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_GE(bounds.bottom - bounds.top, 400);
}

// --- the monitor's DPI ---------------------------------------------------

// While alive, the windows this thread creates are per-monitor aware, as the
// program's manifest makes its own (this test program carries none).
class PerMonitorAwareThread {
 public:
  PerMonitorAwareThread() {
    if (m_set) m_before = m_set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  }
  ~PerMonitorAwareThread() {
    if (m_set && m_before) m_set(m_before);
  }
  PerMonitorAwareThread(const PerMonitorAwareThread&) = delete;
  PerMonitorAwareThread& operator=(const PerMonitorAwareThread&) = delete;

 private:
  using SetFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  SetFn m_set = reinterpret_cast<SetFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
  DPI_AWARENESS_CONTEXT m_before = nullptr;
};

int FontHeight(HWND control) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

RECT BoundsOf(HWND window) {
  RECT bounds{};
  ::GetWindowRect(window, &bounds);
  return bounds;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// scripts/test.sh runs this once more with Wine's DPI at 144
// (tests/win32/main_window_dpi_144.sh).
TEST_F(MainWindowTest, FirstStartSizeAndMoveToAnotherDpiFollowTheMonitor) {
  const PerMonitorAwareThread aware;
  Open();  // no options.ini: the first start
  const HWND main = window->hwnd();
  const UINT start = ui::WindowDpi(main);
  if (const char* expected = std::getenv("HS_EXPECT_DPI")) {
    ASSERT_EQ(start, static_cast<UINT>(std::atoi(expected)));
  }
  RECT bounds = BoundsOf(main);
  EXPECT_EQ(bounds.right - bounds.left, ::MulDiv(684, static_cast<int>(start), 96));
  EXPECT_EQ(bounds.bottom - bounds.top, ::MulDiv(520, static_cast<int>(start), 96));

  // To a monitor of 144 DPI (from one of 144: to one of 96), as the system
  // reports it: the new DPI and the window's rectangle there.
  const UINT target = start == 96 ? 144 : 96;
  const auto scaled = [&](int pixels) { return ::MulDiv(pixels, static_cast<int>(target), 96); };
  const auto rescaled = [&](int pixels) {
    return ::MulDiv(pixels, static_cast<int>(target), static_cast<int>(start));
  };
  const HWND list = Control("lvRegistryData");
  const HWND tree = Control("tvRegistry");
  const int column = ListView_GetColumnWidth(list, 1);
  const int listFont = FontHeight(list);
  const RECT suggested{40, 30, 40 + scaled(684), 30 + scaled(520)};
  ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(target, target),
                 reinterpret_cast<LPARAM>(&suggested));
  PumpUntilIdle();
  EXPECT_TRUE(SameRect(BoundsOf(main), suggested));
  int side = 0;
  ImageList_GetIconSize(TreeView_GetImageList(tree, TVSIL_STATE), &side, &side);
  EXPECT_EQ(side, ui::TreeImageSizeForDpi(target));
  EXPECT_NEAR(FontHeight(list), rescaled(listFont), 1);
  EXPECT_EQ(FontHeight(Control("lTitle")), scaled(18));
  EXPECT_NEAR(ListView_GetColumnWidth(list, 1), rescaled(column), 1);
  int panels[2] = {};
  ::SendMessageW(Control("StatusBar1"), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(panels));
  EXPECT_EQ(panels[0], scaled(200));

  // The layout at the new DPI, now and after the user resizes the window.
  for (const int wider : {0, 200}) {
    if (wider) {
      ::SetWindowPos(main, nullptr, 0, 0, scaled(684) + wider, scaled(520), SWP_NOMOVE);
      PumpUntilIdle();
    }
    RECT client{};
    ::GetClientRect(main, &client);
    const ui::ControlRect band = ui::RectInParent(Control("imgTitle"), main);
    const ui::ControlRect listAt = ui::RectInParent(list, main);
    const ui::ControlRect treeAt = ui::RectInParent(tree, main);
    const ui::ControlRect status = ui::RectInParent(Control("StatusBar1"), main);
    EXPECT_EQ(band.height, scaled(50)) << wider;
    EXPECT_EQ(band.width, client.right) << wider;
    EXPECT_EQ(listAt.left + listAt.width, client.right) << wider;
    EXPECT_EQ(listAt.top + listAt.height, status.top) << wider;
    EXPECT_EQ(status.top + status.height, client.bottom) << wider;
    EXPECT_EQ(listAt.top, scaled(58)) << wider;
    for (const char* name : {"bScanRegistry", "bRepairRegistry", "bRestoreRegistry"}) {
      const ui::ControlRect button = ui::RectInParent(Control(name), main);
      EXPECT_GT(button.left, 0) << name;
      EXPECT_LE(button.left + button.width, listAt.left) << name;
      EXPECT_LE(button.top + button.height, treeAt.top) << name;
    }
  }

  // Another program's message: a DPI no monitor has, a rectangle at a bad
  // address or one no monitor shows. Nothing moves, nothing breaks.
  const RECT before = BoundsOf(main);
  const RECT nowhere{-90000, -90000, -89000, -89000};
  ::SendMessageW(main, WM_DPICHANGED, 0, reinterpret_cast<LPARAM>(&suggested));
  ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(target, target), 16);
  ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(target, target),
                 reinterpret_cast<LPARAM>(&nowhere));
  PumpUntilIdle();
  EXPECT_TRUE(SameRect(BoundsOf(main), before));
  EXPECT_EQ(ui::RectInParent(Control("imgTitle"), main).height, scaled(50));
}

// --- the scan and the findings list -------------------------------------

std::wstring CellText(HWND list, int row, int column) {
  wchar_t buffer[512] = {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer;
  item.cchTextMax = 512;
  ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return buffer;
}

UINT CheckState(HWND list, int row) {
  return static_cast<UINT>(
      ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
}

POINT RowStateIcon(HWND list, int row) {
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&bounds));
  for (LONG x = bounds.left; x < bounds.left + 40; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, (bounds.top + bounds.bottom) / 2};
    ::SendMessageW(list, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON)) return hit.pt;
  }
  ADD_FAILURE() << "no state icon";
  return {};
}

TEST_F(MainWindowTest, ScanFillsTheListAllCheckedAndFilteredWithExactCounts) {
  WriteOptions({1, 2, 4, 10},
               "[IgnoreKey]\nCount=1\nKey1=HKEY_CURRENT_USER\\Software\\Vendor\\Ignored\n");
  Open();
  const HWND list = Control("lvRegistryData");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(PanelText(0), L" 0 problems found");
  Command(MainCommand::ScanRegistry);

  // Tree order: the user's hive (task 4) before the startup programs (10).
  ASSERT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(CellText(list, 0, 1), L"HKEY_CURRENT_USER\\Software\\Vendor\\Tool\\Path");
  EXPECT_EQ(CellText(list, 1, 1),
            L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Gone");
  EXPECT_EQ(CellText(list, 1, 2), L"C:\\Gone\\run.exe");
  EXPECT_FALSE(CellText(list, 0, 0).empty());
  EXPECT_EQ(CheckState(list, 0), INDEXTOSTATEIMAGEMASK(2U));
  EXPECT_EQ(CheckState(list, 1), INDEXTOSTATEIMAGEMASK(2U));
  EXPECT_EQ(PanelText(0), L" 2 problems found");
  EXPECT_EQ(PanelText(1), L" 2 problems selected for repairing");

  // A press on a row's check box and Space on the focused row.
  Press(list, RowStateIcon(list, 1));
  EXPECT_EQ(CheckState(list, 1), INDEXTOSTATEIMAGEMASK(1U));
  EXPECT_EQ(PanelText(1), L" 1 problems selected for repairing");
  ListView_SetItemState(list, 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  Key(list, VK_SPACE);
  EXPECT_EQ(CheckState(list, 0), INDEXTOSTATEIMAGEMASK(1U));
  EXPECT_EQ(PanelText(1), L" 0 problems selected for repairing");
  Command(MainCommand::SelectAll);
  EXPECT_EQ(PanelText(1), L" 2 problems selected for repairing");

  // With every section unchecked a scan leaves the rows alone.
  const HWND tree = Control("tvRegistry");
  Press(tree, StateIconPoint(tree, Nodes(tree)[0]));
  Command(MainCommand::ScanRegistry);
  EXPECT_EQ(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
}

// --- clean-once -----------------------------------------------------------

TEST_F(MainWindowTest, CleanOnceMessageFromElsewhereIsIgnored) {
  // Another program can post the message number; only the window's own
  // clean-once start may repair unattended.
  WriteOptions({1, 10}, "[Options]\nShowHint=0\n");
  Open();
  ::PostMessageW(window->hwnd(), mainwindow::WM_CLEAN_ONCE, 0, 0);
  PumpUntilIdle();
  EXPECT_TRUE(::IsWindowVisible(window->hwnd()));
  EXPECT_EQ(::SendMessageW(Control("lvRegistryData"), LVM_GETITEMCOUNT, 0, 0), 0);
  TRegistry machine(*registry, RootKey::LocalMachine);
  ASSERT_TRUE(machine.OpenPath("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  EXPECT_TRUE(machine.HasValue("Gone"));
}

TEST_F(MainWindowTest, CleanOnceInCapitalsScansRepairsAndEndsOnce) {
  // No summary dialog: nobody is there to close it.
  WriteOptions({1, 10}, "[Options]\nShowHint=0\n");
  settings.OutputDirectory = "C:\\Prog\\Backup";
  files->addFolder("C:\\Prog\\Backup");
  Open({"-CLEANONCE"});
  const HWND main = window->hwnd();
  // Activations before and during the run start it only once.
  ::SendMessageW(main, WM_ACTIVATE, WA_ACTIVE, 0);
  ::SendMessageW(main, WM_ACTIVATE, WA_ACTIVE, 0);
  for (int i = 0; i < 200 && ::IsWindow(main); ++i) {
    PumpUntilIdle();
    ::Sleep(10);
  }
  EXPECT_FALSE(::IsWindow(main));
  // The startup value was repaired; the user's keys were not scanned.
  TRegistry machine(*registry, RootKey::LocalMachine);
  ASSERT_TRUE(machine.OpenPath("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  EXPECT_FALSE(machine.HasValue("Gone"));
  TRegistry user(*registry, RootKey::CurrentUser);
  ASSERT_TRUE(user.OpenPath("Software\\Vendor\\Tool"));
  EXPECT_TRUE(user.HasValue("Path"));
  EXPECT_EQ(files->probe(kOptionsFile), PathProbe::File);
}

// --- the update link ---------------------------------------------------

// A double click on the link notifies a click and then a double click; only
// the click, a menu command and a shortcut run the command.
TEST_F(MainWindowTest, UpdateLinkOpensOncePerClickNotPerDoubleClickNotice) {
  Open();
  const HWND link = Control("lUpdate");
  const auto id = static_cast<WORD>(MainCommand::CheckForUpdate);
  ::SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, STN_DBLCLK),
                 reinterpret_cast<LPARAM>(link));
  EXPECT_TRUE(opened.empty());

  for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    ::PostMessageW(link, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(4, 4));
  PumpUntilIdle();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "https://www.corvane.example/hivesweep/update");

  Command(MainCommand::CheckForUpdate);                              // the menu
  ::SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, 1), 0);  // a shortcut
  EXPECT_EQ(opened.size(), 3u);
}

// --- a scan stopped as the window closes -------------------------------

// File checks that take a while; counts the calls still inside.
class SlowProbes : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  PathProbe probe(const std::string& path) override {
    ++inside;
    ::Sleep(5000);  // longer than hiding the dialog takes under Wine
    const PathProbe result = inner().probe(path);
    --inside;
    return result;
  }
  std::atomic<int> inside{0};
};

// Stop while the worker is inside a slow check, then close at once: the
// window does not go (nor, after it, the machine it lent the worker) while
// the worker still uses it.
TEST_F(MainWindowTest, ClosingRightAfterAStopWaitsForTheScansLastCall) {
  for (int i = 0; i < 20; ++i) {  // more missing programs: the scan stays busy for seconds
    TRegistry key(*registry, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath("Software\\Vendor\\More" + std::to_string(i), true));
    ASSERT_TRUE(key.WriteValueText("Path", "C:\\Gone\\more.exe"));
  }
  WriteOptions({1, 2, 4});
  SlowProbes slow(*files);
  windowFiles = &slow;
  Open();
  std::thread user([&] {
    for (int i = 0; i < 400 && slow.inside == 0; ++i) ::Sleep(50);
    for (int i = 0; i < 100; ++i, ::Sleep(50)) {
      const HWND dialog = ::FindWindowW(L"#32770", L"Scanning");
      const HWND stop = dialog ? ::FindWindowExW(dialog, nullptr, L"Button", L"Stop") : nullptr;
      if (stop && ::PostMessageW(stop, BM_CLICK, 0, 0)) return;
    }
  });
  // Not Command(): no pumping until idle, which would outwait the call.
  ::SendMessageW(window->hwnd(), WM_COMMAND, static_cast<WPARAM>(MainCommand::ScanRegistry), 0);
  user.join();
  const bool insideAtStop = slow.inside > 0;
  ::SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(insideAtStop) << "the scan ended before Stop";
  EXPECT_EQ(slow.inside, 0) << "the window went while its worker was inside a call";
  window.reset();
  MSG quit;  // the window's end posted WM_QUIT; it must not end the next test's dialogs
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
}  // namespace hs::test

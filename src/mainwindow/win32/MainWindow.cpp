// TfrmKeyscour: creation, showing, activation, layout, closing and the
// private messages.
#include <algorithm>

#include "findings/ResultFilter.h"
#include "mainwindow/win32/RegMain.h"
#include "platform/win32/WideText.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/SettingsFile.h"
#include "ui/FindingCounts.h"
#include "ui/MainLayout.h"
#include "ui/win32/LanguageMenu.h"
#include "ui/win32/PictureIds.h"
#include "widgets/win32/CommandSource.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/Menus.h"
#include "widgets/win32/Pictures.h"
#include "widgets/win32/StatusBar.h"

namespace hs::mainwindow {

namespace {

constexpr int kButtonCaptionMargin = 17;

enum ControlId : int {
  kTreeId = 20,
  kListId,
  kStatusBarId,
  kListBoxId,
  kFirstStaticId = 40,
};

void Place(HWND control, const ui::ControlRect& r) {
  ::MoveWindow(control, r.left, r.top, r.width, r.height, TRUE);
}

SIZE SmallestSize(UINT dpi) {
  return {ui::ScaleToDpi(480, dpi), ui::ScaleToDpi(400, dpi)};
}

// Stored bounds come from a file anyone may edit, may name a screen since
// removed, or a minimised window's parking place: a size is kept between the
// smallest the layout allows and the screens' extent, and a window no
// monitor would show opens centred instead.
void KeepOnScreen(Settings& s, UINT dpi) {
  const SIZE least = SmallestSize(dpi);
  const int widest = std::max<int>(least.cx, ::GetSystemMetrics(SM_CXVIRTUALSCREEN));
  const int tallest = std::max<int>(least.cy, ::GetSystemMetrics(SM_CYVIRTUALSCREEN));
  s.WindowWidth = std::clamp<int>(s.WindowWidth, least.cx, widest);
  s.WindowHeight = std::clamp<int>(s.WindowHeight, least.cy, tallest);
  const RECT bounds{s.WindowLeft, s.WindowTop, s.WindowLeft + s.WindowWidth,
                    s.WindowTop + s.WindowHeight};
  if (::MonitorFromRect(&bounds, MONITOR_DEFAULTTONULL)) return;
  const ScreenSize screen = Screen();
  s.WindowLeft = (screen.width - s.WindowWidth) / 2;
  s.WindowTop = (screen.height - s.WindowHeight) / 2;
}

}  // namespace

ScreenSize Screen() {
  return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

TfrmKeyscour::TfrmKeyscour(ui::AppContext& context, win32::WindowQuestions questions)
    : m_context(context),
      m_questions(std::move(questions)),
      m_cleanOnceGate(ui::IsCleanOnceRequested(context.arguments)) {}

TfrmKeyscour::~TfrmKeyscour() = default;

bool TfrmKeyscour::Create() {
  ui::WindowClassDesc windowClass;
  windowClass.className = kMainWindowClassName;
  // The program icon of the resources (id 1), in the title bar and the taskbar.
  windowClass.icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  ui::WindowLayout design;
  design.componentName = "frmKeyscour";
  design.caption = L"Corvane Hivesweep 2.8";
  design.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  design.exStyle = WS_EX_CONTROLPARENT;
  design.width = Settings::kDesignedWindowWidth;
  design.height = Settings::kDesignedWindowHeight;
  return create(windowClass, design);
}

LRESULT TfrmKeyscour::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return onCreate();
    case WM_SHOWWINDOW:
      onShowWindow(wParam != FALSE);
      break;
    case WM_ACTIVATE:
      onActivate(wParam);
      break;
    case WM_SIZE:
      onSize();
      return 0;
    case WM_GETMINMAXINFO:
      onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_DPICHANGED:
      onDpiChanged(LOWORD(wParam), lParam);
      return 0;
    case WM_DRAWITEM:
      if (reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem == m_imgTitle) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        m_band.Paint(item.hDC, item.rcItem);
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
      return onCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      if (ui::IsCommandToRun(wParam, lParam)) onCommand(LOWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CONTEXTMENU:
      onContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      return 0;
    case WM_INITMENUPOPUP:
      onInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_CLOSE:
      onClose();
      return 0;
    case WM_DESTROY:
      onDestroy();
      return 0;
    case WM_SHOW_MAIN:
      onShowMain();
      return 0;
    case WM_CLEAN_ONCE:
      onCleanOnce();
      return 0;
    case WM_SCAN_TASK_DONE:
      RefreshCounts();
      return 0;
    default:
      break;
  }
  return defaultHandling(message, wParam, lParam);
}

LRESULT TfrmKeyscour::onCreate() {
  m_dpi = ui::WindowDpi(hwnd());
  CreateFonts(m_dpi);
  m_menus = BuildMainMenus(components());
  ::SetMenu(hwnd(), m_menus.bar.get());
  CreateControls();
  // First start: the designed size at this monitor's DPI. A stored size (the
  // last run's pixels) replaces it as the file is read.
  m_context.settings.WindowWidth = ui::ScaleToDpi(Settings::kDesignedWindowWidth, m_dpi);
  m_context.settings.WindowHeight = ui::ScaleToDpi(Settings::kDesignedWindowHeight, m_dpi);
  // Settings first: the window's size, language and tree checks come from them.
  LoadSaveOptions(true, m_context.fs, m_context.programFolder, Screen(), m_context.settings);
  ApplyWindowSettings();
  ::SetWindowTextW(hwnd(), L"Corvane Hivesweep 2.8");
  const int code = m_context.facts.WindowsVersionCode();
  if ((code >= 1 && code <= 4) || code == 8) {
    ui::SetMenuItemVisible(components(), "miWindowsBackup", false);
  }
  return 0;
}

void TfrmKeyscour::CreateControls() {
  const HWND self = hwnd();
  ui::ComponentRegistry& registry = components();
  const HFONT font = m_font.get();
  auto add = [&](ui::ControlLayout design) {
    if (!design.font) design.font = font;
    return ui::AddControl(self, registry, design);
  };
  using K = ui::ComponentKind;
  int staticId = kFirstStaticId;
  m_imgTitle = add({WC_STATICW, "imgTitle", K::Untranslated, L"", SS_OWNERDRAW | WS_CLIPSIBLINGS, 0,
                    0, 0, Settings::kDesignedWindowWidth, 50, staticId++});
  m_band.SetPicture(ui::LoadPictureResource(HS_PICTURE_BANNER));
  m_image1 = add({WC_STATICW, "Image1", K::Untranslated, L"", SS_ICON | SS_REALSIZECONTROL, 0, 9, 9,
                  32, 32, staticId++});
  UseBandIconFor(m_dpi);
  m_lTitle = add({WC_STATICW, "lTitle", K::Captioned, L"Hivesweep", SS_LEFT, 0, 50, 4, 300, 24,
                  staticId++, m_titleFont.get()});
  m_lTitleHint = add({WC_STATICW, "lTitleHint", K::Captioned,
                      L"Scan and repair your registry to improve PC performance", SS_LEFT, 0, 50,
                      29, 400, 16, staticId++});
  m_lUpdate =
      add({WC_STATICW, "lUpdate", K::Captioned, L"Check for update now...", SS_LEFT | SS_NOTIFY, 0,
           520, 17, 140, 16, static_cast<int>(MainCommand::CheckForUpdate)});
  m_iUpdate = add({WC_STATICW, "iUpdate", K::Untranslated, L"", SS_ICON | SS_REALSIZECONTROL, 0,
                   495, 16, 16, 16, staticId++});
  ::SendMessageW(m_iUpdate, STM_SETICON,
                 reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_INFORMATION)), 0);
  add({WC_STATICW, "Label1", K::Captioned, L"Tasks", SS_LEFT, 0, 8, 58, 160, 16, staticId++});
  const struct {
    const char* name;
    const wchar_t* caption;
    MainCommand command;
  } buttons[] = {{"bScanRegistry", L"Scan registry issues", MainCommand::ScanRegistry},
                 {"bRepairRegistry", L"Repair registry issues", MainCommand::RepairRegistry},
                 {"bRestoreRegistry", L"Restore previous registry ", MainCommand::RestoreRegistry}};
  int top = 76;
  for (int i = 0; i < 3; ++i) {
    m_buttons[i] =
        add({WC_BUTTONW, buttons[i].name, K::Captioned, buttons[i].caption,
             BS_PUSHBUTTON | WS_TABSTOP, 0, 8, top, 170, 26, static_cast<int>(buttons[i].command)});
    top += 28;
  }
  add({WC_STATICW, "Label2", K::Captioned, L"Select the sections to scan", SS_LEFT, 0, 8, 166, 214,
       16, staticId++});
  const HWND tree = add({WC_TREEVIEWW, "tvRegistry", K::TreeView, L"",
                         TVS_HASLINES | TVS_SHOWSELALWAYS | WS_TABSTOP | WS_BORDER, 0, 8, 184, 214,
                         200, kTreeId});
  m_tree = std::make_unique<SectionTreeView>(tree, m_sections);
  const HWND list = add({WC_LISTVIEWW, "lvRegistryData", K::ListView, L"",
                         LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP,
                         WS_EX_CLIENTEDGE, 230, 58, 436, 300, kListId});
  m_list = std::make_unique<FindingsListView>(list, m_rows, [this] { RefreshCounts(); });
  m_list->AddColumns(m_dpi);
  m_statusBar = add({STATUSCLASSNAMEW, "StatusBar1", K::StatusBarPanels, L"", SBARS_SIZEGRIP, 0, 0,
                     0, 0, 0, kStatusBarId});
  SizeStatusPanels();
  // The built-in key exclusions, as a hidden list; key paths are never translated.
  const HWND exclusions = add({WC_LISTBOXW, "ListBox1", K::Untranslated, L"", LBS_NOINTEGRALHEIGHT,
                               0, 0, 0, 10, 10, kListBoxId});
  for (const std::string& key : BuiltInKeyExclusions()) {
    ::SendMessageW(exclusions, LB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(win32::Widen(key).c_str()));
  }
  ::ShowWindow(exclusions, SW_HIDE);
  ::SetWindowPos(m_imgTitle, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// The stored size (and position, applied again at the first activation).
void TfrmKeyscour::ApplyWindowSettings() {
  Settings& s = m_context.settings;
  if (s.WindowMaximized) return;
  KeepOnScreen(s, m_dpi);
  m_placing = true;
  ::SetWindowPos(hwnd(), nullptr, s.WindowLeft, s.WindowTop, s.WindowWidth, s.WindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  m_placing = false;
}

void TfrmKeyscour::onShowWindow(bool shown) {
  if (!shown || m_firstShown) return;
  m_firstShown = true;
  if (m_context.settings.WindowMaximized) ::PostMessageW(hwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ui::SectionCheckFlags flags = m_context.settings.TreeViewNodeCheck;
  std::vector<std::string> unused;
  m_sections.WalkTree(0, ui::WalkTreeMode::LoadChecks, flags, unused);
  m_tree->ShowStates();
  LayoutControls();
  ApplyLanguage();
  RefreshCounts();
}

void TfrmKeyscour::ApplyLanguage() {
  ui::ApplyLanguageOnShow(components(), *m_menus.language, m_context);
  FitTaskButtons();
}

void TfrmKeyscour::FitTaskButtons() {
  ui::WindowDc dc(hwnd());
  if (!dc) return;
  ui::SelectedObject selected(dc.get(), m_font.get());
  for (HWND button : m_buttons) {
    const std::wstring caption = ui::WindowText(button);
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()),
                                 &size))
      continue;
    const ui::ControlRect r = ui::RectInParent(button, hwnd());
    ::MoveWindow(button, r.left, r.top, size.cx + ui::ScaleToDpi(kButtonCaptionMargin, m_dpi),
                 r.height, TRUE);
  }
}

// The stored position is applied once, at the first activation: moving the
// window back on every activation would undo every move the user makes while
// the program runs.
void TfrmKeyscour::onActivate(WPARAM state) {
  if (LOWORD(state) == WA_INACTIVE) return;
  if (!m_firstActivated) {
    m_firstActivated = true;
    if (!m_context.settings.WindowMaximized) {
      m_placing = true;
      ::SetWindowPos(hwnd(), nullptr, m_context.settings.WindowLeft, m_context.settings.WindowTop,
                     0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      m_placing = false;
    }
  }
  if (m_cleanOnceGate.StartOnActivation()) {
    m_cleanOnce = true;
    ::PostMessageW(hwnd(), WM_CLEAN_ONCE, 0, 0);
  }
}

void TfrmKeyscour::onSize() {
  if (m_statusBar) ::SendMessageW(m_statusBar, WM_SIZE, 0, 0);
  if (m_firstShown) LayoutControls();
}

void TfrmKeyscour::LayoutControls() {
  RECT client{};
  ::GetClientRect(hwnd(), &client);
  const HWND self = hwnd();
  ui::MainLayout current;
  current.imgTitle = ui::RectInParent(m_imgTitle, self);
  current.lUpdate = ui::RectInParent(m_lUpdate, self);
  current.iUpdate = ui::RectInParent(m_iUpdate, self);
  current.tvRegistry = ui::RectInParent(m_tree->hwnd(), self);
  current.lvRegistryData = ui::RectInParent(m_list->hwnd(), self);
  current.StatusBar1 = ui::RectInParent(m_statusBar, self);
  const ui::MainLayout next =
      ui::LayoutStep(current, client.right, client.bottom, static_cast<int>(m_dpi));
  Place(m_imgTitle, next.imgTitle);
  m_band.Fit(next.imgTitle.width, next.imgTitle.height);
  Place(m_lUpdate, next.lUpdate);
  Place(m_iUpdate, next.iUpdate);
  Place(m_tree->hwnd(), next.tvRegistry);
  Place(m_list->hwnd(), next.lvRegistryData);
  // The status bar keeps itself at the bottom edge (WM_SIZE above).
}

void TfrmKeyscour::onGetMinMaxInfo(MINMAXINFO& info) {
  if (!hwnd()) return;
  const SIZE least = SmallestSize(m_dpi);
  info.ptMinTrackSize = {least.cx, least.cy};
}

LRESULT TfrmKeyscour::onCtlColorStatic(HDC dc, HWND control) {
  if (control == m_lTitle || control == m_lTitleHint || control == m_lUpdate ||
      control == m_image1 || control == m_iUpdate) {
    POINT offset{};
    ::MapWindowPoints(control, m_imgTitle, &offset, 1);
    return reinterpret_cast<LRESULT>(m_band.LabelBackground(dc, offset));
  }
  return defaultHandling(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control));
}

void TfrmKeyscour::RefreshCounts() {
  if (!m_statusBar) return;
  const ui::FindingCountTexts texts = ui::CountTextsFor(
      m_rows.size(), ui::CheckedCount(m_rows),
      [this](const std::string& key, const std::string& english) { return Text(key, english); });
  ui::StatusBar bar(m_statusBar);
  bar.setText(0, win32::Widen(texts.found));
  bar.setText(1, win32::Widen(texts.checked));
}

std::string TfrmKeyscour::Text(const std::string& key, const std::string& english) const {
  return m_context.texts().GetLanString(key, english);
}

void TfrmKeyscour::onShowMain() {
  ::ShowWindow(hwnd(), SW_SHOW);
  if (::IsIconic(hwnd())) ::ShowWindow(hwnd(), SW_RESTORE);
  ::SetForegroundWindow(hwnd());
}

// Unattended: scan what the settings check, repair every row found, end.
// The message number is public, so only the run this window started itself
// (from "-cleanonce") is carried out, and only once.
void TfrmKeyscour::onCleanOnce() {
  if (!m_cleanOnce || m_cleanOnceRan) return;
  m_cleanOnceRan = true;
  ::ShowWindow(hwnd(), SW_HIDE);
  ScanRegistry();
  onRepairRegistry();
  ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
}

void TfrmKeyscour::StorePlacement() {
  Settings& s = m_context.settings;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  const bool placed = ::GetWindowPlacement(hwnd(), &placement) != FALSE;
  if (placed) s.WindowState = static_cast<int>(placement.showCmd);
  RECT bounds{};
  ::GetWindowRect(hwnd(), &bounds);
  // A minimised window's own bounds are its parking place off the screen.
  if (placed && ::IsIconic(hwnd())) bounds = placement.rcNormalPosition;
  s.WindowLeft = bounds.left;
  s.WindowTop = bounds.top;
  s.WindowWidth = bounds.right - bounds.left;
  s.WindowHeight = bounds.bottom - bounds.top;
  std::vector<std::string> unused;
  m_sections.WalkTree(0, ui::WalkTreeMode::StoreChecks, s.TreeViewNodeCheck, unused);
}

bool TfrmKeyscour::SaveSettings() {
  StorePlacement();
  const std::optional<std::string> failure =
      LoadSaveOptions(false, m_context.fs, m_context.programFolder, Screen(), m_context.settings);
  if (failure && !m_cleanOnce) m_questions.tellError(hwnd(), *failure);
  return !failure;
}

void TfrmKeyscour::onClose() {
  m_taskList.reset();
  SaveSettings();
  ::DestroyWindow(hwnd());
}

void TfrmKeyscour::onDestroy() {
  // The controls go with the window; their views must not outlive them.
  m_list.reset();
  m_tree.reset();
  // Stopped scans end at their next check; none may outlive the window.
  m_scanWorkers.JoinAll();
  ::PostQuitMessage(0);
}

}  // namespace hs::mainwindow

// TfrmKeyscour and the monitor's DPI: the fonts and the banner's icon made
// for it, and the move to a monitor of another DPI, which a per-monitor
// aware window must scale itself (the system neither resizes nor rescales
// it).
#include <optional>

#include "mainwindow/win32/RegMain.h"
#include "ui/MainLayout.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/StatusBar.h"

namespace hs::mainwindow {

namespace {

constexpr int kTitleFontHeight = 18;
constexpr int kBandIconSide = 32;
// The counts, then the focused row's evidence, which takes the rest.
constexpr int kStatePanelWidths[] = {200, 320, 100};

// A suggested rectangle is taken only where a monitor shows it and at most
// at the screens' extent: the message may come from another program.
bool FitsTheScreens(const RECT& bounds) {
  return bounds.right - bounds.left <= ::GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
         bounds.bottom - bounds.top <= ::GetSystemMetrics(SM_CYVIRTUALSCREEN) &&
         ::MonitorFromRect(&bounds, MONITOR_DEFAULTTONULL) != nullptr;
}

}  // namespace

void TfrmKeyscour::onDpiChanged(UINT dpi, LPARAM suggested) {
  if (!ui::IsUsableDpi(dpi)) return;
  const UINT before = m_dpi;
  m_dpi = dpi;
  if (dpi != before && m_tree && m_list) {
    UseFontsFor(dpi);
    UseBandIconFor(dpi);
    RescaleControls(before, dpi);
    m_tree->UseImagesFor(dpi);
    m_list->RescaleColumns(before, dpi);
    SizeStatusPanels();
  }
  const std::optional<RECT> bounds = ui::SuggestedWindowRect(suggested);
  if (bounds && !m_placing && FitsTheScreens(*bounds)) {
    ::SetWindowPos(hwnd(), nullptr, bounds->left, bounds->top, bounds->right - bounds->left,
                   bounds->bottom - bounds->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The size may be unchanged (no WM_SIZE) while the controls' sizes changed.
  onSize();
  if (m_firstShown) FitTaskButtons();
}

void TfrmKeyscour::SizeStatusPanels() {
  ui::StatusBar(m_statusBar)
      .setPanels({ui::ScaleToDpi(kStatePanelWidths[0], m_dpi),
                  ui::ScaleToDpi(kStatePanelWidths[1], m_dpi),
                  ui::ScaleToDpi(kStatePanelWidths[2], m_dpi)});
}

void TfrmKeyscour::CreateFonts(UINT dpi) {
  m_font = ui::CreateMessageFont(dpi);
  LOGFONTW title{};
  if (!m_font || !::GetObjectW(m_font.get(), sizeof title, &title)) {
    m_titleFont.reset();
    return;
  }
  title.lfHeight = -ui::ScaleToDpi(kTitleFontHeight, dpi);
  title.lfWeight = FW_BOLD;
  m_titleFont.reset(::CreateFontIndirectW(&title));
}

// Each control showing one of the old fonts gets its successor; the old
// fonts are deleted only after no control shows them.
void TfrmKeyscour::UseFontsFor(UINT dpi) {
  ui::UniqueHfont oldFont = std::move(m_font);
  ui::UniqueHfont oldTitle = std::move(m_titleFont);
  CreateFonts(dpi);
  if (!m_font) {
    m_font = std::move(oldFont);
    m_titleFont = std::move(oldTitle);
    return;
  }
  for (const ui::Component& component : components().all()) {
    if (!component.window || component.window == hwnd()) continue;
    const auto shown = reinterpret_cast<HFONT>(::SendMessageW(component.window, WM_GETFONT, 0, 0));
    HFONT next = nullptr;
    if (shown && shown == oldFont.get()) next = m_font.get();
    if (shown && shown == oldTitle.get()) next = m_titleFont.get();
    if (next) ::SendMessageW(component.window, WM_SETFONT, reinterpret_cast<WPARAM>(next), TRUE);
  }
}

// The program's own icon on the banner, at the size drawn for this DPI.
void TfrmKeyscour::UseBandIconFor(UINT dpi) {
  const int side = ui::ScaleToDpi(kBandIconSide, dpi);
  ui::UniqueHicon icon(static_cast<HICON>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, LR_DEFAULTCOLOR)));
  ::SendMessageW(
      m_image1, STM_SETICON,
      reinterpret_cast<WPARAM>(icon ? icon.get() : ::LoadIconW(nullptr, IDI_APPLICATION)), 0);
  // The control shows the new icon before the old one is destroyed.
  m_bandIcon = std::move(icon);
}

// Every control keeps its place and share of the window; the layout step
// then fits the ones that follow the window's size.
void TfrmKeyscour::RescaleControls(UINT fromDpi, UINT toDpi) {
  for (const ui::Component& component : components().all()) {
    if (!component.window || component.window == hwnd()) continue;
    const ui::ControlRect r =
        ui::RescaledForDpi(ui::RectInParent(component.window, hwnd()), static_cast<int>(fromDpi),
                           static_cast<int>(toDpi));
    ::MoveWindow(component.window, r.left, r.top, r.width, r.height, FALSE);
  }
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

}  // namespace hs::mainwindow

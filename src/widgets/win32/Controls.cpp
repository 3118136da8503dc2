#include "widgets/win32/Controls.h"

#include "widgets/win32/Dpi.h"

namespace hs::ui {

namespace {

// The given font, else the parent's (a dialog's template font), else the
// default GUI font: never the bold system font of a bare control.
HFONT FontFor(HWND parent, HFONT given) {
  if (given) return given;
  if (const auto inherited = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)))
    return inherited;
  return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int SystemDpi() {
  const WindowDc screen(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

HWND AddControl(HWND parent, ComponentRegistry& registry, const ControlLayout& design) {
  if (registry.find(design.name)) return nullptr;
  const HWND control = ::CreateWindowExW(
      design.exStyle, design.className, design.text.c_str(), WS_CHILD | WS_VISIBLE | design.style,
      ScaleToWindow(parent, design.left), ScaleToWindow(parent, design.top),
      ScaleToWindow(parent, design.width), ScaleToWindow(parent, design.height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(design.id)), ::GetModuleHandleW(nullptr),
      nullptr);
  if (!control) return nullptr;
  ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(parent, design.font)),
                 FALSE);
  registry.add(ControlComponent(design.name, design.kind, control, static_cast<UINT>(design.id)));
  return control;
}

ControlRect RectInParent(HWND control, HWND parent) {
  RECT r{};
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetWindowTextOf(HWND window, const std::wstring& text) {
  ::SetWindowTextW(window, text.c_str());
}

UniqueHfont CreateMessageFont(UINT dpi) {
  using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
  // Windows 10 1607 on; before it the system's font is scaled from the
  // system's DPI.
  static const auto forDpi = reinterpret_cast<ForDpiFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
    return UniqueHfont(::CreateFontIndirectW(&metrics.lfMessageFont));
  if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    return UniqueHfont();
  metrics.lfMessageFont.lfHeight =
      ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), SystemDpi());
  return UniqueHfont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

}  // namespace hs::ui

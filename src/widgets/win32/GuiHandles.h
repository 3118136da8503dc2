#pragma once
// Owners of the GUI's handles: icons, image lists, GDI objects, accelerator
// tables, windows and device contexts. Menus and fonts have their aliases in
// platform/win32/UniqueHandle.h beside the kernel handles; these sit beside
// them and use the same template.
#include <windows.h>
#include <commctrl.h>

#include "platform/win32/UniqueHandle.h"

namespace hs::ui {

namespace detail {
inline void DestroyIconHandle(HICON icon) {
  ::DestroyIcon(icon);
}
inline void DestroyImageList(HIMAGELIST list) {
  ::ImageList_Destroy(list);
}
inline void DestroyAccelerators(HACCEL table) {
  ::DestroyAcceleratorTable(table);
}
inline void DestroyWindowHandle(HWND window) {
  ::DestroyWindow(window);
}
inline void UnhookHook(HHOOK hook) {
  ::UnhookWindowsHookEx(hook);
}
template <typename T>
void DeleteGdiObject(T object) {
  ::DeleteObject(object);
}
}  // namespace detail

using win32::UniqueHfont;
using win32::UniqueHmenu;
using UniqueHicon = win32::UniqueAny<HICON, detail::DestroyIconHandle>;
using UniqueHimagelist = win32::UniqueAny<HIMAGELIST, detail::DestroyImageList>;
using UniqueHaccel = win32::UniqueAny<HACCEL, detail::DestroyAccelerators>;
using UniqueHhook = win32::UniqueAny<HHOOK, detail::UnhookHook>;
using UniqueHbitmap = win32::UniqueAny<HBITMAP, detail::DeleteGdiObject<HBITMAP>>;
using UniqueHbrush = win32::UniqueAny<HBRUSH, detail::DeleteGdiObject<HBRUSH>>;
using UniqueHpen = win32::UniqueAny<HPEN, detail::DeleteGdiObject<HPEN>>;
// A window this code created and destroys itself (not for windows that a
// window object owns: those end through their own class).
using UniqueHwnd = win32::UniqueAny<HWND, detail::DestroyWindowHandle>;

// The device context of a window's client area, released on scope exit.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (m_dc) ::ReleaseDC(m_window, m_dc);
  }
  HDC get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : m_window(window) { m_dc = ::BeginPaint(window, &m_paint); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { ::EndPaint(m_window, &m_paint); }
  HDC get() const { return m_dc; }
  const RECT& area() const { return m_paint.rcPaint; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
  HDC m_dc = nullptr;
};

// Selects a GDI object into a device context and puts the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (m_previous && m_previous != HGDI_ERROR) ::SelectObject(m_dc, m_previous);
  }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

}  // namespace hs::ui

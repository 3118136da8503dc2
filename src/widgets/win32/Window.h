#pragma once
// Base of the program's top-level windows. The object is reachable from its
// window from WM_NCCREATE on (stored in GWLP_USERDATA); every message goes to
// handleMessage, whose cases each call one named handler of the derived
// class. The object must outlive its window: the destructor destroys a window
// that is still alive.
#include <windows.h>

#include <string>

#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

struct WindowClassDesc {
  const wchar_t* className = nullptr;  // at most 63 characters
  UINT style = CS_HREDRAW | CS_VREDRAW;
  HICON icon = nullptr;
  HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
};

struct WindowLayout {
  std::string componentName{};  // the window's name in translation files
  std::wstring caption{};
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  int width = CW_USEDEFAULT;
  int height = CW_USEDEFAULT;
  HWND owner = nullptr;
  HMENU menu = nullptr;  // the menu bar; the window destroys it with itself
};

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return m_hwnd; }
  ComponentRegistry& components() { return m_components; }
  const ComponentRegistry& components() const { return m_components; }

 protected:
  // Registers the class (once per process and class name) and creates the
  // window, registered as the first component. False when either fails.
  bool create(const WindowClassDesc& windowClass, const WindowLayout& design);
  // Handles one message; the default passes it to DefWindowProc.
  virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(m_hwnd, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND m_hwnd = nullptr;
  ComponentRegistry m_components;
};

}  // namespace hs::ui

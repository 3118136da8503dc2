#include "widgets/win32/Window.h"

#include "platform/win32/WideText.h"

namespace hs::ui {

Window::~Window() {
  if (m_hwnd) {
    // The window outlived its object's owner: detach first so that the
    // messages of its destruction no longer reach a half-destroyed object.
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(m_hwnd);
  }
}

bool Window::create(const WindowClassDesc& windowClass, const WindowLayout& design) {
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW known{};
  known.cbSize = sizeof known;
  if (!::GetClassInfoExW(instance, windowClass.className, &known)) {
    WNDCLASSEXW registration{};
    registration.cbSize = sizeof registration;
    registration.style = windowClass.style;
    registration.lpfnWndProc = &Window::Procedure;
    registration.hInstance = instance;
    registration.hIcon = windowClass.icon;
    registration.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    registration.hbrBackground = windowClass.background;
    registration.lpszClassName = windowClass.className;
    // Another thread may register the class at the same moment.
    if (!::RegisterClassExW(&registration) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      return false;
  }
  // The window is its own first component, in place before WM_CREATE so
  // that the controls created there come after it.
  m_components.all().clear();
  m_components.add(ControlComponent(design.componentName, ComponentKind::Window, nullptr));
  const HWND window = ::CreateWindowExW(
      design.exStyle, windowClass.className, design.caption.c_str(), design.style, design.left,
      design.top, design.width, design.height, design.owner, design.menu, instance, this);
  if (!window) m_components.all().clear();
  return window != nullptr;
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return defaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hwnd = window;
    if (!self->m_components.all().empty()) self->m_components.all().front().window = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
  const LRESULT result = self->handleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
  }
  return result;
}

}  // namespace hs::ui

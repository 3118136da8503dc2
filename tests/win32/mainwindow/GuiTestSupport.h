#pragma once
// Driving the program's modal dialogs from a test: a thread timer fires
// inside the dialog's own message loop, finds the dialog among this thread's
// windows and acts on it through messages, as a user would.
#include <windows.h>

#include <functional>
#include <string>

#include "common/Text.h"

namespace hs::test {

inline std::string TempFolder(const char* name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  std::wstring wide(buffer);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())) + name;
}

inline std::string DialogItemText(HWND dialog, int id) {
  wchar_t text[512] = {};
  ::GetDlgItemTextW(dialog, id, text, 512);
  std::wstring wide(text);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

// While alive, calls `act` once with the first dialog of this thread that
// holds a control of id `markerId` (from inside its modal loop).
class DialogDriver {
 public:
  DialogDriver(int markerId, std::function<void(HWND)> act) {
    s_current = this;
    m_markerId = markerId;
    m_act = std::move(act);
    m_timer = ::SetTimer(nullptr, 0, 50, &DialogDriver::Tick);
  }
  ~DialogDriver() {
    ::KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Acted() const { return m_acted; }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* self = reinterpret_cast<DialogDriver*>(param);
    if (!::IsWindowVisible(window) || !::GetDlgItem(window, self->m_markerId)) return TRUE;
    self->m_acted = true;
    self->m_act(window);
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogDriver* self = s_current;
    if (!self || self->m_acted) return;
    ::EnumThreadWindows(::GetCurrentThreadId(), &DialogDriver::Visit,
                        reinterpret_cast<LPARAM>(self));
  }

  static inline DialogDriver* s_current = nullptr;
  int m_markerId = 0;
  std::function<void(HWND)> m_act;
  UINT_PTR m_timer = 0;
  bool m_acted = false;
};

// A click as the button would get it from the mouse.
inline void Click(HWND dialog, int id) {
  ::SendMessageW(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

}  // namespace hs::test

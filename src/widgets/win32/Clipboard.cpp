#include "widgets/win32/Clipboard.h"

#include <cstring>

namespace hs::ui {
namespace {

// Open for the life of the scope.
class OpenClipboardScope {
 public:
  explicit OpenClipboardScope(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  ~OpenClipboardScope() {
    if (m_open) ::CloseClipboard();
  }
  bool open() const { return m_open; }

 private:
  bool m_open;
};

}  // namespace

bool CopyTextToClipboard(HWND owner, const std::wstring& text) {
  const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  if (void* target = ::GlobalLock(memory)) {
    std::memcpy(target, text.c_str(), bytes);
    ::GlobalUnlock(memory);
  }
  const OpenClipboardScope clipboard(owner);
  // Once set, the memory belongs to the clipboard; until then, to us.
  if (!clipboard.open() || !::EmptyClipboard() ||
      ::SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
    ::GlobalFree(memory);
    return false;
  }
  return true;
}

std::wstring ClipboardText(HWND owner) {
  const OpenClipboardScope clipboard(owner);
  if (!clipboard.open()) return {};
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (data == nullptr) return {};
  const auto* text = static_cast<const wchar_t*>(::GlobalLock(data));
  std::wstring copy = text ? text : L"";
  ::GlobalUnlock(data);
  return copy;
}

}  // namespace hs::ui

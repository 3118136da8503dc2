#include "platform/win32/BrowseForFolder.h"

#include <shlobj.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::win32 {

namespace {

// Disables this thread's enabled top-level windows for the life of the scope,
// so that nothing of the program can be used behind the picker.
class ThreadWindowsDisabled {
 public:
  ThreadWindowsDisabled() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &ThreadWindowsDisabled::Disable,
                        reinterpret_cast<LPARAM>(this));
  }
  ThreadWindowsDisabled(const ThreadWindowsDisabled&) = delete;
  ThreadWindowsDisabled& operator=(const ThreadWindowsDisabled&) = delete;
  ~ThreadWindowsDisabled() {
    for (const HWND window : m_disabled) ::EnableWindow(window, TRUE);
  }

 private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
      ::EnableWindow(window, FALSE);
      reinterpret_cast<ThreadWindowsDisabled*>(self)->m_disabled.push_back(window);
    }
    return TRUE;
  }
  std::vector<HWND> m_disabled;
};

// Moves the picker, once it is ready, so that its client area is centred on
// the screen; no resizing, no activation.
int CALLBACK CentrePicker(HWND picker, UINT message, LPARAM, LPARAM) {
  if (message != BFFM_INITIALIZED) return 0;
  RECT client{};
  int left = 0;
  int top = 0;
  if (::GetClientRect(picker, &client)) {
    left = (::GetSystemMetrics(SM_CXSCREEN) - client.right) / 2;
    top = (::GetSystemMetrics(SM_CYSCREEN) - client.bottom) / 2;
  }
  ::SetWindowPos(picker, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return 0;
}

bool IsExistingFolder(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = ::GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The item list of `root`, or an empty holder for the whole namespace.
UniqueCoTaskMem RootItem(const std::string& root) {
  UniqueCoTaskMem item;
  if (root.empty()) return item;
  PIDLIST_ABSOLUTE parsed = nullptr;
  const HRESULT status = ::SHParseDisplayName(Widen(root).c_str(), nullptr, &parsed, 0, nullptr);
  if (SUCCEEDED(status)) item.reset(parsed);
  return item;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& title, const std::string& root,
                     std::string& folder) {
  if (!IsExistingFolder(folder)) folder.clear();
  const ComScope com;
  if (!com.ok()) return false;
  const UniqueCoTaskMem rootItem = RootItem(root);
  const std::wstring wideTitle = Widen(title);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = static_cast<PCIDLIST_ABSOLUTE>(rootItem.get());
  info.pszDisplayName = displayName;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = &CentrePicker;

  UniqueCoTaskMem chosen;
  {
    const ThreadWindowsDisabled disabled;
    const ErrorModeScope noDiskPrompts(SEM_FAILCRITICALERRORS);
    chosen.reset(::SHBrowseForFolderW(&info));
  }
  if (!chosen) return false;
  wchar_t path[MAX_PATH] = {};
  if (!::SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path)) return false;
  folder = Narrow(path);
  return true;
}

}  // namespace hs::win32

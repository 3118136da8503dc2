#include "platform/win32/RecycleBin.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "common/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::win32 {
namespace {

constexpr UINT kNameColumn = 0;
constexpr UINT kFromColumn = 1;

ComPtr<IShellFolder2> OpenBin() {
  ComPtr<IShellFolder2> bin;
  ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.put()))) return bin;
  PIDLIST_ABSOLUTE binPidl = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &binPidl))) return bin;
  const UniqueCoTaskMem binMemory(binPidl);
  desktop->BindToObject(binPidl, nullptr, IID_IShellFolder2, bin.putVoid());
  return bin;
}

std::string Column(IShellFolder2& bin, PCUITEMID_CHILD child, UINT column) {
  SHELLDETAILS details{};
  if (FAILED(bin.GetDetailsOf(child, column, &details))) return {};
  wchar_t text[MAX_PATH * 2] = {};
  if (FAILED(::StrRetToBufW(&details.str, child, text, ARRAYSIZE(text)))) return {};
  return Narrow(text);
}

// Calls visit(child, item) for each item of the bin until it returns true.
template <typename Visit>
void ForEachRecycled(IShellFolder2& bin, Visit visit) {
  ComPtr<IEnumIDList> items;
  if (bin.EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN,
                      items.put()) != S_OK)
    return;
  PITEMID_CHILD child = nullptr;
  while (items->Next(1, &child, nullptr) == S_OK) {
    const UniqueCoTaskMem childMemory(child);
    const RecycledItem item{Column(bin, child, kNameColumn), Column(bin, child, kFromColumn)};
    if (visit(child, item)) return;
  }
}

bool InvokeVerb(IContextMenu& menu, const char* verb) {
  CMINVOKECOMMANDINFO command{};
  command.cbSize = sizeof command;
  command.fMask = CMIC_MASK_FLAG_NO_UI;
  command.lpVerb = verb;
  command.nShow = SW_HIDE;
  return SUCCEEDED(menu.InvokeCommand(&command));
}

// Whether the bin's menu item `id` (at `offset`) is its "Restore" command: by
// its verb where the shell names verbs, else (a shell that names none) by its
// English caption. Any other item, "Delete" above all, is never invoked.
bool IsRestoreItem(IContextMenu& menu, HMENU popup, UINT id, UINT offset) {
  wchar_t verb[64] = {};
  if (SUCCEEDED(menu.GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<char*>(verb),
                                      ARRAYSIZE(verb))))
    return ::lstrcmpiW(verb, L"undelete") == 0;
  wchar_t caption[64] = {};
  ::GetMenuStringW(popup, id, caption, ARRAYSIZE(caption), MF_BYCOMMAND);
  std::wstring plain;
  for (const wchar_t* c = caption; *c; ++c)
    if (*c != L'&') plain += *c;
  return ::lstrcmpiW(plain.c_str(), L"Restore") == 0;
}

bool InvokeRestoreMenuItem(IContextMenu& menu) {
  const UniqueHmenu popup(::CreatePopupMenu());
  constexpr UINT kFirst = 1;
  if (FAILED(menu.QueryContextMenu(popup.get(), 0, kFirst, 0x7FFF, CMF_NORMAL))) return false;
  const int count = ::GetMenuItemCount(popup.get());
  for (int index = 0; index < count; ++index) {
    const UINT id = ::GetMenuItemID(popup.get(), index);
    if (id == static_cast<UINT>(-1) || id < kFirst) continue;
    if (IsRestoreItem(menu, popup.get(), id, id - kFirst))
      return InvokeVerb(menu, MAKEINTRESOURCEA(id - kFirst));
  }
  return false;
}

bool Exists(const std::string& path) {
  return ::GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::vector<RecycledItem> ListRecycleBin() {
  ComScope com;
  std::vector<RecycledItem> items;
  ComPtr<IShellFolder2> bin = OpenBin();
  if (!bin) return items;
  ForEachRecycled(*bin.get(), [&](PCUITEMID_CHILD, const RecycledItem& item) {
    items.push_back(item);
    return false;
  });
  return items;
}

bool IsRecycledFrom(const RecycledItem& item, const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  if (slash == std::string::npos) return false;
  std::string folder = path.substr(0, slash);
  std::string from = item.fromFolder;
  while (!from.empty() && from.back() == '\\') from.pop_back();
  if (!EqualsNoCase(from, folder)) return false;
  const std::string name = path.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  return EqualsNoCase(item.name, name) ||
         (dot != std::string::npos && EqualsNoCase(item.name, name.substr(0, dot)));
}

bool PutBackFromRecycleBin(const std::string& path) {
  ComScope com;
  ComPtr<IShellFolder2> bin = OpenBin();
  if (!bin) return false;
  bool restored = false;
  ForEachRecycled(*bin.get(), [&](PCUITEMID_CHILD child, const RecycledItem& item) {
    if (!IsRecycledFrom(item, path)) return false;
    ComPtr<IContextMenu> menu;
    PCUITEMID_CHILD children[] = {child};
    if (FAILED(bin->GetUIObjectOf(nullptr, 1, children, IID_IContextMenu, nullptr, menu.putVoid())))
      return true;
    // Some shells accept any verb text and do nothing: the file tells.
    restored = (InvokeVerb(*menu.get(), "undelete") && Exists(path)) ||
               (InvokeRestoreMenuItem(*menu.get()) && Exists(path));
    return true;
  });
  return restored;
}

}  // namespace hs::win32

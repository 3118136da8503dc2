#include "win32/RegistryLinkMaker.h"

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::test {
namespace {

std::string CurrentUserSid() {
  win32::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return "";
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<std::uint8_t> buffer(size);
  if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size))
    return "";
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text))
    return "";
  const win32::UniqueHlocal owned(text);
  return win32::Narrow(text);
}

std::string KernelRoot(RootKey root) {
  switch (root) {
    case RootKey::LocalMachine:
      return "\\REGISTRY\\MACHINE";
    case RootKey::ClassesRoot:
      return "\\REGISTRY\\MACHINE\\SOFTWARE\\Classes";
    case RootKey::Users:
      return "\\REGISTRY\\USER";
    case RootKey::CurrentUser: {
      const std::string sid = CurrentUserSid();
      return sid.empty() ? "" : "\\REGISTRY\\USER\\" + sid;
    }
    default:
      return "";
  }
}

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser:
      return HKEY_CURRENT_USER;
    case RootKey::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RootKey::Users:
      return HKEY_USERS;
    default:
      return nullptr;
  }
}

}  // namespace

std::string KernelKeyPath(RootKey root, const std::string& path) {
  const std::string prefix = KernelRoot(root);
  return prefix.empty() ? "" : prefix + "\\" + path;
}

bool MakeRegistryLink(RootKey root, const std::string& linkPath, const std::string& kernelTarget) {
  const HKEY rootHandle = RootHandle(root);
  if (!rootHandle || kernelTarget.empty()) return false;
  win32::UniqueHkey link;
  DWORD disposition = 0;
  const LSTATUS created =
      ::RegCreateKeyExW(rootHandle, win32::Widen(linkPath).c_str(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE | REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, link.put(), &disposition);
  if (created != ERROR_SUCCESS || disposition != REG_CREATED_NEW_KEY) return false;
  // The target is stored without a final NUL.
  const std::wstring target = win32::Widen(kernelTarget);
  const LSTATUS set = ::RegSetValueExW(link.get(), L"SymbolicLinkValue", 0, REG_LINK,
                                       reinterpret_cast<const BYTE*>(target.data()),
                                       static_cast<DWORD>(target.size() * sizeof(wchar_t)));
  return set == ERROR_SUCCESS;
}

}  // namespace hs::test

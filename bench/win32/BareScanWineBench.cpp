// hivesweep-bare-scan-bench [TREE...]: the least any program must do to judge
// the file references in the registry trees named (HKCU\path, HKLM\path or
// HKU\path; default: all of HKEY_CURRENT_USER; HKEY_USERS without the
// current user's own keys, which HKCU reaches):
// every key opened, every value read with its data, every subkey listed, and
// one GetFileAttributesW per distinct folder the string values name and per
// distinct file in a folder that exists. It uses
// fixed buffers, no text conversion and no engine code: the yardstick the
// scan is measured against by scripts/bench-wine-scan.sh. Prints
// "name value" lines: what it read, and each Win32 call it made, counted.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cwctype>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace {

struct BareCounts {
  unsigned long long keys = 0, values = 0, stringValues = 0, paths = 0, pathsFound = 0;
  unsigned long long openKey = 0, enumValue = 0, enumKey = 0, fileAttributes = 0;
};

struct BareWalk {
  BareCounts counts;
  std::unordered_map<std::wstring, bool> answers;  // by upper-cased path
  std::vector<BYTE> data = std::vector<BYTE>(64 * 1024);
  wchar_t valueName[16384] = {};
};

// The program or file a command line names: the quoted part, or the text
// before its first switch (" /x", " -x").
std::wstring NamedPath(const wchar_t* text, std::size_t chars) {
  std::wstring path(text, chars);
  if (!path.empty() && path.front() == L'"') {
    const std::size_t close = path.find(L'"', 1);
    return path.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
  }
  for (std::size_t i = 0; i + 1 < path.size(); ++i)
    if (path[i] == L' ' && (path[i + 1] == L'/' || path[i + 1] == L'-')) return path.substr(0, i);
  return path;
}

// One GetFileAttributesW per distinct path; true when it exists.
bool Exists(BareWalk& walk, std::wstring path) {
  std::wstring key = path;
  for (wchar_t& c : key) c = static_cast<wchar_t>(std::towupper(c));
  if (const auto known = walk.answers.find(key); known != walk.answers.end()) return known->second;
  ++walk.counts.fileAttributes;
  const bool exists = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  walk.answers.emplace(std::move(key), exists);
  return exists;
}

// A missing folder answers for every file in it; a file is asked about only
// in a folder that exists.
void Judge(BareWalk& walk, const wchar_t* text, std::size_t chars) {
  const std::wstring path = NamedPath(text, chars);
  if (path.size() < 3 || path[1] != L':' || path[2] != L'\\') return;
  ++walk.counts.paths;
  const std::size_t slash = path.rfind(L'\\');
  if (slash > 2 && !Exists(walk, path.substr(0, slash))) return;
  if (slash + 1 < path.size() && Exists(walk, path)) ++walk.counts.pathsFound;
}

void ReadValues(BareWalk& walk, HKEY key) {
  for (DWORD index = 0;; ++index) {
    DWORD nameChars = 16384, type = 0, bytes = static_cast<DWORD>(walk.data.size());
    ++walk.counts.enumValue;
    const LSTATUS status = ::RegEnumValueW(key, index, walk.valueName, &nameChars, nullptr, &type,
                                           walk.data.data(), &bytes);
    if (status == ERROR_MORE_DATA) {
      walk.data.resize(walk.data.size() * 2);
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) return;
    ++walk.counts.values;
    if (type != REG_SZ && type != REG_EXPAND_SZ) continue;
    ++walk.counts.stringValues;
    std::size_t chars = bytes / sizeof(wchar_t);
    const auto* text = reinterpret_cast<const wchar_t*>(walk.data.data());
    while (chars > 0 && text[chars - 1] == L'\0') --chars;
    Judge(walk, text, chars);
  }
}

// `skipped`: names of direct subkeys left out, upper-cased.
void WalkKey(BareWalk& walk, HKEY parent, const wchar_t* name,
             const std::vector<std::wstring>& skipped = {}) {
  hs::win32::UniqueHkey key;
  ++walk.counts.openKey;
  if (::RegOpenKeyExW(parent, name, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
  ++walk.counts.keys;
  ReadValues(walk, key.get());
  wchar_t subkey[256];
  for (DWORD index = 0;; ++index) {
    DWORD chars = 256;
    ++walk.counts.enumKey;
    if (::RegEnumKeyExW(key.get(), index, subkey, &chars, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      return;
    std::wstring upper(subkey, chars);
    for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(c));
    bool skip = false;
    for (const std::wstring& name : skipped) skip = skip || name == upper;
    if (!skip) WalkKey(walk, key.get(), subkey);
  }
}

// The current user's SID and its "_Classes" key, as HKEY_USERS names them.
std::vector<std::wstring> OwnUserKeys() {
  hs::win32::UniqueHandle token;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) return {};
  alignas(TOKEN_USER) BYTE buffer[256];
  DWORD size = 0;
  if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size)) return {};
  LPWSTR text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) return {};
  const hs::win32::UniqueHlocal owned(text);
  std::wstring sid(text);
  for (wchar_t& c : sid) c = static_cast<wchar_t>(std::towupper(c));
  return {sid, sid + L"_CLASSES"};
}

void WalkTree(BareWalk& walk, const std::wstring& tree) {
  const std::size_t slash = tree.find(L'\\');
  const std::wstring root = tree.substr(0, slash);
  const std::wstring path = slash == std::wstring::npos ? L"" : tree.substr(slash + 1);
  if (root == L"HKCU") WalkKey(walk, HKEY_CURRENT_USER, path.c_str());
  if (root == L"HKLM") WalkKey(walk, HKEY_LOCAL_MACHINE, path.c_str());
  if (root == L"HKU") WalkKey(walk, HKEY_USERS, path.c_str(), OwnUserKeys());
}

void Print(const char* name, unsigned long long value) {
  std::printf("%s %llu\n", name, value);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  BareWalk walk;
  if (argc < 2) WalkTree(walk, L"HKCU");
  for (int i = 1; i < argc; ++i) WalkTree(walk, argv[i]);
  const BareCounts& c = walk.counts;
  Print("keys", c.keys);
  Print("values", c.values);
  Print("string-values", c.stringValues);
  Print("path-values", c.paths);
  Print("paths-found", c.pathsFound);
  Print("call RegOpenKeyExW", c.openKey);
  Print("call RegEnumValueW", c.enumValue);
  Print("call RegEnumKeyExW", c.enumKey);
  Print("call RegCloseKey", c.keys);
  Print("call GetFileAttributesW", c.fileAttributes);
  return 0;
}

// hivesweep-bare-scan-bench [KEY]: the least any program must do to judge
// the file references under HKEY_CURRENT_USER\KEY (default: all of it):
// every key opened, every value read with its data, every subkey listed, and
// one GetFileAttributesW per distinct folder the string values name and per
// distinct file in a folder that exists. It uses
// fixed buffers, no text conversion and no engine code: the yardstick the
// scan is measured against by scripts/bench-wine-scan.sh. Prints
// "name value" lines: what it read, and each Win32 call it made, counted.
#include <windows.h>

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

void WalkKey(BareWalk& walk, HKEY parent, const wchar_t* name) {
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
    WalkKey(walk, key.get(), subkey);
  }
}

void Print(const char* name, unsigned long long value) {
  std::printf("%s %llu\n", name, value);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  BareWalk walk;
  WalkKey(walk, HKEY_CURRENT_USER, argc > 1 ? argv[1] : L"");
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

#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <limits>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::win32 {
namespace {

struct Win32KeyHandle : RegKeyHandle {
  UniqueHkey key;
};

HKEY RawKey(const RegKeyHandle& key) {
  return static_cast<const Win32KeyHandle&>(key).key.get();
}

RegStatus ToStatus(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS:
      return RegStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_KEY_DELETED:
      return RegStatus::NotFound;
    case ERROR_ACCESS_DENIED:
      return RegStatus::AccessDenied;
    default:
      return RegStatus::Failed;
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
    case RootKey::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case RootKey::PerformanceData:
      return HKEY_PERFORMANCE_DATA;
    case RootKey::DynData:
      return HKEY_DYN_DATA;
  }
  return nullptr;
}

// "a\\b\" -> "a\b": the same tolerance the in-memory registry shows.
std::wstring NormalizedPath(const std::string& path) {
  std::string joined;
  for (const std::string& part : Split(path, '\\')) {
    if (part.empty()) continue;
    if (!joined.empty()) joined += '\\';
    joined += part;
  }
  return Widen(joined);
}

// Longest names and data of a key, in characters and bytes.
struct KeyLimits {
  DWORD subkeyCount = 0, valueCount = 0;
  DWORD maxSubkeyChars = 0, maxValueNameChars = 0, maxDataBytes = 0;
  FILETIME lastWriteTime{};
};

LSTATUS QueryLimits(HKEY key, KeyLimits& out) {
  return ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &out.subkeyCount, &out.maxSubkeyChars,
                            nullptr, &out.valueCount, &out.maxValueNameChars, &out.maxDataBytes,
                            nullptr, &out.lastWriteTime);
}

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

DWORD Grown(DWORD size) {
  return size < 1024 ? 1024 : size * 2;
}

// Starting sizes of the listing buffers. A key name holds at most 255
// characters; longer value names and data grow the buffers on demand. Sizing
// them by RegQueryInfoKeyW instead would cost a round trip to the registry
// per listing, a fifth of all the calls of a walk.
constexpr std::size_t kKeyNameChars = 256;
constexpr std::size_t kValueNameChars = 256;
constexpr std::size_t kValueDataBytes = 1024;

// A value that keeps growing faster than it can be read is given up on.
constexpr int kMaxReadAttempts = 16;

// One value by index: name and, when wanted, type and data. The buffers grow
// while the key reports more data than they hold (values may change between
// the size query and the read).
LSTATUS EnumValueAt(HKEY key, DWORD index, std::wstring& nameBuffer,
                    std::vector<std::uint8_t>* data, DWORD& type, DWORD& nameChars,
                    DWORD& dataBytes) {
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    nameChars = static_cast<DWORD>(nameBuffer.size());
    dataBytes = data ? static_cast<DWORD>(data->size()) : 0;
    const LSTATUS status = ::RegEnumValueW(key, index, nameBuffer.data(), &nameChars, nullptr,
                                           &type, data && !data->empty() ? data->data() : nullptr,
                                           data ? &dataBytes : nullptr);
    if (status != ERROR_MORE_DATA) return status;
    // Which buffer was short is not reported: grow both, the name up to the
    // registry's limit of 16383 characters plus terminator.
    if (nameBuffer.size() < 16384) nameBuffer.resize(16384);
    if (data)
      data->resize(std::max<std::size_t>(Grown(static_cast<DWORD>(data->size())), dataBytes));
  }
  return ERROR_MORE_DATA;
}

using NtDeleteKeyFn = LONG(WINAPI*)(HANDLE);

NtDeleteKeyFn FindNtDeleteKey() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const FARPROC proc = ntdll ? ::GetProcAddress(ntdll, "NtDeleteKey") : nullptr;
  // Through a plain function pointer: FARPROC's own type does not match.
  return proc ? reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void (*)()>(proc)) : nullptr;
}

RegStatus DeleteOpenKey(HKEY key) {
  static const NtDeleteKeyFn ntDeleteKey = FindNtDeleteKey();
  if (!ntDeleteKey) return RegStatus::Failed;
  const auto status = static_cast<unsigned long>(ntDeleteKey(key));
  switch (status) {
    case 0x00000000UL:
      return RegStatus::Ok;
    case 0xC000017CUL:
      return RegStatus::NotFound;  // STATUS_KEY_DELETED
    case 0xC0000022UL:             // STATUS_ACCESS_DENIED
    case 0xC0000121UL:
      return RegStatus::AccessDenied;  // STATUS_CANNOT_DELETE: has subkeys
    default:
      return RegStatus::Failed;
  }
}

}  // namespace

RegStatus Win32Registry::openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                                 RegAccess access, bool create, RegKeyPtr& out, LastLink last,
                                 RegView view) {
  out.reset();
  const HKEY base = parent ? RawKey(*parent) : RootHandle(root);
  if (!base) return RegStatus::Failed;
  const std::wstring subPath = NormalizedPath(path);
  // KEY_WOW64_64KEY changes nothing for a 64-bit process; 32-bit Windows ignores it.
  const REGSAM sam = (access == RegAccess::Read ? KEY_READ : KEY_ALL_ACCESS) |
                     (view == RegView::SixtyFourBit ? KEY_WOW64_64KEY : 0);
  // The system applies REG_OPTION_OPEN_LINK to the last component only.
  const DWORD linkOption = last == LastLink::OpenLink ? REG_OPTION_OPEN_LINK : 0;
  auto handle = std::make_unique<Win32KeyHandle>();
  LSTATUS status;
  if (create && !subPath.empty()) {
    status =
        ::RegCreateKeyExW(base, subPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE | linkOption,
                          sam, nullptr, handle->key.put(), nullptr);
  } else {
    // An empty path opens a new handle to `base` itself.
    status = ::RegOpenKeyExW(base, subPath.c_str(), linkOption, sam, handle->key.put());
  }
  if (status != ERROR_SUCCESS) return ToStatus(status);
  out = std::move(handle);
  return RegStatus::Ok;
}

RegStatus Win32Registry::subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) {
  out.clear();
  const HKEY raw = RawKey(key);
  std::wstring buffer(kKeyNameChars, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD chars = static_cast<DWORD>(buffer.size());
    const LSTATUS status =
        ::RegEnumKeyExW(raw, index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return RegStatus::Ok;
    if (status == ERROR_MORE_DATA) {                        // a longer subkey appeared meanwhile
      if (buffer.size() > 16384) return RegStatus::Failed;  // beyond any valid name
      buffer.resize(Grown(static_cast<DWORD>(buffer.size())));
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) return ToStatus(status);
    out.push_back(Narrow(std::wstring_view(buffer.data(), chars)));
  }
}

RegStatus Win32Registry::values(const RegKeyHandle& key, std::vector<RegValue>& out) {
  return valuesUpTo(key, std::numeric_limits<std::size_t>::max(), out);
}

RegStatus Win32Registry::valuesUpTo(const RegKeyHandle& key, std::size_t limit,
                                    std::vector<RegValue>& out) {
  const HKEY raw = RawKey(key);
  std::wstring name(kValueNameChars, L'\0');
  std::vector<std::uint8_t> data(kValueDataBytes);
  // The entries `out` holds already are filled again, so that a caller that
  // lists key after key into one vector reuses their buffers.
  std::size_t count = 0;
  for (DWORD index = 0;; ++index, ++count) {
    if (count == limit) {
      out.resize(count);
      return RegStatus::Ok;
    }
    DWORD type = 0, nameChars = 0, dataBytes = 0;
    const LSTATUS status = EnumValueAt(raw, index, name, &data, type, nameChars, dataBytes);
    if (status != ERROR_SUCCESS) {
      out.resize(count);
      return status == ERROR_NO_MORE_ITEMS ? RegStatus::Ok : ToStatus(status);
    }
    if (count == out.size()) out.emplace_back();
    RegValue& value = out[count];
    value.name = Narrow(std::wstring_view(name.data(), nameChars));
    value.type = type;
    value.data.assign(data.begin(), data.begin() + dataBytes);
  }
}

RegStatus Win32Registry::valueNames(const RegKeyHandle& key, std::vector<std::string>& out) {
  out.clear();
  const HKEY raw = RawKey(key);
  std::wstring name(kValueNameChars, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD type = 0, nameChars = 0, dataBytes = 0;
    const LSTATUS status = EnumValueAt(raw, index, name, nullptr, type, nameChars, dataBytes);
    if (status == ERROR_NO_MORE_ITEMS) return RegStatus::Ok;
    if (status != ERROR_SUCCESS) return ToStatus(status);
    out.push_back(Narrow(std::wstring_view(name.data(), nameChars)));
  }
}

RegStatus Win32Registry::queryValue(const RegKeyHandle& key, const std::string& name,
                                    RegValue& out) {
  const HKEY raw = RawKey(key);
  const std::wstring wideName = Widen(name);
  // Read at once into a buffer that holds most values: asking the size
  // first would cost a second round trip per value.
  std::vector<std::uint8_t> data(kValueDataBytes);
  LSTATUS status = ERROR_MORE_DATA;
  for (int attempt = 0; attempt < kMaxReadAttempts && status == ERROR_MORE_DATA; ++attempt) {
    DWORD type = 0;
    DWORD got = static_cast<DWORD>(data.size());
    status = ::RegQueryValueExW(raw, wideName.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_SUCCESS) {
      data.resize(got);
      out.name = name;
      out.type = type;
      out.data = std::move(data);
      return RegStatus::Ok;
    }
    // Sized by the answer; grown anyway when the value grew in between.
    if (status == ERROR_MORE_DATA)
      data.resize(std::max<std::size_t>(got, Grown(static_cast<DWORD>(data.size()))));
  }
  return ToStatus(status);
}

RegStatus Win32Registry::keyInfo(const RegKeyHandle& key, RegKeyInfo& out) {
  KeyLimits limits;
  if (const LSTATUS status = QueryLimits(RawKey(key), limits); status != ERROR_SUCCESS)
    return ToStatus(status);
  out.subkeyCount = limits.subkeyCount;
  out.valueCount = limits.valueCount;
  out.lastWriteTime = Ticks(limits.lastWriteTime);
  return RegStatus::Ok;
}

std::uint64_t Win32Registry::writeClock() {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  return Ticks(now);
}

RegStatus Win32Registry::setValue(const RegKeyHandle& key, const RegValue& value) {
  if (value.data.size() > std::numeric_limits<DWORD>::max() - 4) return RegStatus::Failed;
  // RegSetValueExW looks one character past string data and, when that is a
  // NUL the caller "forgot", stores it too. Framing the bytes with non-zero
  // guards keeps the stored data exactly what was given.
  std::vector<std::uint8_t> framed(value.data.size() + 4, 0xFF);
  std::copy(value.data.begin(), value.data.end(), framed.begin() + 2);
  const std::wstring name = Widen(value.name);
  const LSTATUS status = ::RegSetValueExW(RawKey(key), name.c_str(), 0, value.type,
                                          framed.data() + 2, static_cast<DWORD>(value.data.size()));
  return ToStatus(status);
}

RegStatus Win32Registry::deleteValue(const RegKeyHandle& key, const std::string& name) {
  const std::wstring wideName = Widen(name);
  return ToStatus(::RegDeleteValueW(RawKey(key), wideName.c_str()));
}

RegStatus Win32Registry::deleteLeafKey(const RegKeyHandle& parent, const std::string& name) {
  // An empty name would delete `parent` itself, and a path would reach below
  // the direct subkeys: neither names a direct subkey.
  const std::wstring leaf = Widen(name);
  if (leaf.empty() || leaf.find(L'\\') != std::wstring::npos) return RegStatus::NotFound;
  // RegDeleteKeyW opens the subkey following a link and would delete the
  // link's target. Opened with REG_OPTION_OPEN_LINK, the handle is the named
  // key itself, whatever it is, and the kernel call deletes exactly that key.
  UniqueHkey key;
  const LSTATUS opened =
      ::RegOpenKeyExW(RawKey(parent), leaf.c_str(), REG_OPTION_OPEN_LINK, DELETE, key.put());
  if (opened != ERROR_SUCCESS) return ToStatus(opened);
  return DeleteOpenKey(key.get());
}

RegStatus Win32Registry::deleteOpenKey(const RegKeyHandle& key) {
  return DeleteOpenKey(RawKey(key));
}

}  // namespace hs::win32

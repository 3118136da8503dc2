#include "platform/TRegistry.h"

#include "common/Text.h"
#include "platform/RegistryLinks.h"

namespace hs {

std::uint32_t DwordOfValue(const RegValue& value) {
  if (value.type != kRegDword || value.data.size() < 4)
    throw RegistryError("Invalid data type for '" + value.name + "'");
  return static_cast<std::uint32_t>(value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                    (static_cast<std::uint32_t>(value.data[3]) << 24));
}

std::string RegDataToText(const std::vector<std::uint8_t>& data) {
  // Most registry text is ASCII: taken byte by byte, it needs no UTF-16 copy.
  std::string ascii;
  ascii.reserve(data.size() / 2);
  std::size_t i = 0;
  for (; i + 1 < data.size() && data[i + 1] == 0 && data[i] < 0x80; i += 2) {
    if (data[i] == 0) return ascii;
    ascii += static_cast<char>(data[i]);
  }
  if (i + 1 >= data.size()) return ascii;
  // The rest from the first other character on; no surrogate pairs with an
  // ASCII character, so the two parts convert apart.
  std::u16string text;
  text.reserve((data.size() - i) / 2);
  for (; i + 1 < data.size(); i += 2) {
    const auto c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    text += c;
  }
  return ascii + Utf16ToUtf8(text);
}

TRegistry::TRegistry(RegistryBackend& backend, RootKey root, RegAccess access)
    : m_backend(backend), m_root(root), m_access(access) {}

const RegKeyHandle* TRegistry::baseFor(const std::string& path, std::string& subPath) const {
  const bool absolute = !path.empty() && path[0] == '\\';
  subPath = absolute ? path.substr(1) : path;
  return (m_current && !absolute) ? m_current.get() : nullptr;
}

std::string TRegistry::joinedPath(const std::string& path) const {
  const bool absolute = !path.empty() && path[0] == '\\';
  if (absolute || !m_current) return absolute ? path.substr(1) : path;
  if (m_currentPath.empty()) return path;
  return path.empty() ? m_currentPath : m_currentPath + "\\" + path;
}

bool TRegistry::OpenPath(const std::string& path, bool create, LastLink last) {
  std::string subPath;
  const RegKeyHandle* base = baseFor(path, subPath);
  RegKeyPtr key;
  if (m_backend.openKey(m_root, base, subPath, m_access, create, key, last) != RegStatus::Ok)
    return false;
  m_currentPath = joinedPath(path);
  while (!m_currentPath.empty() && m_currentPath.back() == '\\') m_currentPath.pop_back();
  m_current = std::move(key);
  return true;
}

void TRegistry::ClosePath() {
  m_current.reset();
  m_currentPath.clear();
}

std::vector<std::string> TRegistry::SubkeyNameList() {
  std::vector<std::string> names;
  if (m_current) m_backend.subkeyNames(*m_current, names);
  return names;
}

std::vector<std::string> TRegistry::ValueNameList() {
  std::vector<std::string> names;
  if (m_current) m_backend.valueNames(*m_current, names);
  return names;
}

std::vector<RegValue> TRegistry::ValueList() {
  std::vector<RegValue> values;
  if (m_current) m_backend.values(*m_current, values);
  return values;
}

bool TRegistry::RawValue(const std::string& name, RegValue& out) {
  return m_current && m_backend.queryValue(*m_current, name, out) == RegStatus::Ok;
}

TValueType TRegistry::ValueType(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value)) return TValueType::None;
  switch (value.type) {
    case kRegSz:
      return TValueType::String;
    case kRegExpandSz:
      return TValueType::ExpandString;
    case kRegDword:
      return TValueType::Dword;
    case kRegBinary:
      return TValueType::Binary;
    default:
      return TValueType::None;
  }
}

std::string TRegistry::ReadValueText(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value) || value.data.empty()) return {};
  if (value.type != kRegSz && value.type != kRegExpandSz)
    throw RegistryError("Invalid data type for '" + name + "'");
  return RegDataToText(value.data);
}

std::optional<std::string> TRegistry::TextValue(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value) || (value.type != kRegSz && value.type != kRegExpandSz))
    return std::nullopt;
  return RegDataToText(value.data);
}

std::uint32_t TRegistry::ReadDword(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value)) throw RegistryError("Invalid data type for '" + name + "'");
  return DwordOfValue(value);
}

std::vector<std::uint8_t> TRegistry::ReadBytes(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value)) throw RegistryError("Value '" + name + "' does not exist");
  return value.data;
}

std::int64_t TRegistry::ValueSize(const std::string& name) {
  RegValue value;
  if (!RawValue(name, value)) return -1;
  return static_cast<std::int64_t>(value.data.size());
}

bool TRegistry::HasValue(const std::string& name) {
  RegValue value;
  return RawValue(name, value);
}

bool TRegistry::PathExists(const std::string& path) {
  std::string subPath;
  const RegKeyHandle* base = baseFor(path, subPath);
  RegKeyPtr key;
  const RegStatus status = m_backend.openKey(m_root, base, subPath, RegAccess::Read, false, key);
  // A key we may not open still exists.
  return status == RegStatus::Ok || status == RegStatus::AccessDenied;
}

RegKeyInfo TRegistry::KeyCounts() {
  RegKeyInfo info;
  if (m_current) m_backend.keyInfo(*m_current, info);
  return info;
}

bool TRegistry::removeTree(const RegKeyHandle& parent, const std::string& name, int depth) {
  RegKeyPtr key;
  if (depth > kMaxKeyDepth || m_backend.openKey(m_root, &parent, name, RegAccess::All, false, key,
                                                LastLink::OpenLink) != RegStatus::Ok)
    return false;
  std::vector<std::string> children;
  m_backend.subkeyNames(*key, children);
  bool ok = true;
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    ok = removeTree(*key, *it, depth + 1) && ok;
  key.reset();
  return m_backend.deleteLeafKey(parent, name) == RegStatus::Ok && ok;
}

bool TRegistry::RemovePath(const std::string& path) {
  std::string subPath;
  const RegKeyHandle* base = baseFor(path, subPath);
  while (!subPath.empty() && subPath.back() == '\\') subPath.pop_back();
  if (subPath.empty()) return false;  // never the current key or the root itself
  const std::size_t slash = subPath.rfind('\\');
  const std::string parentPath = slash == std::string::npos ? "" : subPath.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? subPath : subPath.substr(slash + 1);
  RegKeyPtr parent;
  if (m_backend.openKey(m_root, base, parentPath, RegAccess::All, false, parent) != RegStatus::Ok)
    return false;
  return removeTree(*parent, leaf, 0);
}

bool TRegistry::RemoveValue(const std::string& name) {
  return m_current && m_backend.deleteValue(*m_current, name) == RegStatus::Ok;
}

bool TRegistry::WriteValue(const RegValue& value) {
  return m_current && m_backend.setValue(*m_current, value) == RegStatus::Ok;
}

bool TRegistry::WriteValueText(const std::string& name, const std::string& text) {
  return WriteValue(RegValue{name, kRegSz, Utf16LeBytes(Utf8ToUtf16(text))});
}

}  // namespace hs

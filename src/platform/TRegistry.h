#pragma once
// The registry-access object: one root key and at most one open current key.
// Every scanner, the repair and the settings helpers reach the registry
// through it. Calls that "raise" throw RegistryError.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"

namespace hs {

class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The types the program tells apart; every other type, and a missing value,
// is None.
enum class TValueType { None, String, ExpandString, Dword, Binary };

inline bool IsText(TValueType type) {
  return type == TValueType::String || type == TValueType::ExpandString;
}

class TRegistry {
 public:
  TRegistry(RegistryBackend& backend, RootKey root, RegAccess access = RegAccess::All);
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  RootKey Root() const { return m_root; }
  RegistryBackend& Backend() { return m_backend; }
  // The current key's path below the root, "" when none or the root is open.
  const std::string& CurrentPath() const { return m_currentPath; }
  bool HasCurrentKey() const { return static_cast<bool>(m_current); }
  const RegKeyHandle* CurrentKey() const { return m_current.get(); }

  // Opens `path` relative to the current key when one is open and the path
  // does not begin with a backslash, otherwise from the root; on success it
  // becomes the current key. On failure the current key is unchanged.
  // LastLink::OpenLink opens a link at the end of the path itself.
  bool OpenPath(const std::string& path, bool create = false, LastLink last = LastLink::Follow);
  void ClosePath();

  std::vector<std::string> SubkeyNameList();  // empty when no key is open
  std::vector<std::string> ValueNameList();
  // All values of the current key with their raw data, in enumeration order.
  std::vector<RegValue> ValueList();

  TValueType ValueType(const std::string& name);
  // Raw registry type, or nothing-like kRegNone with found=false when missing.
  bool RawValue(const std::string& name, RegValue& out);
  // Unexpanded text cut at its first NUL; "" for a missing or empty value;
  // raises for a value that is not REG_SZ or REG_EXPAND_SZ.
  std::string ReadValueText(const std::string& name);
  // The text of a REG_SZ or REG_EXPAND_SZ value as ReadValueText gives it,
  // read with one query; nothing for a missing value or one of another type.
  std::optional<std::string> TextValue(const std::string& name);
  std::uint32_t ReadDword(const std::string& name);              // raises unless REG_DWORD
  std::vector<std::uint8_t> ReadBytes(const std::string& name);  // raises when missing
  std::int64_t ValueSize(const std::string& name);               // negative when missing
  bool HasValue(const std::string& name);
  bool PathExists(const std::string& path);
  RegKeyInfo KeyCounts();  // zeros when no key is open

  // Removes the key and its whole subtree (subkeys from the highest index
  // down). False when the key is missing or anything could not be removed.
  // A link in the tree is removed itself; what it points to is left alone.
  bool RemovePath(const std::string& path);
  bool RemoveValue(const std::string& name);
  bool WriteValueText(const std::string& name, const std::string& text);
  bool WriteValue(const RegValue& value);

 private:
  // Resolves the relative/absolute rule into a parent handle and sub-path.
  const RegKeyHandle* baseFor(const std::string& path, std::string& subPath) const;
  std::string joinedPath(const std::string& path) const;
  bool removeTree(const RegKeyHandle& parent, const std::string& name, int depth);

  RegistryBackend& m_backend;
  RootKey m_root;
  RegAccess m_access;
  RegKeyPtr m_current;
  std::string m_currentPath;
};

// The number of a value read with ValueList, as ReadDword reads it (and
// raising as it does); saves asking the key again by name.
std::uint32_t DwordOfValue(const RegValue& value);

// Decodes registry string data (UTF-16LE bytes) to UTF-8, cut at the first NUL.
std::string RegDataToText(const std::vector<std::uint8_t>& data);

}  // namespace hs

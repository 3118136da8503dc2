// The writing half of HiveFile: the refusals that keep hivex from writing
// what Windows would read differently, and the edits themselves.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/Text.h"
#include "offline/posix/HiveFile.h"

namespace hs::offline {

namespace {

// In a hive of format 1.4 and later Windows reads data longer than this
// through a big-data record; hivex writes every value as one plain cell.
constexpr std::size_t kMaxPlainCellData = 16344;
constexpr std::size_t kMaxKeyNameLength = 255;

// hivex hashes and orders new subkeys by their UTF-8 bytes with ASCII-only
// upper-casing, where Windows hashes and sorts upper-cased UTF-16: only
// ASCII names come out as Windows would store them.
std::string KeyNameRefusal(const std::string& name) {
  if (name.empty()) return "an empty key name";
  if (name.size() > kMaxKeyNameLength) return "a key name longer than 255 characters";
  for (const char c : name) {
    if (c == '\0') return "a key name holding a NUL character";
    if (c == '\\') return "a key name holding a backslash";
    if (static_cast<unsigned char>(c) > 0x7F)
      return "a new key name outside ASCII (hivex would hash and sort it unlike Windows)";
  }
  return "";
}

std::string BigValueRefusal(const std::string& name, std::size_t size) {
  return "the value \"" + name + "\" holds " + std::to_string(size) +
         " bytes; hivex would rewrite more than 16,344 bytes as a plain cell, which Windows "
         "reads differently";
}

}  // namespace

bool HiveFile::mayWrite(std::string& refusal) const {
  if (!writable_) {
    refusal = readOnlyReason_;
    return false;
  }
  if (poisoned_) {
    refusal = state_.path + " had a failed write and will not be written";
    return false;
  }
  return true;
}

std::optional<std::vector<RegValue>> HiveFile::rewritableValues(HiveNode node,
                                                                std::string& refusal) const {
  std::optional<std::vector<hive_value_h>> handles = valueHandles(node);
  if (!handles) {
    refusal = "the key's values cannot be read";
    return std::nullopt;
  }
  std::vector<RegValue> values(handles->size());
  for (std::size_t i = 0; i < handles->size(); ++i) {
    const hive_value_h handle = (*handles)[i];
    // A name hivex cannot decode, or one with a NUL, would come back changed.
    Malloced<char> decoded(hivex_value_key(handle_, handle));
    if (!decoded || std::strlen(decoded.get()) != hivex_value_key_len(handle_, handle)) {
      refusal = "a value of the key has a name hivex cannot write back unchanged";
      return std::nullopt;
    }
    if (!readValue(handle, values[i])) {
      refusal = "a value of the key cannot be read";
      return std::nullopt;
    }
    if (values[i].data.size() > kMaxPlainCellData) {
      refusal = BigValueRefusal(values[i].name, values[i].data.size());
      return std::nullopt;
    }
  }
  return values;
}

RegStatus HiveFile::storeValues(HiveNode node, const std::vector<RegValue>& values) {
  std::vector<hive_set_value> set(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    set[i].key = const_cast<char*>(values[i].name.c_str());
    set[i].t = static_cast<hive_type>(values[i].type);
    set[i].len = values[i].data.size();
    set[i].value = reinterpret_cast<char*>(const_cast<std::uint8_t*>(values[i].data.data()));
  }
  changed_ = true;
  if (hivex_node_set_values(handle_, node, set.size(), set.data(), 0) != 0) {
    poisoned_ = true;
    return RegStatus::Failed;
  }
  return RegStatus::Ok;
}

RegStatus HiveFile::setValue(HiveNode node, const RegValue& value, std::string& refusal) {
  if (!mayWrite(refusal)) return RegStatus::AccessDenied;
  if (value.name.find('\0') != std::string::npos) {
    refusal = "a value name holding a NUL character";
    return RegStatus::AccessDenied;
  }
  if (value.data.size() > kMaxPlainCellData) {
    refusal = BigValueRefusal(value.name, value.data.size());
    return RegStatus::AccessDenied;
  }
  std::optional<std::vector<RegValue>> values = rewritableValues(node, refusal);
  if (!values) return RegStatus::AccessDenied;
  bool replaced = false;
  for (RegValue& existing : *values)
    if (!replaced && EqualsNoCase(existing.name, value.name)) {
      // Overwriting keeps the stored name and the value's place.
      existing.type = value.type;
      existing.data = value.data;
      replaced = true;
    }
  if (!replaced) values->push_back(value);
  return storeValues(node, *values);
}

RegStatus HiveFile::deleteValue(HiveNode node, std::string_view name, std::string& refusal) {
  if (!mayWrite(refusal)) return RegStatus::AccessDenied;
  RegValue existing;
  if (const RegStatus status = value(node, name, existing); status != RegStatus::Ok) return status;
  std::optional<std::vector<RegValue>> values = rewritableValues(node, refusal);
  if (!values) return RegStatus::AccessDenied;
  std::erase_if(*values, [&](const RegValue& v) { return EqualsNoCase(v.name, name); });
  return storeValues(node, *values);
}

RegStatus HiveFile::addChild(HiveNode parent, const std::string& name, HiveNode& out,
                             std::string& refusal) {
  if (!mayWrite(refusal)) return RegStatus::AccessDenied;
  refusal = KeyNameRefusal(name);
  if (!refusal.empty()) return RegStatus::AccessDenied;
  changed_ = true;
  index_.erase(parent);
  errno = 0;
  out = hivex_node_add_child(handle_, parent, name.c_str());
  if (out == 0) {
    poisoned_ = true;
    refusal = std::string("hivex could not add the key: ") + std::strerror(errno);
    return RegStatus::Failed;
  }
  return RegStatus::Ok;
}

RegStatus HiveFile::deleteChild(HiveNode parent, HiveNode node, std::string& refusal) {
  if (!mayWrite(refusal)) return RegStatus::AccessDenied;
  changed_ = true;
  index_.erase(parent);
  index_.erase(node);
  errno = 0;
  if (hivex_node_delete_child(handle_, node) != 0) {
    poisoned_ = true;
    refusal = std::string("hivex could not delete the key: ") + std::strerror(errno);
    return RegStatus::Failed;
  }
  deleted_.insert(node);
  return RegStatus::Ok;
}

bool HiveFile::writeImage(const std::string& path) {
  return hivex_commit(handle_, path.c_str(), 0) == 0;
}

}  // namespace hs::offline

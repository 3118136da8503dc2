#include "repair/RegistrySnapshot.h"

#include <iterator>

#include "platform/RegistryLinks.h"
#include "regfile/RegFileWriter.h"

namespace hs {
namespace {

std::string FullKeyName(RootKey root, const std::string& keyPath) {
  return RootKeyToHiveName(root) + "\\" + keyPath;
}

std::string StatusText(RegStatus status) {
  switch (status) {
    case RegStatus::Ok:
      return "ok";
    case RegStatus::NotFound:
      return "it no longer exists";
    case RegStatus::AccessDenied:
      return "access is denied";
    case RegStatus::Failed:
      break;
  }
  return "the system refused";
}

bool OpenKey(RegistryBackend& registry, RootKey root, const std::string& keyPath, RegAccess access,
             RegKeyPtr& key, std::string& reason, LastLink last = LastLink::OpenLink) {
  const RegStatus status = registry.openKey(root, nullptr, keyPath, access, false, key, last);
  if (status == RegStatus::Ok) return true;
  reason = "the key " + FullKeyName(root, keyPath) + " cannot be read: " + StatusText(status);
  return false;
}

std::string LinkReason(RootKey root, const std::string& keyPath) {
  return "the key " + FullKeyName(root, keyPath) +
         " is a registry link, which a backup file cannot recreate; it is not deleted";
}

// Opened for deleting when that is allowed, so the delete can go through
// the very handle the snapshot was read through; for reading otherwise.
bool OpenForSnapshot(RegistryBackend& registry, RootKey root, const std::string& keyPath,
                     bool forDelete, RegKeyPtr& key, bool& deletable, std::string& reason) {
  deletable = forDelete && registry.openKey(root, nullptr, keyPath, RegAccess::All, false, key,
                                            LastLink::OpenLink) == RegStatus::Ok;
  return deletable || OpenKey(registry, root, keyPath, RegAccess::Read, key, reason);
}

// Keys are opened as they are: a link is never gone through, so what is
// read (and later deleted) lies inside the tree that was named.
bool SnapshotInto(RegistryBackend& registry, RootKey root, const std::string& keyPath, int depth,
                  std::vector<KeySnapshot>& out, std::string& reason, RegKeyPtr* keepOpen) {
  RegKeyPtr key;
  bool deletable = false;
  if (!OpenForSnapshot(registry, root, keyPath, keepOpen != nullptr, key, deletable, reason))
    return false;
  KeySnapshot snapshot{keyPath, {}};
  std::vector<std::string> subkeys;
  RegKeyInfo info;
  // The counts first: the values are then read without the listing's last
  // call, and the subkeys of a leaf (most keys a repair removes) not at all.
  // A value added meanwhile is caught by the delete's check.
  const std::uint64_t readFrom = registry.writeClock();
  RegStatus status = registry.keyInfo(*key, info);
  if (info.lastWriteTime != 0 && readFrom >= kSettledTicks &&
      info.lastWriteTime <= readFrom - kSettledTicks)
    snapshot.settledWriteTime = info.lastWriteTime;
  if (status == RegStatus::Ok) status = registry.valuesUpTo(*key, info.valueCount, snapshot.values);
  if (status == RegStatus::Ok && info.subkeyCount != 0)
    status = registry.subkeyNames(*key, subkeys);
  if (status != RegStatus::Ok) {
    reason = "the key " + FullKeyName(root, keyPath) + " cannot be read: " + StatusText(status);
    return false;
  }
  if (HoldsLinkValue(snapshot.values)) {
    reason = LinkReason(root, keyPath);
    return false;
  }
  if (depth >= kMaxKeyDepth && !subkeys.empty()) {
    reason = "the key " + FullKeyName(root, keyPath) + " lies deeper than the registry allows";
    return false;
  }
  // Kept open for a tree of one key only: a batch holds at most one handle
  // per item.
  if (keepOpen && deletable && subkeys.empty()) *keepOpen = std::move(key);
  key.reset();
  out.push_back(std::move(snapshot));
  for (const std::string& subkey : subkeys)
    if (!SnapshotInto(registry, root, keyPath + "\\" + subkey, depth + 1, out, reason, nullptr))
      return false;
  return true;
}

bool SameValue(const RegValue& a, const RegValue& b) {
  return a.name == b.name && a.type == b.type && a.data == b.data;
}

std::string ValueLabel(const std::string& fullKey, const std::string& name) {
  return fullKey + (name.empty() ? " (default value)" : " value \"" + name + "\"");
}

bool SameValues(const std::vector<RegValue>& expected, const std::vector<RegValue>& actual) {
  if (expected.size() != actual.size()) return false;
  for (std::size_t i = 0; i < expected.size(); ++i)
    if (!SameValue(expected[i], actual[i])) return false;
  return true;
}

enum class KeyState { Unchanged, Changed, Gone };

// Whether the key still holds what the snapshot read: its values read again
// and compared.
KeyState ValuesSinceSnapshot(RegistryBackend& registry, const RegKeyHandle& key,
                             const KeySnapshot& snapshot) {
  std::vector<RegValue> values;
  const RegStatus read = registry.values(key, values);
  if (read == RegStatus::NotFound) return KeyState::Gone;
  return read == RegStatus::Ok && SameValues(snapshot.values, values) ? KeyState::Unchanged
                                                                      : KeyState::Changed;
}

// The same for a key kept open since its snapshot. The handle holds the very
// key that was read, so a settled write time that is still its own shows it
// unwritten since (one call); any other answer has its values read again. A
// key opened by path again could be another key with the same time.
KeyState HeldKeySinceSnapshot(RegistryBackend& registry, const RegKeyHandle& key,
                              const KeySnapshot& snapshot) {
  if (snapshot.settledWriteTime != 0) {
    RegKeyInfo info;
    const RegStatus status = registry.keyInfo(key, info);
    if (status == RegStatus::NotFound) return KeyState::Gone;
    if (status == RegStatus::Ok && info.lastWriteTime == snapshot.settledWriteTime &&
        info.valueCount == snapshot.values.size())
      return KeyState::Unchanged;
  }
  return ValuesSinceSnapshot(registry, key, snapshot);
}

bool CompareSection(const RegFileSection& section, const std::string& fullKey,
                    const KeySnapshot& key, std::string& difference) {
  if (section.remove || section.keyPath != fullKey) {
    difference =
        "the backup holds the key " + section.keyPath + " where " + fullKey + " was expected";
    return false;
  }
  if (section.values.size() != key.values.size()) {
    difference = "the backup of " + fullKey + " holds " + std::to_string(section.values.size()) +
                 " values, the registry " + std::to_string(key.values.size());
    return false;
  }
  for (std::size_t i = 0; i < key.values.size(); ++i) {
    const RegFileValue& entry = section.values[i];
    if (entry.remove || !SameValue(entry.value, key.values[i])) {
      difference =
          "the backup of " + ValueLabel(fullKey, key.values[i].name) + " differs from the registry";
      return false;
    }
  }
  return true;
}

// Why a key was not deleted: the system never deletes a key that has
// subkeys, so one that gained a subkey since the snapshot is named as changed.
std::string DeleteRefusal(RegistryBackend& registry, const RegKeyHandle& key, RegStatus status,
                          const std::string& fullKey, const std::string& changed) {
  RegKeyInfo info;
  if (registry.keyInfo(key, info) == RegStatus::Ok && info.subkeyCount != 0) return changed;
  return "the system refused to delete the key " + fullKey + ": " + StatusText(status);
}

}  // namespace

bool SnapshotKeyTree(RegistryBackend& registry, RootKey root, const std::string& keyPath,
                     std::vector<KeySnapshot>& out, std::string& reason, RegKeyPtr* keepOpen) {
  out.clear();
  if (keepOpen) keepOpen->reset();
  return SnapshotInto(registry, root, keyPath, 0, out, reason, keepOpen);
}

std::string FormatSnapshot(RootKey root, const std::vector<KeySnapshot>& snapshot,
                           const CodePage& codePage) {
  std::string out;
  for (const KeySnapshot& key : snapshot)
    out += FormatKeySection(root, key.keyPath, key.values, codePage);
  return out;
}

bool SectionsMatch(std::span<const RegFileSection> sections, RootKey root,
                   const std::vector<KeySnapshot>& snapshot, std::string& difference) {
  if (sections.size() != snapshot.size()) {
    difference = "the backup holds " + std::to_string(sections.size()) + " keys where " +
                 std::to_string(snapshot.size()) + " were written";
    return false;
  }
  for (std::size_t i = 0; i < snapshot.size(); ++i)
    if (!CompareSection(sections[i], FullKeyName(root, snapshot[i].keyPath), snapshot[i],
                        difference))
      return false;
  return true;
}

bool BackupMatches(const RegFile& file, RootKey root, const std::vector<KeySnapshot>& snapshot,
                   std::string& difference) {
  return SectionsMatch(file.sections, root, snapshot, difference);
}

const RegKeyHandle* ParentKeys::Open(RegistryBackend& registry, RootKey root,
                                     const std::string& path, std::string& reason, LastLink last) {
  if (m_key && m_root == root && m_path == path && m_last == last) return m_key.get();
  m_key.reset();
  if (!OpenKey(registry, root, path, RegAccess::All, m_key, reason, last)) return nullptr;
  if (last == LastLink::OpenLink && IsLinkKey(registry, *m_key)) {
    m_key.reset();
    reason = LinkReason(root, path);
    return nullptr;
  }
  m_root = root;
  m_path = path;
  m_last = last;
  return m_key.get();
}

bool DeleteSnapshotTree(RegistryBackend& registry, RootKey root,
                        const std::vector<KeySnapshot>& snapshot, std::string& reason,
                        ParentKeys* parents) {
  ParentKeys ownParents;
  if (!parents) parents = &ownParents;
  // Reversed parent-first order visits every key after all of its subkeys.
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    const std::string& path = it->keyPath;
    const std::string changed =
        "the key " + FullKeyName(root, path) + " changed after its backup was written";
    RegKeyPtr key;
    if (!OpenKey(registry, root, path, RegAccess::Read, key, reason)) return false;
    if (ValuesSinceSnapshot(registry, *key, *it) != KeyState::Unchanged) {
      reason = changed;
      return false;
    }
    const std::size_t slash = path.rfind('\\');
    const std::string parentPath = slash == std::string::npos ? "" : path.substr(0, slash);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    // Only the named key's own parent may be reached through a link (the path
    // the finding names); a parent inside the tree that became a link since
    // would lead the delete out of it.
    const bool topKey = std::next(it) == snapshot.rend();
    const RegKeyHandle* parent = parents->Open(registry, root, parentPath, reason,
                                               topKey ? LastLink::Follow : LastLink::OpenLink);
    if (!parent) return false;
    // The system never deletes a key that has subkeys: one that gained a
    // subkey since the snapshot is refused here and named as changed.
    const RegStatus status = registry.deleteLeafKey(*parent, leaf);
    if (status != RegStatus::Ok) {
      reason = DeleteRefusal(registry, *key, status, FullKeyName(root, path), changed);
      return false;
    }
  }
  return true;
}

bool DeleteHeldKey(RegistryBackend& registry, RootKey root, const KeySnapshot& snapshot,
                   const RegKeyHandle& key, std::string& reason) {
  const std::string fullKey = FullKeyName(root, snapshot.keyPath);
  const std::string changed = "the key " + fullKey + " changed after its backup was written";
  switch (HeldKeySinceSnapshot(registry, key, snapshot)) {
    case KeyState::Gone:
      reason = "the key " + fullKey + " cannot be read: " + StatusText(RegStatus::NotFound);
      return false;
    case KeyState::Changed:
      reason = changed;
      return false;
    case KeyState::Unchanged:
      break;
  }
  const RegStatus status = registry.deleteOpenKey(key);
  if (status != RegStatus::Ok) {
    reason = DeleteRefusal(registry, key, status, fullKey, changed);
    return false;
  }
  return true;
}

bool DeleteHeldValue(RegistryBackend& registry, RootKey root, const KeySnapshot& snapshot,
                     const RegKeyHandle& key, std::string& reason) {
  const RegValue& expected = snapshot.values.at(0);
  const std::string label = ValueLabel(FullKeyName(root, snapshot.keyPath), expected.name);
  RegValue now;
  const RegStatus read = registry.queryValue(key, expected.name, now);
  if (read != RegStatus::Ok || !SameValue(now, expected)) {
    reason = "the " + label + " changed after its backup was written";
    return false;
  }
  const RegStatus status = registry.deleteValue(key, expected.name);
  if (status != RegStatus::Ok) {
    reason = "the system refused to delete the " + label + ": " + StatusText(status);
    return false;
  }
  return true;
}

}  // namespace hs

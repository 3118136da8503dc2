#pragma once
// What the repair is about to delete, read from the registry in the backup
// writer's order, so that a backup can be checked against it and the delete
// can remove exactly what was checked and nothing that appeared since.
#include <span>
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"
#include "regfile/RegFileReader.h"

namespace hs {

struct KeySnapshot {
  std::string keyPath;  // below the root, no leading backslash
  std::vector<RegValue> values;
  // The key's last-write time as it was read, when that lay well before the
  // read began (0 otherwise, or where the backend keeps no such time). A
  // write since then stamps a later time, so the same time at the delete of
  // a key kept open since (DeleteHeldKey) shows it unchanged without reading
  // its values again.
  std::uint64_t settledWriteTime = 0;
};

// One key with its whole subtree (depth first, parent first). False with
// `reason` when a key cannot be read, or when the key or a key below it is a
// registry link (never followed: a backup file cannot recreate one, so such a
// tree is not deleted).
// With `keepOpen`, a key with no subkeys that may be deleted is kept open
// there for DeleteHeldKey (left empty otherwise).
bool SnapshotKeyTree(RegistryBackend& registry, RootKey root, const std::string& keyPath,
                     std::vector<KeySnapshot>& out, std::string& reason,
                     RegKeyPtr* keepOpen = nullptr);

// The snapshot as backup file sections, in its order. Throws
// UnrepresentableError when the file cannot carry a key or value.
std::string FormatSnapshot(RootKey root, const std::vector<KeySnapshot>& snapshot,
                           const CodePage& codePage);

// True when the sections are exactly the snapshot: the same keys in the same
// order, each with the same values (name, type and data) in order. Otherwise
// false with the first difference in `difference`.
bool SectionsMatch(std::span<const RegFileSection> sections, RootKey root,
                   const std::vector<KeySnapshot>& snapshot, std::string& difference);
// The same for a whole file.
bool BackupMatches(const RegFile& file, RootKey root, const std::vector<KeySnapshot>& snapshot,
                   std::string& difference);

// The parent key of the last delete, kept open for the next: deletes of
// sibling keys open their parent once.
class ParentKeys {
 public:
  // The open parent, or null with `reason`. Opened with LastLink::OpenLink,
  // a parent that is a link is refused.
  const RegKeyHandle* Open(RegistryBackend& registry, RootKey root, const std::string& path,
                           std::string& reason, LastLink last);

 private:
  RootKey m_root = RootKey::CurrentUser;
  std::string m_path;
  LastLink m_last = LastLink::OpenLink;
  RegKeyPtr m_key;
};

// How long a key's last-write time must lie before a snapshot's read for
// KeySnapshot::settledWriteTime: longer than the registry's clock is coarse
// or late (a tick of 16 ms on Windows; Wine's server stamps the time it woke).
constexpr std::uint64_t kSettledTicks = 2 * 10'000'000;  // 2 s in 100-ns units

// Deletes the keys of a whole-key snapshot, deepest and last first. A key that
// gained a subkey or whose values changed since the snapshot is not deleted:
// the removal stops there with `reason`, keeping everything above it. No key
// is reached through a link but by the path of the snapshot's first key.
bool DeleteSnapshotTree(RegistryBackend& registry, RootKey root,
                        const std::vector<KeySnapshot>& snapshot, std::string& reason,
                        ParentKeys* parents = nullptr);

// Deletes the one key of a snapshot through the handle it was read by (kept
// by SnapshotKeyTree), after checking its values again; refused, with
// `reason`, when the key changed or gained a subkey since.
bool DeleteHeldKey(RegistryBackend& registry, RootKey root, const KeySnapshot& snapshot,
                   const RegKeyHandle& key, std::string& reason);

// Deletes the one value of a value snapshot through the handle its key was
// read by (opened for deleting), unless the value changed since the snapshot
// or the key is gone (then false with `reason`, nothing deleted).
bool DeleteHeldValue(RegistryBackend& registry, RootKey root, const KeySnapshot& snapshot,
                     const RegKeyHandle& key, std::string& reason);

}  // namespace hs

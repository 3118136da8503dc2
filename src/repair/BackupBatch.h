#pragma once
// The repair's backups, written a batch at a time: the items of a run of rows
// go to the file in one write and one flush and are read back once, and each
// item is then checked against what its delete may remove, as a single export
// would be. Items whose deletes could change what another item of the batch
// read (ItemsOverlap) must not share a batch.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "repair/RegistrySnapshot.h"
#include "restore/BackupFileRecorder.h"

namespace hs {

struct BackupItem {
  RootKey root = RootKey::CurrentUser;
  std::string keyPath;    // below the root, no trailing backslash
  std::string valueName;  // the one value, unless wholeKey
  bool wholeKey = false;
  std::vector<KeySnapshot> snapshot;  // what was read; all the delete may remove
  std::string sections;               // the snapshot as file sections
  // A whole key of one key, or the key of the one value, kept open from its
  // snapshot to its delete: what was read and verified is what goes, and it
  // is opened once (the values of one key in a batch share it).
  std::shared_ptr<RegKeyHandle> heldKey;
};

// What the items of a batch touch. An item overlaps the batch when deleting
// it or one of the batch's items could change what the other holds: one lies
// in the other's key tree, or both name the same value of the same key. Each
// test costs a few lookups per key level, whatever the batch's size.
class BatchFootprint {
 public:
  bool Overlaps(const BackupItem& item) const;
  void Add(const BackupItem& item);
  void Clear();

 private:
  std::unordered_set<std::string> m_trees;         // keys of whole-key items
  std::unordered_set<std::string> m_keysAndAbove;  // every item's key and the keys above it
  std::unordered_set<std::string> m_values;        // key and name of value items
};

struct BatchCheck {
  std::uint64_t fileSize = 0;            // the file's size after the batch
  bool created = false;                  // the batch created the file
  std::vector<std::string> differences;  // per item, "" when the file holds it exactly
};

// Appends the items' sections to `fileName`, which holds `fileSize` bytes, in
// one write, flushes them, reads them back and compares each item with its
// snapshot; `recorder` is fed the bytes as read back. Throws BackupWriteError
// when the file cannot be written, flushed or read back; nothing is then
// known to be verified.
BatchCheck WriteAndVerify(FileSystemBackend& fs, const std::string& fileName,
                          std::uint64_t fileSize, const std::vector<const BackupItem*>& items,
                          BackupFileRecorder& recorder);

}  // namespace hs

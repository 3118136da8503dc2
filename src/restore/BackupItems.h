#pragma once
// The items of a backup file, for a restore of only some of them. An item is
// a key section of the file with the sections of its subkeys that follow it
// (a key backed up whole, with its subtree), so a repaired key is one item
// and a repaired value, written as its key line and one value line, is
// another; two values of one key backed up apart stay two items.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/CodePage.h"
#include "platform/RegistryBackend.h"

namespace hs {

// Whether the registry holds an item already.
enum class ItemPresence {
  Present,  // every key and value of it, with the item's data
  Absent,   // its key (for an item of one value: that value) is not there
  Differs,  // some of it is there, or with other data: a restore overwrites it
};

struct BackupFileItem {
  std::size_t number = 0;  // 1-based, in the file's order
  std::string keyPath;     // its first key, as the file writes it
  std::string valueName;   // for an item of one value: its name ("" the default value)
  bool oneValue = false;   // one key line with exactly one value line
  std::size_t keyCount = 0;
  std::size_t valueCount = 0;
  std::string putsBack;  // what a restore of it writes, in words
  ItemPresence presence = ItemPresence::Absent;
  std::size_t begin = 0, end = 0;  // its bytes within the file's importable part
};

// The items of `bytes`, an importable part that the line rules and the reader
// accepted; presence is not filled. False with `error` when it does not parse.
bool SplitIntoItems(const std::string& bytes, const CodePage& codePage,
                    std::vector<BackupFileItem>& items, std::string& error);

// A file of `bytes`' header line followed by the chosen items' own lines,
// byte for byte (same encoding, same code page): what the registry editor
// imports for them. `numbers` are 1-based and must name items.
std::string ItemFileBytes(const std::string& bytes, const std::vector<BackupFileItem>& items,
                          const std::vector<std::size_t>& numbers);

// Fills each item's presence from the registry.
void CheckItemPresence(RegistryBackend& registry, const std::string& bytes,
                       const CodePage& codePage, std::vector<BackupFileItem>& items);

// The numbers of the items whose first key is `keyPath` or lies below it
// (letter case and a trailing backslash do not count), ascending.
std::vector<std::size_t> ItemsAtOrBelow(const std::vector<BackupFileItem>& items,
                                        const std::string& keyPath);

// "yes", "no", "differs": the console's words for a presence.
const char* PresenceName(ItemPresence presence);

}  // namespace hs

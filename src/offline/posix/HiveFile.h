#pragma once
// One hive file through libhivex: keys are hivex's node handles. Opened
// for writing, edits stay in hivex's copy in memory until HiveCommit writes
// them; a write hivex would get wrong for Windows is refused beforehand, and
// any hivex write that fails anyway marks the hive as not to be committed
// (hivex has no roll-back). hivex looks names up linearly and folds ASCII only, so each key's
// subkeys get an index here, sorted and folded by the registry's own rule
// (common/Text), built on first use; keys without subkeys need no entry.
// Key flags (hivex has no call for them) and, read-only, key and value names
// (hivex recodes each twice) come from the cells through our own view of
// the file; names hivex could not decode (invalid UTF-16) read with U+FFFD.
// hivex maps the same file and reads every page of it at open, so our view
// lets go of its pages every so often: the same page is not held twice.
#include <hivex.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "offline/posix/HiveLoad.h"
#include "platform/RegistryBackend.h"

namespace hs::offline {

using HiveNode = hive_node_h;

// What hivex hands out with malloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Malloced = std::unique_ptr<T, FreeDeleter>;

struct HiveChild {
  std::string name;    // as stored
  std::string folded;  // UpperCase(name): the index's order and key
  HiveNode node;
};

class HiveFile {
 public:
  // Nothing, with `error` set, when hivex refuses the image. `forWriting`
  // is honoured only for a hive read whole (clean or replayed): a stale one
  // stays read-only, its writes refused with readOnlyReason().
  static std::unique_ptr<HiveFile> Open(LoadedHive hive, std::string& error,
                                        bool forWriting = false);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const HiveState& state() const { return state_; }
  // The base block of the image read (the replayed one for a dirty hive).
  std::optional<BaseBlock> imageBlock() const { return ReadBaseBlock(image_.bytes()); }
  HiveNode root() const;
  std::string name(HiveNode node) const;
  // Sorted as Windows enumerates; nothing when hivex cannot read the list.
  const std::vector<HiveChild>* children(HiveNode node);
  std::optional<HiveNode> child(HiveNode node, std::string_view name);
  // Every value in stored order; nothing when one cannot be read.
  std::optional<std::vector<RegValue>> values(HiveNode node) const;
  // The same into `out`, reusing its room; false when one cannot be read.
  bool readValues(HiveNode node, std::vector<RegValue>& out) const;
  std::optional<std::vector<std::string>> valueNames(HiveNode node) const;
  // NotFound or Failed when the value is missing or unreadable.
  RegStatus value(HiveNode node, std::string_view name, RegValue& out) const;
  std::optional<std::size_t> valueCount(HiveNode node) const;
  // KEY_SYM_LINK in the key cell: a registry link.
  bool isLink(HiveNode node) const;
  // False for a key deleted through this object.
  bool alive(HiveNode node) const { return deleted_.count(node) == 0; }

  // Writes. Ok, or AccessDenied with `refusal` saying why nothing was done,
  // or Failed when hivex failed midway (the hive is then poisoned()).
  bool writable() const { return writable_; }
  const std::string& readOnlyReason() const { return readOnlyReason_; }
  RegStatus setValue(HiveNode node, const RegValue& value, std::string& refusal);
  RegStatus deleteValue(HiveNode node, std::string_view name, std::string& refusal);
  RegStatus addChild(HiveNode parent, const std::string& name, HiveNode& out, std::string& refusal);
  // Deletes `node` (a leaf: the caller checks) below `parent`.
  RegStatus deleteChild(HiveNode parent, HiveNode node, std::string& refusal);
  bool changed() const { return changed_; }
  bool poisoned() const { return poisoned_; }
  // Writes hivex's image to `path` (created or truncated); false with errno.
  bool writeImage(const std::string& path);

 private:
  HiveFile(LoadedHive hive, hive_h* handle, bool writable);
  // The file's bytes, for reading a cell.
  std::span<const std::uint8_t> cellBytes() const;
  // Refuses (false, with `refusal`) a write before anything is touched.
  bool mayWrite(std::string& refusal) const;
  // The key's values as hivex will rewrite them; nothing, with `refusal`,
  // when one of them cannot be rewritten as it is.
  std::optional<std::vector<RegValue>> rewritableValues(HiveNode node, std::string& refusal) const;
  RegStatus storeValues(HiveNode node, const std::vector<RegValue>& values);
  std::optional<std::vector<hive_value_h>> valueHandles(HiveNode node) const;
  std::string valueName(hive_value_h value) const;
  bool readValue(hive_value_h value, RegValue& out) const;
  std::optional<std::string> rawName(std::size_t at, std::size_t lengthAt, std::size_t flagsAt,
                                     std::uint16_t asciiFlag) const;

  HiveState state_;
  MappedFile image_;
  hive_h* handle_;
  static constexpr std::size_t kCellReadsBetweenDrops = 8192;
  mutable std::size_t cellReads_ = 0;
  std::unordered_map<HiveNode, std::vector<HiveChild>> index_;
  std::unordered_set<HiveNode> deleted_;
  bool writable_ = false;
  std::string readOnlyReason_;
  bool changed_ = false;
  bool poisoned_ = false;
};

}  // namespace hs::offline

#pragma once
// One hive file read through libhivex, read-only: keys are hivex's node
// handles. hivex looks names up linearly and folds ASCII only, so each key's
// subkeys get an index here, sorted and folded by the registry's own rule
// (common/Text), built on first use. Names hivex cannot decode (invalid
// UTF-16) are read from the cell with U+FFFD; the key's siblings are not
// affected.
#include <hivex.h>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "offline/posix/HiveLoad.h"
#include "platform/RegistryBackend.h"

namespace hs::offline {

using HiveNode = hive_node_h;

struct HiveChild {
  std::string name;    // as stored
  std::string folded;  // UpperCase(name): the index's order and key
  HiveNode node;
};

class HiveFile {
 public:
  // Nothing, with `error` set, when hivex refuses the image.
  static std::unique_ptr<HiveFile> Open(LoadedHive hive, std::string& error);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const HiveState& state() const { return state_; }
  HiveNode root() const;
  std::string name(HiveNode node) const;
  // Sorted as Windows enumerates; nothing when hivex cannot read the list.
  const std::vector<HiveChild>* children(HiveNode node);
  std::optional<HiveNode> child(HiveNode node, std::string_view name);
  // Every value in stored order; nothing when one cannot be read.
  std::optional<std::vector<RegValue>> values(HiveNode node) const;
  std::optional<std::vector<std::string>> valueNames(HiveNode node) const;
  // NotFound or Failed when the value is missing or unreadable.
  RegStatus value(HiveNode node, std::string_view name, RegValue& out) const;
  std::optional<std::size_t> valueCount(HiveNode node) const;
  // KEY_SYM_LINK in the key cell: a registry link.
  bool isLink(HiveNode node) const;

 private:
  HiveFile(LoadedHive hive, hive_h* handle);
  std::optional<std::vector<hive_value_h>> valueHandles(HiveNode node) const;
  std::string valueName(hive_value_h value) const;
  bool readValue(hive_value_h value, RegValue& out) const;
  std::optional<std::string> rawName(std::size_t at, std::size_t lengthAt, std::size_t flagsAt,
                                     std::uint16_t asciiFlag) const;

  HiveState state_;
  MappedFile image_;
  hive_h* handle_;
  std::unordered_map<HiveNode, std::vector<HiveChild>> index_;
};

}  // namespace hs::offline

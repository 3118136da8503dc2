#pragma once
// The registry of a Windows that is not running, read from its hive files:
// a RegistryBackend over a table of mounts (root key + path -> hive keys).
// A mount with two layers merges them as HKEY_CLASSES_ROOT merges the
// user's classes over the machine's: subkeys are the union, a key found in
// the first layer is read from there. Keys above mounts (HKEY_LOCAL_MACHINE
// itself) are virtual and empty but for the mounts below them. Registry
// links (KEY_SYM_LINK) are followed through the mount table as the system
// follows them, or opened themselves with LastLink::OpenLink. Writes go to
// the hive that holds the key (a merged key: its first layer; a new key: the
// first layer holding its parent) and stay in memory until the hives are
// committed; a hive opened for reading refuses them with AccessDenied, as
// do virtual keys and mount points. Every refused or failed write is kept
// in refusals() with its reason.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "offline/posix/HiveFile.h"
#include "platform/RegistryBackend.h"

namespace hs::offline {

struct WriteRefusal {
  std::string item;  // "HKEY_...\path" or "HKEY_...\path [value]"
  std::string reason;
};

struct HiveLayer {
  std::shared_ptr<HiveFile> hive;  // one file shared by every mount of it
  HiveNode node = 0;
};

class OfflineRegistry final : public RegistryBackend {
 public:
  // `path` below `root`, "" for the root itself; its last part is listed as
  // written here. Later mounts of the same path replace earlier ones.
  void mount(RootKey root, const std::string& path, std::vector<HiveLayer> layers);
  // The hive keys a path opens to (links followed); nothing when it does not.
  std::optional<std::vector<HiveLayer>> layersAt(RootKey root, const std::string& path);

  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out, LastLink last = LastLink::Follow,
                    RegView view = RegView::Own) override;
  RegStatus subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) override;
  RegStatus valueNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus queryValue(const RegKeyHandle& key, const std::string& name, RegValue& out) override;
  RegStatus keyInfo(const RegKeyHandle& key, RegKeyInfo& out) override;
  RegStatus setValue(const RegKeyHandle& key, const RegValue& value) override;
  RegStatus deleteValue(const RegKeyHandle& key, const std::string& name) override;
  RegStatus deleteLeafKey(const RegKeyHandle& parent, const std::string& name) override;
  RegStatus deleteOpenKey(const RegKeyHandle& key) override;

  const std::vector<WriteRefusal>& refusals() const { return refusals_; }

 private:
  struct Key;
  static const Key* live(const RegKeyHandle& handle);
  static const Key* valueTarget(const RegKeyHandle& handle, RegStatus& status);
  struct MountPoint {
    std::vector<HiveLayer> layers;
  };
  using Place = std::pair<RootKey, std::string>;  // root + folded path

  RegStatus walk(Key& key, const std::vector<std::string>& parts, bool followLast, int hops,
                 bool create = false);
  // Sets where `key` is: its root and folded path (kept when mounts lie below).
  void place(Key& key, RootKey root, std::string folded) const;
  RegStatus step(Key& key, const std::string& part) const;
  static RegStatus stepInHives(Key& key, const std::string& part);
  RegStatus createStep(Key& key, const std::string& part);
  RegStatus refused(const Key& key, const std::string& value, RegStatus status,
                    const std::string& reason);
  RegStatus follow(Key& key, int hops);

  std::map<Place, MountPoint> mounts_;
  std::map<Place, std::vector<std::string>> mountedChildren_;  // names below each place
  std::vector<WriteRefusal> refusals_;
};

}  // namespace hs::offline

#pragma once
// In-memory registry with the real registry's behaviour: subkeys enumerate in
// case-insensitive order, values in creation order, a deleted key's open
// handles fail, a key opened for reading refuses writes, links are followed
// as the real registry follows them. Faults can be injected so that repair and
// scan failure paths are testable.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/RegistryBackend.h"

namespace hs {

class MemoryRegistry : public RegistryBackend {
 public:
  MemoryRegistry();

  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out, LastLink last = LastLink::Follow,
                    RegView view = RegView::Own) override;
  RegStatus subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) override;
  RegStatus valueNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus queryValue(const RegKeyHandle& key, const std::string& name, RegValue& out) override;
  RegStatus keyInfo(const RegKeyHandle& key, RegKeyInfo& out) override;
  std::uint64_t writeClock() override { return ++m_clock; }
  RegStatus setValue(const RegKeyHandle& key, const RegValue& value) override;
  RegStatus deleteValue(const RegKeyHandle& key, const std::string& name) override;
  RegStatus deleteLeafKey(const RegKeyHandle& parent, const std::string& name) override;
  RegStatus deleteOpenKey(const RegKeyHandle& key) override;

  // The user whose hive HKEY_CURRENT_USER stands for in link targets.
  static constexpr const char* kCurrentUserSid = "S-1-5-21-0-0-0-1000";
  // The kernel's name of a key ("\REGISTRY\MACHINE\..."), as link targets
  // spell it; "" for a root that has none here.
  static std::string kernelPath(RootKey root, const std::string& path);
  // Creates `path` as a link to `kernelTarget` (its parent is created when
  // missing). False when the key exists already.
  bool createLink(RootKey root, const std::string& path, const std::string& kernelTarget);

  // Fault injection, by full key path ("HKEY_CURRENT_USER\Software\X").
  void denyAccess(const std::string& fullKeyPath);     // open fails: access denied
  void refuseDeletes(const std::string& fullKeyPath);  // deletes in/of it fail
  // Opening it for reading works, for full access is denied: a standard
  // user's view of HKEY_LOCAL_MACHINE.
  void denyWriteAccess(const std::string& fullKeyPath);

  // Moves the clock on, as time passes between writes. Each write and each
  // look at the clock advance it by one unit.
  void passTime(std::uint64_t units) { m_clock += units; }

  struct Node;

 private:
  void touch(Node& node);
  std::shared_ptr<Node> rootNode(RootKey root) const;
  // Moves `node` along `path`; links met on the way are followed, the last
  // one only when `followLast`. `hops` counts links followed so far.
  RegStatus walk(std::shared_ptr<Node>& node, RootKey& root, const std::string& path, bool create,
                 bool followLast, int hops);
  RegStatus followLink(std::shared_ptr<Node>& node, RootKey& root, int hops);
  bool isDenied(const std::string& upperFullPath) const;
  bool refusesDelete(const std::string& upperFullPath) const;

  std::map<RootKey, std::shared_ptr<Node>> m_roots;
  std::set<std::string> m_denied;
  std::set<std::string> m_noDelete;
  std::set<std::string> m_readOnly;
  std::uint64_t m_clock = kClockStart;
  static constexpr std::uint64_t kClockStart = 133'485'408'000'000'000;  // 2024-01-01
};

}  // namespace hs

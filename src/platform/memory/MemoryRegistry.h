#pragma once
// In-memory registry with the real registry's behaviour: subkeys enumerate in
// case-insensitive order, values in creation order, a deleted key's open
// handles fail, a key opened for reading refuses writes. Faults can be injected
// so that repair and scan failure paths are testable.
#include <map>
#include <memory>
#include <set>
#include <string>

#include "platform/RegistryBackend.h"
#include "regfile/RegFileReader.h"

namespace hs {

class MemoryRegistry : public RegistryBackend {
 public:
  MemoryRegistry();

  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out) override;
  RegStatus subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) override;
  RegStatus valueNames(const RegKeyHandle& key, std::vector<std::string>& out) override;
  RegStatus queryValue(const RegKeyHandle& key, const std::string& name, RegValue& out) override;
  RegStatus keyInfo(const RegKeyHandle& key, RegKeyInfo& out) override;
  RegStatus setValue(const RegKeyHandle& key, const RegValue& value) override;
  RegStatus deleteValue(const RegKeyHandle& key, const std::string& name) override;
  RegStatus deleteLeafKey(const RegKeyHandle& parent, const std::string& name) override;

  // Applies a parsed registry file as the system's importer would.
  void import(const RegFile& file);
  // Parses and applies; false with `error` filled for a malformed file. An
  // 8-bit file is read in `codePage`, or in Windows-1252 when none is given.
  bool importText(const std::string& bytes, const CodePage& codePage, RegFileError& error);
  bool importText(const std::string& bytes, RegFileError& error);

  // Fault injection, by full key path ("HKEY_CURRENT_USER\Software\X").
  void denyAccess(const std::string& fullKeyPath);  // open fails: access denied
  void refuseDeletes(const std::string& fullKeyPath);  // deletes in/of it fail

  struct Node;

 private:
  std::shared_ptr<Node> rootNode(RootKey root) const;
  bool isDenied(const std::string& upperFullPath) const;
  bool refusesDelete(const std::string& upperFullPath) const;

  std::map<RootKey, std::shared_ptr<Node>> m_roots;
  std::set<std::string> m_denied;
  std::set<std::string> m_noDelete;
};

}  // namespace hs

#include "platform/memory/MemoryRegistry.h"

#include "common/Text.h"

namespace hs {

struct MemoryRegistry::Node {
  std::string name;
  std::string upperFullPath;  // for fault injection look-ups
  // Keyed by the upper-cased name: byte order of upper-case UTF-8 is the
  // case-insensitive order in which the registry enumerates subkeys.
  std::map<std::string, std::shared_ptr<Node>> children;
  std::vector<RegValue> values;
  bool deleted = false;

  RegValue* findValue(const std::string& valueName) {
    for (RegValue& v : values)
      if (EqualsNoCase(v.name, valueName)) return &v;
    return nullptr;
  }
};

namespace {

struct MemoryKeyHandle : RegKeyHandle {
  RootKey root;
  std::shared_ptr<MemoryRegistry::Node> node;
  RegAccess access;
  MemoryKeyHandle(RootKey r, std::shared_ptr<MemoryRegistry::Node> n, RegAccess a)
      : root(r), node(std::move(n)), access(a) {}
};

const MemoryKeyHandle& AsMemory(const RegKeyHandle& key) {
  return static_cast<const MemoryKeyHandle&>(key);
}

void MarkDeleted(MemoryRegistry::Node& node) {
  node.deleted = true;
  for (auto& [name, child] : node.children) MarkDeleted(*child);
}

}  // namespace

MemoryRegistry::MemoryRegistry() {
  for (RootKey root : {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                       RootKey::Users, RootKey::CurrentConfig}) {
    auto node = std::make_shared<Node>();
    node->name = RootKeyToHiveName(root);
    node->upperFullPath = node->name;
    m_roots[root] = node;
  }
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::rootNode(RootKey root) const {
  const auto it = m_roots.find(root);
  return it == m_roots.end() ? nullptr : it->second;
}

bool MemoryRegistry::isDenied(const std::string& upperFullPath) const {
  return m_denied.count(upperFullPath) != 0;
}

bool MemoryRegistry::refusesDelete(const std::string& upperFullPath) const {
  return m_noDelete.count(upperFullPath) != 0;
}

void MemoryRegistry::denyAccess(const std::string& fullKeyPath) {
  m_denied.insert(UpperCase(fullKeyPath));
}

void MemoryRegistry::refuseDeletes(const std::string& fullKeyPath) {
  m_noDelete.insert(UpperCase(fullKeyPath));
}

RegStatus MemoryRegistry::openKey(RootKey root, const RegKeyHandle* parent,
                                  const std::string& path, RegAccess access, bool create,
                                  RegKeyPtr& out) {
  out.reset();
  std::shared_ptr<Node> node = parent ? AsMemory(*parent).node : rootNode(root);
  if (!node || node->deleted) return RegStatus::NotFound;
  if (parent) root = AsMemory(*parent).root;
  for (const std::string& part : Split(path, '\\')) {
    if (part.empty()) continue;  // tolerate doubled or trailing separators
    const std::string upper = UpperCase(part);
    auto it = node->children.find(upper);
    if (it == node->children.end()) {
      // Like the real registry, creating needs no write access on the
      // handle it starts from: only the keys' own permissions count.
      if (!create) return RegStatus::NotFound;
      auto child = std::make_shared<Node>();
      child->name = part;
      child->upperFullPath = node->upperFullPath + "\\" + upper;
      it = node->children.emplace(upper, child).first;
    }
    node = it->second;
    if (isDenied(node->upperFullPath)) return RegStatus::AccessDenied;
  }
  out = std::make_unique<MemoryKeyHandle>(root, node, access);
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) {
  out.clear();
  const auto& node = AsMemory(key).node;
  if (node->deleted) return RegStatus::NotFound;
  out.reserve(node->children.size());
  for (const auto& [upper, child] : node->children) out.push_back(child->name);
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::values(const RegKeyHandle& key, std::vector<RegValue>& out) {
  out.clear();
  const auto& node = AsMemory(key).node;
  if (node->deleted) return RegStatus::NotFound;
  out = node->values;
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::valueNames(const RegKeyHandle& key, std::vector<std::string>& out) {
  out.clear();
  const auto& node = AsMemory(key).node;
  if (node->deleted) return RegStatus::NotFound;
  for (const RegValue& v : node->values) out.push_back(v.name);
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::queryValue(const RegKeyHandle& key, const std::string& name,
                                     RegValue& out) {
  const auto& node = AsMemory(key).node;
  if (node->deleted) return RegStatus::NotFound;
  const RegValue* found = node->findValue(name);
  if (!found) return RegStatus::NotFound;
  out = *found;
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::keyInfo(const RegKeyHandle& key, RegKeyInfo& out) {
  const auto& node = AsMemory(key).node;
  if (node->deleted) return RegStatus::NotFound;
  out.subkeyCount = static_cast<std::uint32_t>(node->children.size());
  out.valueCount = static_cast<std::uint32_t>(node->values.size());
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::setValue(const RegKeyHandle& key, const RegValue& value) {
  const auto& handle = AsMemory(key);
  if (handle.node->deleted) return RegStatus::NotFound;
  if (handle.access == RegAccess::Read) return RegStatus::AccessDenied;
  if (RegValue* existing = handle.node->findValue(value.name)) {
    existing->type = value.type;
    existing->data = value.data;  // the stored name keeps its original case
  } else {
    handle.node->values.push_back(value);
  }
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::deleteValue(const RegKeyHandle& key, const std::string& name) {
  const auto& handle = AsMemory(key);
  if (handle.node->deleted) return RegStatus::NotFound;
  if (handle.access == RegAccess::Read) return RegStatus::AccessDenied;
  if (refusesDelete(handle.node->upperFullPath)) return RegStatus::AccessDenied;
  auto& values = handle.node->values;
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (EqualsNoCase(it->name, name)) {
      values.erase(it);
      return RegStatus::Ok;
    }
  }
  return RegStatus::NotFound;
}

RegStatus MemoryRegistry::deleteLeafKey(const RegKeyHandle& parent, const std::string& name) {
  const auto& handle = AsMemory(parent);
  if (handle.node->deleted) return RegStatus::NotFound;
  const auto it = handle.node->children.find(UpperCase(name));
  if (it == handle.node->children.end()) return RegStatus::NotFound;
  if (!it->second->children.empty()) return RegStatus::AccessDenied;
  if (refusesDelete(it->second->upperFullPath)) return RegStatus::AccessDenied;
  MarkDeleted(*it->second);
  handle.node->children.erase(it);
  return RegStatus::Ok;
}

void MemoryRegistry::import(const RegFile& file) {
  for (const RegFileSection& section : file.sections) {
    const auto hivePath = SplitHivePath(section.keyPath);
    if (!hivePath) continue;  // the system's importer skips unknown roots too
    RegKeyPtr key;
    if (section.remove) {
      RegKeyPtr parentKey;
      const std::size_t slash = hivePath->subPath.rfind('\\');
      const std::string parentPath =
          slash == std::string::npos ? "" : hivePath->subPath.substr(0, slash);
      if (openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::All, false, key) !=
              RegStatus::Ok ||
          openKey(hivePath->root, nullptr, parentPath, RegAccess::All, false, parentKey) !=
              RegStatus::Ok)
        continue;
      auto& children = AsMemory(*parentKey).node->children;
      const auto node = AsMemory(*key).node;
      for (auto it = children.begin(); it != children.end(); ++it) {
        if (it->second == node) {
          MarkDeleted(*node);
          children.erase(it);
          break;
        }
      }
      continue;
    }
    if (openKey(hivePath->root, nullptr, hivePath->subPath, RegAccess::All, true, key) !=
        RegStatus::Ok)
      continue;
    for (const RegFileValue& entry : section.values) {
      if (entry.remove)
        deleteValue(*key, entry.value.name);
      else
        setValue(*key, entry.value);
    }
  }
}

bool MemoryRegistry::importText(const std::string& bytes, const CodePage& codePage,
                                RegFileError& error) {
  RegFile file;
  if (!ParseRegFile(bytes, codePage, file, error)) return false;
  import(file);
  return true;
}

bool MemoryRegistry::importText(const std::string& bytes, RegFileError& error) {
  return importText(bytes, Windows1252CodePage(), error);
}

}  // namespace hs

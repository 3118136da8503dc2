#include "platform/memory/MemoryRegistry.h"

#include "common/Text.h"
#include "platform/RegistryLinks.h"

namespace hs {

struct MemoryRegistry::Node {
  std::string name;
  std::string upperFullPath;  // for fault injection look-ups
  // Keyed by the upper-cased name: byte order of upper-case UTF-8 is the
  // case-insensitive order in which the registry enumerates subkeys.
  std::map<std::string, std::shared_ptr<Node>> children;
  std::weak_ptr<Node> parent;  // none for a root
  std::vector<RegValue> values;
  bool deleted = false;
  bool isLink = false;  // its SymbolicLinkValue names the key it stands for
  std::uint64_t lastWriteTime = 0;

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

void MemoryRegistry::denyWriteAccess(const std::string& fullKeyPath) {
  m_readOnly.insert(UpperCase(fullKeyPath));
}

void MemoryRegistry::touch(Node& node) {
  node.lastWriteTime = ++m_clock;
}

void MemoryRegistry::refuseDeletes(const std::string& fullKeyPath) {
  m_noDelete.insert(UpperCase(fullKeyPath));
}

namespace {

// Chains of links longer than this end in an error, as the system's do.
constexpr int kMaxLinkHops = 16;

struct KernelRoot {
  std::string prefix;  // upper case, with its final backslash
  RootKey root;
};

// Longest prefixes first: the current user's hive lies inside \REGISTRY\USER.
std::vector<KernelRoot> KernelRoots() {
  return {{"\\REGISTRY\\MACHINE\\SOFTWARE\\CLASSES\\", RootKey::ClassesRoot},
          {"\\REGISTRY\\MACHINE\\", RootKey::LocalMachine},
          {std::string("\\REGISTRY\\USER\\") + MemoryRegistry::kCurrentUserSid + "\\",
           RootKey::CurrentUser},
          {"\\REGISTRY\\USER\\", RootKey::Users}};
}

}  // namespace

std::string MemoryRegistry::kernelPath(RootKey root, const std::string& path) {
  for (const KernelRoot& known : KernelRoots())
    if (known.root == root) return known.prefix + path;
  return "";
}

RegStatus MemoryRegistry::followLink(std::shared_ptr<Node>& node, RootKey& root, int hops) {
  if (hops >= kMaxLinkHops) return RegStatus::Failed;
  const RegValue* target = node->findValue(kLinkValueName);
  if (!target || target->type != kRegLink) return RegStatus::NotFound;
  const std::string text = Utf16ToUtf8(Utf16FromLeBytes(target->data));
  for (const KernelRoot& known : KernelRoots()) {
    if (!StartsWithNoCase(text + "\\", known.prefix)) continue;
    root = known.root;
    node = rootNode(root);
    const std::string rest =
        text.size() > known.prefix.size() ? text.substr(known.prefix.size()) : std::string();
    return walk(node, root, rest, false, true, hops + 1);
  }
  return RegStatus::NotFound;
}

RegStatus MemoryRegistry::walk(std::shared_ptr<Node>& node, RootKey& root, const std::string& path,
                               bool create, bool followLast, int hops) {
  std::vector<std::string> parts;
  for (std::string& part : Split(path, '\\'))
    if (!part.empty()) parts.push_back(std::move(part));  // doubled or trailing separators
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (node->isLink) return RegStatus::NotFound;  // a link opened itself has no subkeys
    const std::string upper = UpperCase(parts[i]);
    auto it = node->children.find(upper);
    if (it == node->children.end()) {
      // Like the real registry, creating needs no write access on the
      // handle it starts from: only the keys' own permissions count.
      if (!create) return RegStatus::NotFound;
      auto child = std::make_shared<Node>();
      child->name = parts[i];
      child->upperFullPath = node->upperFullPath + "\\" + upper;
      child->parent = node;
      touch(*child);
      touch(*node);
      it = node->children.emplace(upper, child).first;
    }
    node = it->second;
    if (isDenied(node->upperFullPath)) return RegStatus::AccessDenied;
    if (node->isLink && (followLast || i + 1 < parts.size())) {
      const RegStatus followed = followLink(node, root, hops);
      if (followed != RegStatus::Ok) return followed;
    }
  }
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                                  RegAccess access, bool create, RegKeyPtr& out, LastLink last,
                                  RegView /*one view, as a 64-bit process sees it*/) {
  out.reset();
  std::shared_ptr<Node> node = parent ? AsMemory(*parent).node : rootNode(root);
  if (!node || node->deleted) return RegStatus::NotFound;
  if (parent) root = AsMemory(*parent).root;
  const RegStatus status = walk(node, root, path, create, last == LastLink::Follow, 0);
  if (status != RegStatus::Ok) return status;
  if (access == RegAccess::All && m_readOnly.count(node->upperFullPath) != 0)
    return RegStatus::AccessDenied;
  out = std::make_unique<MemoryKeyHandle>(root, node, access);
  return RegStatus::Ok;
}

bool MemoryRegistry::createLink(RootKey root, const std::string& path,
                                const std::string& kernelTarget) {
  const std::size_t slash = path.rfind('\\');
  const std::string parentPath = slash == std::string::npos ? "" : path.substr(0, slash);
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  RegKeyPtr parent;
  if (leaf.empty() ||
      openKey(root, nullptr, parentPath, RegAccess::All, true, parent) != RegStatus::Ok)
    return false;
  const auto& parentNode = AsMemory(*parent).node;
  const std::string upper = UpperCase(leaf);
  if (parentNode->children.count(upper) != 0) return false;
  auto link = std::make_shared<Node>();
  link->name = leaf;
  link->upperFullPath = parentNode->upperFullPath + "\\" + upper;
  link->isLink = true;
  link->parent = parentNode;
  touch(*link);
  touch(*parentNode);
  // The target is stored as the system stores it: UTF-16 without a final NUL.
  link->values.push_back(
      RegValue{kLinkValueName, kRegLink, Utf16LeBytes(Utf8ToUtf16(kernelTarget), false)});
  parentNode->children.emplace(upper, std::move(link));
  return true;
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
  out.lastWriteTime = node->lastWriteTime;
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
  touch(*handle.node);
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
      touch(*handle.node);
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
  touch(*handle.node);
  return RegStatus::Ok;
}

RegStatus MemoryRegistry::deleteOpenKey(const RegKeyHandle& key) {
  const auto& handle = AsMemory(key);
  if (handle.node->deleted) return RegStatus::NotFound;
  const std::shared_ptr<Node> parent = handle.node->parent.lock();
  if (!parent || handle.access == RegAccess::Read) return RegStatus::AccessDenied;
  if (!handle.node->children.empty()) return RegStatus::AccessDenied;
  if (refusesDelete(handle.node->upperFullPath)) return RegStatus::AccessDenied;
  MarkDeleted(*handle.node);
  parent->children.erase(UpperCase(handle.node->name));
  touch(*parent);
  return RegStatus::Ok;
}

}  // namespace hs

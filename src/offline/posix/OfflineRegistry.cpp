#include "offline/posix/OfflineRegistry.h"

#include <algorithm>
#include <set>

#include "common/Text.h"
#include "platform/RegistryLinks.h"

namespace hs::offline {

namespace {

// Chains of links longer than this end in an error, as the system's do.
constexpr int kMaxLinkHops = 16;

std::string Folded(const std::string& parent, const std::string& part) {
  return parent.empty() ? UpperCase(part) : parent + "\\" + UpperCase(part);
}

void AppendPart(std::string& path, const std::string& part) {
  if (!path.empty()) path += '\\';
  path += part;
}

// The non-empty names between backslashes.
std::vector<std::string> PartsOf(const std::string& path) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start < path.size();) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) parts.emplace_back(path, start, end - start);
    start = end + 1;
  }
  return parts;
}

struct KernelRoot {
  const char* prefix;  // upper case, with its final backslash
  RootKey root;
};

constexpr KernelRoot kKernelRoots[] = {{"\\REGISTRY\\MACHINE\\", RootKey::LocalMachine},
                                       {"\\REGISTRY\\USER\\", RootKey::Users}};

}  // namespace

struct OfflineRegistry::Key final : RegKeyHandle {
  RootKey root{};
  // Path below the root, upper-cased: kept only while mounts lie below it,
  // as nothing else looks it up.
  std::string folded;
  bool mountsBelow = false;
  std::string shown;  // the same as it was asked for, for messages
  std::vector<HiveLayer> layers;
  bool linkItself = false;  // a link opened with LastLink::OpenLink
  RegAccess access = RegAccess::Read;

  bool virtualKey() const { return layers.empty(); }
  const HiveLayer* top() const { return layers.empty() ? nullptr : &layers.front(); }
  // Deleted through this registry while the handle was open.
  bool gone() const { return top() && !top()->hive->alive(top()->node); }
};

void OfflineRegistry::mount(RootKey root, const std::string& path, std::vector<HiveLayer> layers) {
  std::string folded;
  for (const std::string& part : PartsOf(path)) {
    std::vector<std::string>& names = mountedChildren_[{root, folded}];
    if (std::none_of(names.begin(), names.end(),
                     [&](const std::string& n) { return EqualsNoCase(n, part); }))
      names.push_back(part);
    folded = Folded(folded, part);
  }
  mounts_[{root, folded}] = MountPoint{std::move(layers)};
}

std::optional<std::vector<HiveLayer>> OfflineRegistry::layersAt(RootKey root,
                                                                const std::string& path) {
  RegKeyPtr key;
  if (openKey(root, nullptr, path, RegAccess::Read, false, key) != RegStatus::Ok)
    return std::nullopt;
  return static_cast<const Key&>(*key).layers;
}

void OfflineRegistry::place(Key& key, RootKey root, std::string folded) const {
  key.root = root;
  key.mountsBelow = mountedChildren_.count({root, folded}) != 0;
  key.folded = key.mountsBelow ? std::move(folded) : std::string();
}

RegStatus OfflineRegistry::step(Key& key, const std::string& part) const {
  if (key.linkItself) return RegStatus::NotFound;  // a link opened itself has no subkeys
  if (!key.mountsBelow) return stepInHives(key, part);
  std::string folded = Folded(key.folded, part);
  std::vector<HiveLayer> below;
  if (auto mount = mounts_.find({key.root, folded}); mount != mounts_.end()) {
    below = mount->second.layers;
  } else {
    for (const HiveLayer& layer : key.layers)
      if (std::optional<HiveNode> child = layer.hive->child(layer.node, part))
        below.push_back({layer.hive, *child});
    if (below.empty() && mountedChildren_.count({key.root, folded}) == 0)
      return RegStatus::NotFound;
  }
  place(key, key.root, std::move(folded));
  AppendPart(key.shown, part);
  key.layers = std::move(below);
  return RegStatus::Ok;
}

// Below the last mount point: the hives alone say what is there.
RegStatus OfflineRegistry::stepInHives(Key& key, const std::string& part) {
  std::size_t kept = 0;
  for (const HiveLayer& layer : key.layers)
    if (std::optional<HiveNode> child = layer.hive->child(layer.node, part))
      key.layers[kept++] = {layer.hive, *child};
  if (kept == 0) return RegStatus::NotFound;
  key.layers.resize(kept);
  AppendPart(key.shown, part);
  return RegStatus::Ok;
}

// Makes the missing key `part` in the first layer of `key`.
RegStatus OfflineRegistry::createStep(Key& key, const std::string& part) {
  const HiveLayer* top = key.top();
  if (!top || key.linkItself)
    return refused(key, "", RegStatus::AccessDenied, "keys cannot be made here");
  HiveNode made = 0;
  std::string reason;
  const RegStatus status = top->hive->addChild(top->node, part, made, reason);
  Key shownAt = key;
  shownAt.shown = key.shown.empty() ? part : key.shown + "\\" + part;
  if (status != RegStatus::Ok) return refused(shownAt, "", status, reason);
  if (key.mountsBelow) place(key, key.root, Folded(key.folded, part));
  key.shown = shownAt.shown;
  key.layers = {{top->hive, made}};
  return RegStatus::Ok;
}

RegStatus OfflineRegistry::refused(const Key& key, const std::string& value, RegStatus status,
                                   const std::string& reason) {
  std::string item = RootKeyToHiveName(key.root);
  if (!key.shown.empty()) item += "\\" + key.shown;
  if (!value.empty()) item += " [" + value + "]";
  refusals_.push_back({std::move(item), reason});
  return status;
}

RegStatus OfflineRegistry::follow(Key& key, int hops) {
  if (hops >= kMaxLinkHops) return RegStatus::Failed;
  RegValue target;
  const HiveLayer& layer = *key.top();
  if (layer.hive->value(layer.node, kLinkValueName, target) != RegStatus::Ok ||
      target.type != kRegLink)
    return RegStatus::NotFound;
  const std::string text = Utf16ToUtf8(Utf16FromLeBytes(target.data));
  for (const KernelRoot& known : kKernelRoots) {
    const std::string prefix = known.prefix;
    if (!StartsWithNoCase(text + "\\", prefix)) continue;
    const RegAccess access = key.access;
    key = Key{};
    key.access = access;
    place(key, known.root, "");
    if (auto mount = mounts_.find({known.root, ""}); mount != mounts_.end())
      key.layers = mount->second.layers;
    const std::string rest = text.size() > prefix.size() ? text.substr(prefix.size()) : "";
    return walk(key, PartsOf(rest), true, hops + 1);
  }
  return RegStatus::NotFound;  // a target no mount holds is not reached
}

RegStatus OfflineRegistry::walk(Key& key, const std::vector<std::string>& parts, bool followLast,
                                int hops, bool create) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    RegStatus status = step(key, parts[i]);
    if (status == RegStatus::NotFound && create) status = createStep(key, parts[i]);
    if (status != RegStatus::Ok) return status;
    const HiveLayer* top = key.top();
    if (!top || key.layers.size() != 1 || !top->hive->isLink(top->node)) continue;
    if (followLast || i + 1 < parts.size()) {
      if (const RegStatus status = follow(key, hops); status != RegStatus::Ok) return status;
    } else {
      key.linkItself = true;
    }
  }
  return RegStatus::Ok;
}

RegStatus OfflineRegistry::openKey(RootKey root, const RegKeyHandle* parent,
                                   const std::string& path, RegAccess access, bool create,
                                   RegKeyPtr& out, LastLink last,
                                   RegView /*hive files are not redirected*/) {
  out.reset();
  auto key = std::make_unique<Key>();
  if (parent) {
    *key = static_cast<const Key&>(*parent);
    if (key->gone()) return RegStatus::NotFound;
  } else {
    place(*key, root, "");
    if (auto mount = mounts_.find({root, ""}); mount != mounts_.end())
      key->layers = mount->second.layers;
    else if (mountedChildren_.count({root, ""}) == 0)
      return RegStatus::NotFound;
  }
  key->access = access;
  const RegStatus status = walk(*key, PartsOf(path), last == LastLink::Follow, 0, create);
  if (status != RegStatus::Ok) return status;
  out = std::move(key);
  return RegStatus::Ok;
}

const OfflineRegistry::Key* OfflineRegistry::live(const RegKeyHandle& handle) {
  const Key& key = static_cast<const Key&>(handle);
  return key.gone() ? nullptr : &key;
}

RegStatus OfflineRegistry::subkeyNames(const RegKeyHandle& handle, std::vector<std::string>& out) {
  out.clear();
  const Key* found = live(handle);
  if (!found) return RegStatus::NotFound;
  const Key& key = *found;
  if (key.linkItself) return RegStatus::Ok;
  const auto mounted =
      key.mountsBelow ? mountedChildren_.find({key.root, key.folded}) : mountedChildren_.end();
  if (key.layers.size() == 1 && mounted == mountedChildren_.end()) {  // the common case
    const std::vector<HiveChild>* children = key.top()->hive->children(key.top()->node);
    if (!children) return RegStatus::Failed;
    out.reserve(children->size());
    for (const HiveChild& child : *children) out.push_back(child.name);
    return RegStatus::Ok;
  }
  std::set<std::string> seen;
  std::vector<std::pair<std::string, std::string>> merged;  // folded, name
  auto add = [&](const std::string& name) {
    std::string folded = UpperCase(name);
    if (seen.insert(folded).second) merged.emplace_back(std::move(folded), name);
  };
  for (const HiveLayer& layer : key.layers) {
    if (!layer.hive->alive(layer.node)) continue;
    const std::vector<HiveChild>* children = layer.hive->children(layer.node);
    if (!children) return RegStatus::Failed;
    for (const HiveChild& child : *children) add(child.name);
  }
  if (mounted != mountedChildren_.end())
    for (const std::string& name : mounted->second) add(name);
  std::stable_sort(merged.begin(), merged.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& entry : merged) out.push_back(std::move(entry.second));
  return RegStatus::Ok;
}

RegStatus OfflineRegistry::values(const RegKeyHandle& handle, std::vector<RegValue>& out) {
  // `out` is filled in place: a walk hands the same vector to every key.
  const Key* key = live(handle);
  const HiveLayer* top = key ? key->top() : nullptr;
  if (top && top->hive->readValues(top->node, out)) return RegStatus::Ok;
  out.clear();
  return !key ? RegStatus::NotFound : !top ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus OfflineRegistry::valueNames(const RegKeyHandle& handle, std::vector<std::string>& out) {
  out.clear();
  const Key* key = live(handle);
  if (!key) return RegStatus::NotFound;
  const HiveLayer* top = key->top();
  if (!top) return RegStatus::Ok;
  std::optional<std::vector<std::string>> names = top->hive->valueNames(top->node);
  if (!names) return RegStatus::Failed;
  out = std::move(*names);
  return RegStatus::Ok;
}

RegStatus OfflineRegistry::queryValue(const RegKeyHandle& handle, const std::string& name,
                                      RegValue& out) {
  const Key* key = live(handle);
  if (!key || !key->top()) return RegStatus::NotFound;
  return key->top()->hive->value(key->top()->node, name, out);
}

RegStatus OfflineRegistry::keyInfo(const RegKeyHandle& handle, RegKeyInfo& out) {
  out = {};
  std::vector<std::string> names;
  if (const RegStatus status = subkeyNames(handle, names); status != RegStatus::Ok) return status;
  out.subkeyCount = static_cast<std::uint32_t>(names.size());
  const HiveLayer* top = static_cast<const Key&>(handle).top();
  if (!top) return RegStatus::Ok;
  std::optional<std::size_t> count = top->hive->valueCount(top->node);
  if (!count) return RegStatus::Failed;
  out.valueCount = static_cast<std::uint32_t>(*count);
  return RegStatus::Ok;
}

// A value write goes to the key's first layer; a read handle, a virtual key
// and a link opened itself refuse it.
const OfflineRegistry::Key* OfflineRegistry::valueTarget(const RegKeyHandle& handle,
                                                         RegStatus& status) {
  const Key* key = live(handle);
  status = !key ? RegStatus::NotFound
           : key->access == RegAccess::Read || !key->top() || key->linkItself
               ? RegStatus::AccessDenied
               : RegStatus::Ok;
  return status == RegStatus::Ok ? key : nullptr;
}

RegStatus OfflineRegistry::setValue(const RegKeyHandle& handle, const RegValue& value) {
  RegStatus status;
  const Key* key = valueTarget(handle, status);
  if (!key) return status;
  std::string reason;
  status = key->top()->hive->setValue(key->top()->node, value, reason);
  return status == RegStatus::Ok ? status : refused(*key, value.name, status, reason);
}

RegStatus OfflineRegistry::deleteValue(const RegKeyHandle& handle, const std::string& name) {
  RegStatus status;
  const Key* key = valueTarget(handle, status);
  if (!key) return status;
  std::string reason;
  status = key->top()->hive->deleteValue(key->top()->node, name, reason);
  if (status == RegStatus::Ok || status == RegStatus::NotFound) return status;
  return refused(*key, name, status, reason);
}

RegStatus OfflineRegistry::deleteLeafKey(const RegKeyHandle& handle, const std::string& name) {
  const Key* parent = live(handle);
  if (!parent) return RegStatus::NotFound;
  if (parent->linkItself || name.empty() || name.find('\\') != std::string::npos)
    return RegStatus::NotFound;
  if (parent->mountsBelow) {
    const std::string folded = Folded(parent->folded, name);
    if (mounts_.count({parent->root, folded}) || mountedChildren_.count({parent->root, folded}))
      return RegStatus::AccessDenied;  // a hive's root or a key above one
  }
  for (const HiveLayer& layer : parent->layers) {
    const std::optional<HiveNode> child = layer.hive->child(layer.node, name);
    if (!child) continue;
    const std::vector<HiveChild>* below = layer.hive->children(*child);
    if (!below) return RegStatus::Failed;
    if (!below->empty()) return RegStatus::AccessDenied;
    Key shownAt = *parent;
    shownAt.shown = parent->shown.empty() ? name : parent->shown + "\\" + name;
    std::string reason;
    const RegStatus status = layer.hive->deleteChild(layer.node, *child, reason);
    return status == RegStatus::Ok ? status : refused(shownAt, "", status, reason);
  }
  return RegStatus::NotFound;
}

// Hive files change only through this registry: the key's parent, found
// again by the path the key was opened by, holds exactly the key's node.
RegStatus OfflineRegistry::deleteOpenKey(const RegKeyHandle& handle) {
  const Key* key = live(handle);
  if (!key) return RegStatus::NotFound;
  if (key->access == RegAccess::Read || key->shown.empty() || key->virtualKey())
    return RegStatus::AccessDenied;
  const std::size_t slash = key->shown.rfind('\\');
  const std::string parentPath = slash == std::string::npos ? "" : key->shown.substr(0, slash);
  const std::string leaf = key->shown.substr(slash == std::string::npos ? 0 : slash + 1);
  RegKeyPtr parent;
  if (const RegStatus opened =
          openKey(key->root, nullptr, parentPath, RegAccess::All, false, parent);
      opened != RegStatus::Ok)
    return opened;
  // deleteLeafKey removes the child of the first layer that holds the name.
  for (const HiveLayer& layer : static_cast<const Key&>(*parent).layers) {
    const std::optional<HiveNode> child = layer.hive->child(layer.node, leaf);
    if (!child) continue;
    const bool same = layer.hive == key->top()->hive && *child == key->top()->node;
    return same ? deleteLeafKey(*parent, leaf) : RegStatus::NotFound;
  }
  return deleteLeafKey(*parent, leaf);  // a mount point: refused there
}

}  // namespace hs::offline

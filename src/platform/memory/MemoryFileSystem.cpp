#include "platform/memory/MemoryFileSystem.h"

#include <cctype>
#include <set>

#include "common/Text.h"
#include "platform/ExpandVariables.h"

namespace hs {

struct MemoryFileSystem::Node {
  std::string name;
  bool isFolder = true;
  std::string content;
  std::optional<std::string> shortcutTarget;
  bool unreadableShortcut = false;
  bool isLink = false;
  std::optional<std::string> linkTarget;  // where a link with a known target leads
  std::int64_t modified = 1700000000;
  std::map<std::string, std::unique_ptr<Node>> children;  // by upper-case name
};

struct MemoryFileSystem::State {
  Node root;  // children are drive roots such as "C:"
  std::map<char, DriveType> driveTypes;
  std::set<char> unreadyVolumes;
  std::map<std::string, std::string> environment;  // upper-case name -> value
  std::map<int, std::string> specialFolders;
  std::set<std::string> denied;    // normalized upper-case paths
  std::set<std::string> readOnly;  // normalized upper-case folder paths
  std::optional<std::uint64_t> freeBytes;
  bool failFlushes = false;
  std::int64_t clock = 1700000000;
  std::string tempFolder = "C:\\Users\\Admin\\Temp";
  std::uint64_t tempCounter = 0;
};

namespace {

using Node = MemoryFileSystem::Node;

// Splits a Windows path into components the way the system resolves it.
// Returns false for paths that are not drive-absolute ("C:\...").
bool Components(const std::string& path, std::vector<std::string>& out) {
  out.clear();
  if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0])))
    return false;
  if (path.size() > 2 && path[2] != '\\' && path[2] != '/') return false;
  out.push_back(UpperCase(path.substr(0, 2)));
  std::string part;
  const auto flush = [&] {
    if (part.empty() || part == ".") {
    } else if (part == "..") {
      if (out.size() > 1) out.pop_back();
    } else {
      out.push_back(part);
    }
    part.clear();
  };
  for (std::size_t i = 2; i < path.size(); ++i) {
    const char c = path[i];
    if (c == '\\' || c == '/') {
      flush();
    } else {
      part += c;
    }
  }
  while (!part.empty() && (part.back() == ' ' || part.back() == '.') && part != "..")
    part.pop_back();
  flush();
  return true;
}

bool IsUncPath(const std::string& path) {
  return path.size() > 2 && (path[0] == '\\' || path[0] == '/') &&
         (path[1] == '\\' || path[1] == '/') && path[2] != '?' && path[2] != '.';
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

bool HasInvalidCharacter(const std::vector<std::string>& parts) {
  for (std::size_t i = 1; i < parts.size(); ++i)
    for (char c : parts[i])
      if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
          (static_cast<unsigned char>(c) < 32))
        return true;
  return false;
}

std::string JoinUpper(const std::vector<std::string>& parts, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) joined += (i ? "\\" : "") + UpperCase(parts[i]);
  return joined;
}

class MemoryFileWriter : public FileWriter {
 public:
  MemoryFileWriter(std::shared_ptr<MemoryFileSystem::State> state, Node* node)
      : m_state(std::move(state)), m_node(node) {}
  FsStatus write(const std::string& bytes) override {
    if (m_state->freeBytes) {
      if (*m_state->freeBytes < bytes.size()) {
        m_node->content += bytes.substr(0, static_cast<std::size_t>(*m_state->freeBytes));
        *m_state->freeBytes = 0;
        return FsStatus::DiskFull;
      }
      *m_state->freeBytes -= bytes.size();
    }
    m_node->content += bytes;
    return FsStatus::Ok;
  }
  FsStatus flush() override { return m_state->failFlushes ? FsStatus::Failed : FsStatus::Ok; }

 private:
  std::shared_ptr<MemoryFileSystem::State> m_state;
  Node* m_node;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : m_state(std::make_shared<State>()) {
  setDriveType('c', DriveType::Fixed);
  addFolder("C:\\");
}

MemoryFileSystem::~MemoryFileSystem() = default;

namespace {

// Rewrites `parts` into the path they lead to: links with a known target are
// followed (the last one only with followLast), existing names take the
// spelling they were created with. False for a loop of links.
bool Resolve(Node& root, std::vector<std::string>& parts, bool followLast, int depth = 0) {
  Node* node = &root;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto it = node->children.find(UpperCase(parts[i]));
    if (it == node->children.end()) return true;
    node = it->second.get();
    parts[i] = node->name;
    if (!node->linkTarget || (i + 1 == parts.size() && !followLast)) continue;
    std::vector<std::string> target;
    if (depth >= 32 || !Components(*node->linkTarget, target)) return false;
    target.insert(target.end(), parts.begin() + static_cast<std::ptrdiff_t>(i) + 1, parts.end());
    parts = std::move(target);
    return Resolve(root, parts, followLast, depth + 1);
  }
  return true;
}

Node* FindExact(Node& root, const std::vector<std::string>& parts) {
  Node* node = &root;
  for (const std::string& part : parts) {
    const auto it = node->children.find(UpperCase(part));
    if (it == node->children.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

Node* Find(Node& root, const std::vector<std::string>& parts, bool followLast = true) {
  std::vector<std::string> resolved = parts;
  return Resolve(root, resolved, followLast) ? FindExact(root, resolved) : nullptr;
}

Node* Make(Node& root, const std::vector<std::string>& parts, std::int64_t stamp) {
  Node* node = &root;
  for (const std::string& part : parts) {
    auto& slot = node->children[UpperCase(part)];
    if (!slot) {
      slot = std::make_unique<Node>();
      slot->name = part;
      slot->modified = stamp;
    }
    node = slot.get();
  }
  return node;
}

}  // namespace

void MemoryFileSystem::addFolder(const std::string& path) {
  std::vector<std::string> parts;
  if (Components(path, parts)) Make(m_state->root, parts, m_state->clock);
}

void MemoryFileSystem::addFolderLink(const std::string& path) {
  std::vector<std::string> parts;
  if (Components(path, parts)) Make(m_state->root, parts, m_state->clock)->isLink = true;
}

void MemoryFileSystem::addLink(const std::string& path, const std::string& target) {
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return;
  Node* node = Make(m_state->root, parts, m_state->clock);
  node->isLink = true;
  node->linkTarget = target;
  node->isFolder = false;
}

void MemoryFileSystem::setTempFolder(const std::string& folder) {
  m_state->tempFolder = folder;
}

void MemoryFileSystem::addFile(const std::string& path, const std::string& content) {
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return;
  Node* node = Make(m_state->root, parts, m_state->clock);
  node->isFolder = false;
  node->content = content;
}

void MemoryFileSystem::addShortcut(const std::string& path, const std::string& target) {
  addFile(path, "L");
  std::vector<std::string> parts;
  Components(path, parts);
  Find(m_state->root, parts)->shortcutTarget = target;
}

void MemoryFileSystem::addUnreadableShortcut(const std::string& path) {
  addFile(path, "garbage");
  std::vector<std::string> parts;
  Components(path, parts);
  Find(m_state->root, parts)->unreadableShortcut = true;
}

void MemoryFileSystem::setAnsiCodePage(std::shared_ptr<const CodePage> page) {
  if (page) m_codePage = std::move(page);
}

void MemoryFileSystem::remove(const std::string& path) {
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return;
  const std::string leaf = UpperCase(parts.back());
  parts.pop_back();
  if (Node* parent = Find(m_state->root, parts)) parent->children.erase(leaf);
}

void MemoryFileSystem::setDriveType(char letter, DriveType type) {
  m_state->driveTypes[static_cast<char>(std::tolower(letter))] = type;
}

void MemoryFileSystem::setVolumeReady(char letter, bool ready) {
  const char lower = static_cast<char>(std::tolower(letter));
  if (ready)
    m_state->unreadyVolumes.erase(lower);
  else
    m_state->unreadyVolumes.insert(lower);
}

void MemoryFileSystem::setEnvironment(const std::string& name, const std::string& value) {
  m_state->environment[UpperCase(name)] = value;
}

void MemoryFileSystem::setSpecialFolder(int csidl, const std::string& path) {
  m_state->specialFolders[csidl] = path;
  addFolder(path);
}

void MemoryFileSystem::denyAccess(const std::string& path) {
  std::vector<std::string> parts;
  if (Components(path, parts)) m_state->denied.insert(JoinUpper(parts, parts.size()));
}

void MemoryFileSystem::makeReadOnly(const std::string& folder) {
  std::vector<std::string> parts;
  if (Components(folder, parts)) m_state->readOnly.insert(JoinUpper(parts, parts.size()));
}

void MemoryFileSystem::setFreeBytes(std::optional<std::uint64_t> bytes) {
  m_state->freeBytes = bytes;
}

void MemoryFileSystem::failFlushes(bool fail) {
  m_state->failFlushes = fail;
}

PathProbe MemoryFileSystem::probe(const std::string& path) {
  ++m_probeCount;
  std::vector<std::string> parts;
  if (!Components(path, parts)) {
    // A share that this file system does not hold is out of reach, not
    // known to be missing.
    return IsUncPath(path) ? PathProbe::Inaccessible : PathProbe::NotFound;
  }
  for (std::size_t n = 1; n <= parts.size(); ++n)
    if (m_state->denied.count(JoinUpper(parts, n))) return PathProbe::Inaccessible;
  if (HasInvalidCharacter(parts)) return PathProbe::NotFound;
  const Node* node = Find(m_state->root, parts);
  if (!node) return PathProbe::NotFound;
  if (node->isFolder) return PathProbe::Folder;
  // "file.txt\" asks for a folder; the system finds none.
  return EndsWithSeparator(path) ? PathProbe::NotFound : PathProbe::File;
}

DriveType MemoryFileSystem::driveType(char letter) {
  const auto it = m_state->driveTypes.find(static_cast<char>(std::tolower(letter)));
  return it == m_state->driveTypes.end() ? DriveType::NoRootDir : it->second;
}

bool MemoryFileSystem::volumeReady(const std::string& root) {
  if (root.empty()) return false;
  const char letter = static_cast<char>(std::tolower(root[0]));
  return m_state->driveTypes.count(letter) && !m_state->unreadyVolumes.count(letter);
}

std::optional<std::string> MemoryFileSystem::expandEnvironment(const std::string& text) {
  return ExpandVariables(text, [this](const std::string& name) -> std::optional<std::string> {
    const auto it = m_state->environment.find(UpperCase(name));
    if (it == m_state->environment.end()) return std::nullopt;
    return it->second;
  });
}

std::string MemoryFileSystem::specialFolder(int csidl) {
  const auto it = m_state->specialFolders.find(csidl);
  return it == m_state->specialFolders.end() ? std::string() : it->second;
}

FsStatus MemoryFileSystem::listDirectory(const std::string& folder, std::vector<DirEntry>& out) {
  out.clear();
  const PathProbe state = probe(folder);
  if (state == PathProbe::Inaccessible) return FsStatus::AccessDenied;
  if (state != PathProbe::Folder) return FsStatus::NotFound;
  std::vector<std::string> parts;
  Components(folder, parts);
  for (const auto& [upper, child] : Find(m_state->root, parts)->children) {
    const bool folder =
        child->linkTarget ? probe(*child->linkTarget) == PathProbe::Folder : child->isFolder;
    out.push_back({child->name, folder, child->content.size(), child->modified, child->isLink});
  }
  return FsStatus::Ok;
}

ShortcutTarget MemoryFileSystem::readShortcut(const std::string& path) {
  std::vector<std::string> parts;
  if (!Components(path, parts)) return {};
  const Node* node = Find(m_state->root, parts);
  if (!node || node->isFolder || node->unreadableShortcut) return {};
  return {true, node->shortcutTarget.value_or("")};
}

FsStatus MemoryFileSystem::createDirectory(const std::string& path) {
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return FsStatus::Failed;
  const std::string leaf = parts.back();
  std::vector<std::string> parentParts(parts.begin(), parts.end() - 1);
  Node* parent = Find(m_state->root, parentParts);
  if (!parent || !parent->isFolder) return FsStatus::NotFound;
  if (m_state->readOnly.count(JoinUpper(parentParts, parentParts.size())))
    return FsStatus::AccessDenied;
  if (parent->children.count(UpperCase(leaf))) return FsStatus::Failed;  // already exists
  Make(m_state->root, parts, m_state->clock);
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::openForWrite(const std::string& path, bool append,
                                        std::unique_ptr<FileWriter>& out) {
  out.reset();
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return FsStatus::Failed;
  if (!Resolve(m_state->root, parts, true)) return FsStatus::Failed;
  std::vector<std::string> parentParts(parts.begin(), parts.end() - 1);
  const Node* parent = Find(m_state->root, parentParts);
  if (!parent || !parent->isFolder) return FsStatus::NotFound;
  if (m_state->readOnly.count(JoinUpper(parentParts, parentParts.size())) ||
      m_state->denied.count(JoinUpper(parts, parts.size())))
    return FsStatus::AccessDenied;
  // Windows refuses to open a folder as a file, empty or not.
  if (const Node* existing = Find(m_state->root, parts); existing && existing->isFolder)
    return FsStatus::AccessDenied;
  Node* node = Make(m_state->root, parts, ++m_state->clock);
  node->isFolder = false;
  node->modified = m_state->clock;
  if (!append) node->content.clear();
  out = std::make_unique<MemoryFileWriter>(m_state, node);
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::readFile(const std::string& path, std::string& out) {
  const PathProbe state = probe(path);
  if (state == PathProbe::Inaccessible) return FsStatus::AccessDenied;
  if (state != PathProbe::File) return FsStatus::NotFound;
  std::vector<std::string> parts;
  Components(path, parts);
  out = Find(m_state->root, parts)->content;
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::readFileFrom(const std::string& path, std::uint64_t offset,
                                        std::string& out) {
  const PathProbe state = probe(path);
  if (state == PathProbe::Inaccessible) return FsStatus::AccessDenied;
  if (state != PathProbe::File) return FsStatus::NotFound;
  std::vector<std::string> parts;
  Components(path, parts);
  const std::string& content = Find(m_state->root, parts)->content;
  out = offset < content.size() ? content.substr(static_cast<std::size_t>(offset)) : std::string();
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::replaceFile(const std::string& from, const std::string& to) {
  std::string content;
  if (const FsStatus status = readFile(from, content); status != FsStatus::Ok) return status;
  std::vector<std::string> target;
  if (!Components(to, target) || target.size() < 2) return FsStatus::Failed;
  std::vector<std::string> parentParts(target.begin(), target.end() - 1);
  if (m_state->readOnly.count(JoinUpper(parentParts, parentParts.size())))
    return FsStatus::AccessDenied;
  if (const Node* existing = Find(m_state->root, target); existing && existing->isFolder)
    return FsStatus::AccessDenied;  // a folder is never replaced by a file
  Node* node = Make(m_state->root, target, ++m_state->clock);
  node->isFolder = false;
  node->content = content;
  node->modified = m_state->clock;
  remove(from);
  return FsStatus::Ok;
}

bool MemoryFileSystem::deleteSilently(const std::string& path) {
  std::vector<std::string> parts;
  if (!Components(path, parts) || parts.size() < 2) return false;
  std::vector<std::string> parentParts(parts.begin(), parts.end() - 1);
  if (m_state->readOnly.count(JoinUpper(parentParts, parentParts.size()))) return false;
  // A link goes itself; what it leads to stays.
  if (!Resolve(m_state->root, parts, false)) return false;
  const std::string leaf = UpperCase(parts.back());
  parts.pop_back();
  Node* parent = FindExact(m_state->root, parts);
  if (!parent || !parent->children.count(leaf)) return false;
  parent->children.erase(leaf);
  return true;
}

bool MemoryFileSystem::moveToRecycleBin(const std::string& path) {
  if (probe(path) != PathProbe::File || !deleteSilently(path)) return false;
  m_recycled.push_back(path);
  return true;
}

FsStatus MemoryFileSystem::resolvePath(const std::string& path, std::string& out) {
  out.clear();
  std::vector<std::string> parts;
  if (!Components(path, parts)) return FsStatus::NotFound;
  if (!Resolve(m_state->root, parts, true)) return FsStatus::Failed;
  if (probe(path) == PathProbe::Inaccessible) return FsStatus::AccessDenied;
  const Node* node = FindExact(m_state->root, parts);
  if (!node || (!node->isFolder && EndsWithSeparator(path))) return FsStatus::NotFound;
  out = parts[0] + "\\";
  for (std::size_t i = 1; i < parts.size(); ++i) out += (i > 1 ? "\\" : "") + parts[i];
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::isLink(const std::string& path, bool& link) {
  link = false;
  std::vector<std::string> parts;
  if (!Components(path, parts)) return FsStatus::NotFound;
  const Node* node = Find(m_state->root, parts, false);
  if (!node) return FsStatus::NotFound;
  link = node->isLink;
  return FsStatus::Ok;
}

FsStatus MemoryFileSystem::createPrivateTempFile(std::string& path,
                                                 std::unique_ptr<FileWriter>& out) {
  out.reset();
  path.clear();
  if (probe(m_state->tempFolder) == PathProbe::NotFound) addFolder(m_state->tempFolder);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string candidate =
        m_state->tempFolder + "\\hs" + std::to_string(++m_state->tempCounter) + ".tmp";
    std::vector<std::string> parts;
    Components(candidate, parts);
    if (Find(m_state->root, parts, false)) continue;  // never through an existing name
    const FsStatus status = openForWrite(candidate, false, out);
    if (status == FsStatus::Ok) path = candidate;
    return status;
  }
  return FsStatus::Failed;
}

}  // namespace hs

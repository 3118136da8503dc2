#pragma once
// The registry as the engine sees it. Two implementations: an in-memory one for
// tests and fixtures, and the Win32 one over advapi32. Both enumerate in
// Windows' order: subkeys sorted case-insensitively, values in creation order.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/RootKey.h"

namespace hs {

// Registry value types, numbered as Windows numbers them.
enum RegType : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
  kRegResourceList = 8,
  kRegFullResourceDescriptor = 9,
  kRegResourceRequirementsList = 10,
  kRegQword = 11,
};

enum class RegStatus {
  Ok,
  NotFound,      // key or value does not exist (also: key deleted while open)
  AccessDenied,  // the system refused
  Failed,        // any other failure
};

// A value exactly as stored: string types hold UTF-16LE bytes as Windows keeps
// them (normally with their terminating NUL), so nothing is lost on the way.
struct RegValue {
  std::string name;  // "" is the default value
  std::uint32_t type = kRegNone;
  std::vector<std::uint8_t> data;
};

struct RegKeyInfo {
  std::uint32_t subkeyCount = 0;
  std::uint32_t valueCount = 0;
  // When the key or one of its values was last created, set or deleted, in
  // the units of RegistryBackend::writeClock(); 0 where the backend keeps no such
  // time. Adding or deleting a subkey moves its parent's time too.
  std::uint64_t lastWriteTime = 0;
};

enum class RegAccess { Read, All };

// What openKey does when the last component of its path is a registry link
// (a key made with REG_OPTION_CREATE_LINK). Earlier components always follow
// links, so paths through the system's own links keep working.
enum class LastLink {
  Follow,    // open the key the link points to
  OpenLink,  // open the link key itself: it shows its SymbolicLinkValue and no subkeys
};

// Which of a 64-bit system's two registry views a key is opened in. A 32-bit
// process's own view shows the 32-bit half of HKEY_LOCAL_MACHINE\Software
// (what Wow6432Node holds); the system's own lists that 64-bit programs read
// are in the 64-bit view. A 64-bit process's own view is the 64-bit one, and
// backends without redirection (memory, hive files) have only one view.
enum class RegView { Own, SixtyFourBit };

// An open key. Closing happens on destruction.
class RegKeyHandle {
 public:
  virtual ~RegKeyHandle() = default;
};
using RegKeyPtr = std::unique_ptr<RegKeyHandle>;

class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;

  // Opens (or with create, creates) `path` below `parent`, or below the root
  // key when parent is null. An empty path opens the parent/root itself.
  // On failure `out` is left empty. Overrides repeat the defaults of `last`
  // and `view`.
  virtual RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                            RegAccess access, bool create, RegKeyPtr& out,
                            LastLink last = LastLink::Follow, RegView view = RegView::Own) = 0;
  virtual RegStatus subkeyNames(const RegKeyHandle& key, std::vector<std::string>& out) = 0;
  virtual RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) = 0;
  // The key's first `count` values (all of them when it holds fewer). A
  // caller that knows the count from keyInfo saves the listing's last call.
  virtual RegStatus valuesUpTo(const RegKeyHandle& key, std::size_t count,
                               std::vector<RegValue>& out) {
    const RegStatus status = values(key, out);
    if (status == RegStatus::Ok && out.size() > count) out.resize(count);
    return status;
  }
  virtual RegStatus valueNames(const RegKeyHandle& key, std::vector<std::string>& out) = 0;
  virtual RegStatus queryValue(const RegKeyHandle& key, const std::string& name, RegValue& out) = 0;
  virtual RegStatus keyInfo(const RegKeyHandle& key, RegKeyInfo& out) = 0;
  // The clock a write stamps on its key, in 100-ns units (Windows' FILETIME):
  // a write after this call stamps a time no earlier. 0 where the backend
  // keeps no write times.
  virtual std::uint64_t writeClock() { return 0; }
  virtual RegStatus setValue(const RegKeyHandle& key, const RegValue& value) = 0;
  virtual RegStatus deleteValue(const RegKeyHandle& key, const std::string& name) = 0;
  // Deletes the direct subkey `name` of `parent`; it must have no subkeys.
  // A link is deleted itself: its target is never reached.
  virtual RegStatus deleteLeafKey(const RegKeyHandle& parent, const std::string& name) = 0;
  // Deletes the key `key` is open on (opened with RegAccess::All); it must
  // have no subkeys. What was read through the handle is what goes: a key
  // put in its place meanwhile is never reached. Opened with
  // LastLink::OpenLink, a link is deleted itself.
  virtual RegStatus deleteOpenKey(const RegKeyHandle& key) = 0;
};

}  // namespace hs

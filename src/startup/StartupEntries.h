#pragma once
// The programs Windows starts by itself: the text values of the Run-type keys
// under both hives and the shortcuts in the two Startup folders. Keys are
// read with read access only, so a user without administrator rights still
// sees what HKEY_LOCAL_MACHINE starts.
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "translation/Translation.h"

namespace hs {

enum class StartupKind { RegistryValue, Shortcut };

// Whether Windows starts an entry, as its own startup list records it.
enum class StartupState {
  Enabled,
  Disabled,
  // Started every time: the system's list switches only the Run keys and
  // the Startup folders (not RunOnce, policies or RunServices).
  NotSwitchable,
};

struct StartupEntry {
  StartupKind kind = StartupKind::RegistryValue;
  std::string caption;   // the value's name, or the shortcut's file name
  std::string file;      // the value's text as stored, or the shortcut's target
  std::string location;  // "HKEY_...\key path", or the Startup folder's label
  // Where a deletion finds it: the key (root and path) or the folder.
  RootKey root = RootKey::CurrentUser;
  std::string keyPath;
  std::string folder;     // with its trailing backslash
  bool allUsers = false;  // a shortcut of the common Startup folder
  // Listed by a 32-bit process on 64-bit Windows: what it read below
  // HKEY_LOCAL_MACHINE\Software was the 32-bit view's.
  bool listedByWow64Process = false;
  StartupState state = StartupState::Enabled;
};

struct StartupListOptions {
  int windowsVersionCode = 0;  // RunServices is read only on the 9x codes
  // The 32-bit view's keys below Software\Wow6432Node too (a 64-bit process
  // sees them only there; on 32-bit Windows they do not exist).
  bool wow6432NodeKeys = false;
  std::string startupLabel = "Startup";
  std::string commonStartupLabel = "Common Startup";
  // A 32-bit process on 64-bit Windows lists: its HKEY_LOCAL_MACHINE\Software
  // is the 32-bit view, and the system's startup list is in the 64-bit one.
  bool wow64Process = false;
};

// The options as the program lists entries: its Windows version code, the
// folder labels in `texts`' language, and in a 64-bit build the 32-bit
// view's keys, which such a process sees only below Wow6432Node.
StartupListOptions ProgramStartupListOptions(int windowsVersionCode, bool wow64Process,
                                             const Translation& texts);

// The key paths read below both hives, in the order they are listed.
std::vector<std::string> StartupKeyPaths(const StartupListOptions& options);

// Every entry, in the order found: each key path under HKEY_CURRENT_USER and
// then HKEY_LOCAL_MACHINE, then the user's and the common Startup folder,
// each with its state. Keys and folders that cannot be read add nothing.
std::vector<StartupEntry> ListStartupEntries(RegistryBackend& registry, FileSystemBackend& fs,
                                             const StartupListOptions& options);

}  // namespace hs

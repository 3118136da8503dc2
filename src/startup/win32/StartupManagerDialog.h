#pragma once
// TfrmStartupManager ("Startup Manager"): lists what Windows starts by
// itself with each entry's state as the system's own startup list shows it,
// switches the ticked entries off or on as that list does, and deletes them. The listing and the
// deletions are the engine's (startup/); the dialog only maps them onto its list.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "regfile/RegFileWriter.h"
#include "startup/StartupApproval.h"
#include "startup/StartupRemoval.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

inline constexpr int kStartupList = 1201;
inline constexpr int kStartupSelectAll = 1202;
inline constexpr int kStartupSelectNone = 1203;
inline constexpr int kStartupDeleteEntry = 1204;
inline constexpr int kStartupDisable = 1205;
inline constexpr int kStartupEnable = 1206;

struct StartupManagerInput {
  RegistryBackend& registry;
  FileSystemBackend& fs;
  const Translation& translation;
  std::string language;
  std::string backupFolder;  // where deleted registry values are backed up
  int windowsVersionCode = 0;
  bool wow64Process = false;  // a 32-bit process on 64-bit Windows
  // Tells the user which entries could not be deleted; unset: a message box.
  std::function<void(HWND owner, const std::string& text)> tellFailures{};
  std::function<LocalDateTime()> clock = LocalNow;
  // The moment written with a disabled entry (a FILETIME).
  std::function<std::uint64_t()> fileTimeNow = FileTimeNow;
};

struct StartupManagerOutput {
  int deletedCount = 0;
  std::string backupFile;  // "" when no registry value was deleted
  std::vector<StartupFailure> failures;
};

StartupManagerOutput StartupManagerDialog(HWND owner, const StartupManagerInput& input);

}  // namespace hs::win32

#pragma once
// Deleting startup entries so that nothing is lost: a registry value is first
// written to a backup file in the backup folder, read back and checked (the
// repair's verified backup, recorded so that it restores like the repair's),
// and deleted only when it is still what was backed up; a shortcut goes to
// the Recycle Bin. Deleting needs write access, asked for only now.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystemBackend.h"
#include "platform/RegistryBackend.h"
#include "regfile/RegFileWriter.h"
#include "startup/StartupEntries.h"

namespace hs {

class RepairRun;

struct StartupRow {
  StartupEntry entry;
  bool ticked = false;
};

struct StartupFailure {
  StartupEntry entry;
  std::string reason;
};

class StartupRemover {
 public:
  StartupRemover(RegistryBackend& registry, FileSystemBackend& fs, std::string backupFolder,
                 std::function<LocalDateTime()> clock = LocalNow);
  ~StartupRemover();
  StartupRemover(const StartupRemover&) = delete;
  StartupRemover& operator=(const StartupRemover&) = delete;

  // Deletes one entry; false with `reason` when it is still there.
  bool Delete(const StartupEntry& entry, std::string& reason);

  // The backup file of the registry values deleted so far ("" before the first).
  const std::string& BackupFile() const { return m_backupFile; }

 private:
  bool deleteValue(const StartupEntry& entry, std::string& reason);
  bool deleteShortcut(const StartupEntry& entry, std::string& reason);
  bool prepareBackup(std::string& reason);

  RegistryBackend& m_registry;
  FileSystemBackend& m_fs;
  std::string m_folder;
  std::function<LocalDateTime()> m_clock;
  std::unique_ptr<RepairRun> m_run;
  std::string m_backupFile;
};

// Deletes the ticked rows, from the last to the first, and takes the deleted
// ones out of `rows`; the others keep their order and ticks. What could not be
// deleted stays in `rows` and is returned, top to bottom.
std::vector<StartupFailure> DeleteTickedRows(StartupRemover& remover,
                                             std::vector<StartupRow>& rows);

// The failures as one message: a line per entry with its location and reason.
std::string FailureReport(const std::vector<StartupFailure>& failures, const std::string& heading);

}  // namespace hs

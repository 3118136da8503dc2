#include "startup/StartupRemoval.h"

#include <algorithm>

#include "repair/Repair.h"

namespace hs {

StartupRemover::StartupRemover(RegistryBackend& registry, FileSystemBackend& fs,
                               std::string backupFolder, std::function<LocalDateTime()> clock)
    : m_registry(registry),
      m_fs(fs),
      m_folder(std::move(backupFolder)),
      m_clock(clock ? std::move(clock) : LocalNow) {}

StartupRemover::~StartupRemover() = default;

bool StartupRemover::Delete(const StartupEntry& entry, std::string& reason) {
  reason.clear();
  return entry.kind == StartupKind::Shortcut ? deleteShortcut(entry, reason)
                                             : deleteValue(entry, reason);
}

// One backup file per opening of the dialog, made at the first deletion.
bool StartupRemover::prepareBackup(std::string& reason) {
  if (m_run) return true;
  if (CreateFolderTree(m_fs, m_folder) != FsStatus::Ok) {
    reason = "the backup folder " + m_folder + " cannot be created; nothing was deleted";
    return false;
  }
  m_run = std::make_unique<RepairRun>(m_registry, m_fs, m_folder, false);
  m_backupFile = MakeBackupFileName(m_folder, m_clock());
  m_run->SetBackupFile(m_backupFile);
  return true;
}

bool StartupRemover::deleteValue(const StartupEntry& entry, std::string& reason) {
  if (!prepareBackup(reason)) return false;
  try {
    if (m_run->DeleteRegistryValue(RootKeyToHiveName(entry.root), entry.keyPath, entry.caption))
      return true;
    reason = m_run->LastReason();
  } catch (const BackupWriteError& error) {
    reason = std::string(error.what()) + "; nothing was deleted";
  }
  if (reason.empty()) reason = "the value was not deleted";
  return false;
}

bool StartupRemover::deleteShortcut(const StartupEntry& entry, std::string& reason) {
  const std::string path = entry.folder + entry.caption;
  if (m_fs.probe(path) != PathProbe::File) {
    reason = "the shortcut " + path + " no longer exists";
    return false;
  }
  if (m_fs.moveToRecycleBin(path) && m_fs.probe(path) == PathProbe::NotFound) return true;
  reason = "the shortcut " + path + " could not be moved to the Recycle Bin";
  return false;
}

std::vector<StartupFailure> DeleteTickedRows(StartupRemover& remover,
                                             std::vector<StartupRow>& rows) {
  std::vector<StartupFailure> failures;
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i].ticked) continue;
    std::string reason;
    if (remover.Delete(rows[i].entry, reason))
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
    else
      failures.push_back({rows[i].entry, reason});
  }
  std::reverse(failures.begin(), failures.end());
  return failures;
}

std::string FailureReport(const std::vector<StartupFailure>& failures, const std::string& heading) {
  std::string text = heading;
  for (const StartupFailure& failure : failures)
    text += "\r\n\r\n" + failure.entry.caption + " (" + failure.entry.location + "):\r\n" +
            failure.reason;
  return text;
}

}  // namespace hs

#include "mainwindow/Repair.h"

#include "app/RegGlobal.h"
#include "common/Rot13.h"
#include "common/Text.h"
#include "mainwindow/ProtectedKeys.h"
#include "mainwindow/RegistrySnapshot.h"
#include "regfile/RegFileReader.h"

namespace hs {
namespace {

std::string FullPath(RootKey root, const std::string& keyPath) {
  return keyPath.empty() ? RootKeyToHiveName(root) : RootKeyToHiveName(root) + "\\" + keyPath;
}

bool HasEmptyComponent(const std::string& keyPath) {
  for (const std::string& part : Split(keyPath, '\\'))
    if (part.empty()) return true;
  return false;
}

}  // namespace

void RememberUnrepaired(const RepairOutcome& outcome, UnrepairedLists& lists) {
  if (outcome.end != RepairEnd::Completed) return;
  for (const NotRepaired& failed : outcome.notRepaired)
    lists.Add(failed.row.KeyPath, failed.row.ValueText);
}

FsStatus CreateFolderTree(FileSystemBackend& fs, const std::string& folder) {
  std::string path = folder;
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  // A share root ("\\server\share") cannot be created; start below it.
  std::size_t skip = 0;
  if (path.rfind("\\\\", 0) == 0) skip = 2;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
    const std::string prefix = path.substr(0, i);
    if (prefix.empty() || prefix.back() == ':' || prefix == "\\" || prefix == "\\\\") continue;
    if (skip > 0 && prefix.size() > 2) {
      --skip;
      continue;
    }
    if (fs.probe(prefix) != PathProbe::NotFound) continue;
    const FsStatus status = fs.createDirectory(prefix);
    if (status != FsStatus::Ok && fs.probe(prefix) != PathProbe::Folder) return status;
  }
  return fs.probe(path) == PathProbe::Folder ? FsStatus::Ok : FsStatus::Failed;
}

RepairRun::RepairRun(RegistryBackend& registry, FileSystemBackend& fs, std::string backupFolder,
                     bool restorePoint, RepairHooks hooks)
    : m_registry(registry),
      m_fs(fs),
      m_folder(std::move(backupFolder)),
      m_restorePoint(restorePoint),
      m_hooks(std::move(hooks)) {
  if (!m_hooks.clock) m_hooks.clock = LocalNow;
}

std::string RepairRun::FolderQuestion(const std::string& folder) {
  return folder + "," +
         GetLanString("RES_Directory_Not_Exist", "The backup directory does not exist.") +
         "\r\n" + GetLanString("RES_Create_Directory", "creates a new directory?");
}

void RepairRun::SetBackupFile(const std::string& fileName) {
  m_backupFile = fileName;
  m_sizeKnown = false;
}

bool RepairRun::fail(std::string reason) {
  m_reason = std::move(reason);
  return false;
}

bool RepairRun::prepareFolder(RepairOutcome& outcome) {
  if (m_fs.probe(m_folder) != PathProbe::NotFound) return true;
  if (m_hooks.confirmCreateFolder && !m_hooks.confirmCreateFolder(FolderQuestion(m_folder))) {
    outcome.end = RepairEnd::FolderDeclined;
    return false;
  }
  if (CreateFolderTree(m_fs, m_folder) == FsStatus::Ok) return true;
  outcome.end = RepairEnd::FolderFailed;
  outcome.error = "Cannot create " + m_folder;
  return false;
}

RepairOutcome RepairRun::Run(std::vector<Finding>& rows) {
  RepairOutcome outcome;
  if (!prepareFolder(outcome)) return outcome;
  if (rows.empty()) {
    outcome.end = RepairEnd::EmptyList;
    return outcome;
  }
  if (m_restorePoint && m_hooks.makeRestorePoint && !m_hooks.makeRestorePoint()) {
    outcome.end = RepairEnd::RestorePointCancelled;
    return outcome;
  }
  SetBackupFile(MakeBackupFileName(m_folder, m_hooks.clock()));
  outcome.backupFile = m_backupFile;
  m_backupWritten = false;

  // Bottom to top, so that removing a row never moves one still to be visited.
  std::vector<std::string> reasons(rows.size());
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i].Checked) continue;
    ++outcome.processedCount;
    bool repaired = false;
    try {
      repaired = repairRow(rows[i]);
    } catch (const BackupWriteError& error) {
      outcome.end = RepairEnd::Aborted;
      outcome.error = error.what();
      reasons[i] = error.what();
      for (std::size_t j = rows.size(); j-- > 0;) {
        if (!rows[j].Checked) continue;
        const std::string why = j < i ? "not attempted: the repair stopped: " + outcome.error
                                      : reasons[j];
        outcome.notRepaired.push_back({rows[j], why});
      }
      outcome.backupWritten = m_backupWritten;
      return outcome;
    }
    if (repaired) {
      rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
      reasons.erase(reasons.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      reasons[i] = m_reason;
    }
  }
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i].Checked) continue;
    outcome.notRepaired.push_back({rows[i], reasons[i]});
    rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
  outcome.backupWritten = m_backupWritten;
  return outcome;
}

bool RepairRun::repairRow(const Finding& row) {
  const std::size_t slash = row.KeyPath.find('\\');
  if (slash == std::string::npos) return fail("the row names no registry key or file path");
  const std::string hive = row.KeyPath.substr(0, slash);
  const std::string keyPath = row.KeyPath.substr(slash + 1);
  switch (row.Kind) {
    case FindingKind::fkKey:
      return DeleteRegistryKey(hive, keyPath);
    case FindingKind::fkValueInPath: {
      const std::size_t last = keyPath.rfind('\\');
      if (last == std::string::npos) return DeleteRegistryValue(hive, "", keyPath);
      return DeleteRegistryValue(hive, keyPath.substr(0, last), keyPath.substr(last + 1));
    }
    case FindingKind::fkNamedValue:
      return DeleteRegistryValue(hive, keyPath, row.ValueText);
    case FindingKind::fkSubkey:
      if (row.ValueText.empty()) return fail("the row names no subkey to delete");
      return DeleteRegistryKey(hive, keyPath + "\\" + row.ValueText);
    case FindingKind::fkFile:
      return deleteFile(row.KeyPath);
    case FindingKind::fkDefaultValue:
      return DeleteRegistryValue(hive, keyPath, "");
    case FindingKind::fkRotatedValue:
      return DeleteRegistryValue(hive, keyPath, Rot13(row.ValueText));
  }
  return fail("the row has an unknown repair kind");
}

bool RepairRun::deleteFile(const std::string& path) {
  switch (m_fs.probe(path)) {
    case PathProbe::NotFound: return fail("the file " + path + " no longer exists");
    case PathProbe::Folder: return fail(path + " is a folder, not a file; it is never deleted");
    case PathProbe::Inaccessible: return fail("the file " + path + " cannot be reached");
    case PathProbe::File: break;
  }
  if (!m_fs.deleteSilently(path)) return fail("the system refused to delete the file " + path);
  return true;
}

std::uint64_t RepairRun::currentFileSize() {
  if (!m_sizeKnown) {
    std::string existing;
    m_fileSize = m_fs.readFile(m_backupFile, existing) == FsStatus::Ok ? existing.size() : 0;
    m_sizeKnown = true;
  }
  return m_fileSize;
}

bool RepairRun::backUp(RootKey root, const std::string& keyPath, const std::string& valueName,
                       bool wholeKey, std::vector<KeySnapshot>& snapshot) {
  const std::uint64_t offset = currentFileSize();
  ExportResult written;
  try {
    written = ExportRegistryItem(m_fs, m_registry, m_backupFile, root, keyPath, valueName,
                                 wholeKey);
  } catch (const UnrepresentableError& error) {
    return fail(std::string(error.what()) + "; it is not deleted");
  }
  m_backupWritten = true;
  m_fileSize = (written.created ? 0 : offset) + written.bytesWritten;
  std::string readBack;
  if (m_fs.readFileFrom(m_backupFile, written.created ? 0 : offset, readBack) != FsStatus::Ok)
    throw BackupWriteError("Reading back the backup file " + m_backupFile + " failed");
  if (!written.created) readBack.insert(0, "REGEDIT4\r\n");
  RegFile file;
  RegFileError error;
  if (!ParseRegFile(readBack, m_fs.ansiCodePage(), file, error))
    return fail("the backup read back is not a valid registry file (" + error.message + ")");
  std::string reason;
  const bool read = wholeKey ? SnapshotKeyTree(m_registry, root, keyPath, snapshot, reason)
                             : SnapshotValue(m_registry, root, keyPath, valueName, snapshot, reason);
  if (!read) return fail(reason);
  if (!BackupMatches(file, root, snapshot, reason))
    return fail("the backup read back differs from the registry: " + reason);
  return true;
}

bool RepairRun::DeleteRegistryKey(const std::string& hive, const std::string& keyPathIn) {
  const auto root = HiveNameToRootKey(hive);
  if (!root) return fail("\"" + hive + "\" is not a hive name");
  std::string keyPath = keyPathIn;
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  if (keyPath.empty() || HasEmptyComponent(keyPath))
    return fail("\"" + FullPath(*root, keyPath) + "\" is not a well-formed key path");
  if (IsProtectedKey(*root, keyPath))
    return fail(FullPath(*root, keyPath) + " is a protected key; it is never deleted");
  RegKeyPtr key;
  if (m_registry.openKey(*root, nullptr, keyPath, RegAccess::Read, false, key) ==
      RegStatus::NotFound)
    return fail("the key " + FullPath(*root, keyPath) + " no longer exists");
  key.reset();
  std::vector<KeySnapshot> snapshot;
  if (!backUp(*root, keyPath, "", true, snapshot)) return false;
  std::string reason;
  if (!DeleteSnapshotTree(m_registry, *root, snapshot, reason)) return fail(reason);
  return true;
}

bool RepairRun::DeleteRegistryValue(const std::string& hive, const std::string& keyPath,
                                    const std::string& valueName) {
  const auto root = HiveNameToRootKey(hive);
  if (!root) return fail("\"" + hive + "\" is not a hive name");
  const std::string label =
      FullPath(*root, keyPath) + (valueName.empty() ? " (default value)" : " value \"" + valueName + "\"");
  RegKeyPtr key;
  const RegStatus opened =
      m_registry.openKey(*root, nullptr, keyPath, RegAccess::All, false, key);
  if (opened == RegStatus::NotFound)
    return fail("the key " + FullPath(*root, keyPath) + " no longer exists");
  if (opened != RegStatus::Ok)
    return fail("the key " + FullPath(*root, keyPath) + " cannot be opened for deleting");
  RegValue existing;
  if (m_registry.queryValue(*key, valueName, existing) != RegStatus::Ok)
    return fail("the " + label + " no longer exists");
  std::vector<KeySnapshot> snapshot;
  if (!backUp(*root, keyPath, valueName, false, snapshot)) return false;
  if (m_registry.deleteValue(*key, valueName) != RegStatus::Ok)
    return fail("the system refused to delete the " + label);
  return true;
}

}  // namespace hs

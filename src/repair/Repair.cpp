#include "repair/Repair.h"

#include <algorithm>

#include "common/Rot13.h"
#include "common/Text.h"
#include "platform/RegistryLinks.h"
#include "regfile/RegFileReader.h"
#include "repair/ProtectedKeys.h"
#include "repair/RegistrySnapshot.h"
#include "restore/RecycledFiles.h"

namespace hs {
namespace {

std::string FullPath(RootKey root, const std::string& keyPath) {
  return keyPath.empty() ? RootKeyToHiveName(root) : RootKeyToHiveName(root) + "\\" + keyPath;
}

std::string BackupGoneMessage(const std::string& file) {
  return "the backup file " + file +
         " is no longer where this repair wrote it (was it or its folder moved, renamed or "
         "deleted?); everything deleted so far is in that file, which restores from wherever it "
         "is now";
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

std::string RepairRun::FolderQuestion(const std::string& folder, const Translation& texts) {
  return folder + "," +
         texts.GetLanString("RES_Directory_Not_Exist", "The backup directory does not exist.") +
         "\r\n" + texts.GetLanString("RES_Create_Directory", "creates a new directory?");
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
  if (m_hooks.confirmCreateFolder &&
      !m_hooks.confirmCreateFolder(FolderQuestion(m_folder, m_hooks.texts))) {
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
  m_recycledFiles = false;
  m_rows.assign(rows.size(), {});
  clearBatch();
  m_batchLimit = 1;

  // Bottom to top; rows leave the list only at the end, so indexes hold.
  std::size_t next = rows.size();
  try {
    for (; next-- > 0;) {
      if (!rows[next].Checked) continue;
      ++outcome.processedCount;
      visitRow(next, rows[next]);
    }
    commitBatch();
  } catch (const BackupWriteError& error) {
    outcome.end = RepairEnd::Aborted;
    outcome.error = backupGone() ? BackupGoneMessage(m_backupFile) : error.what();
    // The batch's rows were attempted (a row the file cannot carry keeps its
    // own reason); from the stopping row up (`next` wraps when the last batch
    // stopped), rows with no outcome yet were not.
    for (const PendingItem& pending : m_batch)
      if (m_rows[pending.row].reason.empty()) m_rows[pending.row].reason = error.what();
    for (std::size_t j = 0; j < rows.size() && j <= next; ++j)
      if (!m_rows[j].repaired && m_rows[j].reason.empty())
        m_rows[j].reason = "not attempted: the repair stopped: " + outcome.error;
    clearBatch();
  }

  // A row whose item is kept stays in the list, checked, so the user sees
  // what is still there; only a row whose item is gone anyway leaves it. After
  // a stop every row not repaired stays.
  const bool stopped = outcome.end == RepairEnd::Aborted;
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i].Checked) continue;
    bool leaves = m_rows[i].repaired;
    if (!m_rows[i].repaired) {
      const bool gone = !stopped && targetGone(rows[i]);
      outcome.notRepaired.push_back({rows[i], m_rows[i].reason, !gone});
      leaves = gone;
    }
    if (leaves) rows.erase(rows.begin() + static_cast<std::ptrdiff_t>(i));
  }
  outcome.backupWritten = m_backupWritten;
  if (m_recycledFiles) outcome.recycledFilesNote = RecycledFilesNoteFor(m_backupFile);
  return outcome;
}

void RepairRun::visitRow(std::size_t index, const Finding& row) {
  if (row.Kind == FindingKind::fkFile) {
    // No backup: the batch before it is finished first, to keep the row order.
    commitBatch();
    m_rows[index].repaired = deleteFile(row.KeyPath);
    if (!m_rows[index].repaired) m_rows[index].reason = m_reason;
    return;
  }
  BackupItem item;
  if (!rowTarget(row, item)) {
    m_rows[index].reason = m_reason;
    return;
  }
  stage(index, std::move(item));
}

bool RepairRun::rowTarget(const Finding& row, BackupItem& out) {
  const std::size_t slash = row.KeyPath.find('\\');
  if (slash == std::string::npos) return fail("the row names no registry key or file path");
  const std::string hive = row.KeyPath.substr(0, slash);
  const std::string keyPath = row.KeyPath.substr(slash + 1);
  switch (row.Kind) {
    case FindingKind::fkKey:
      return keyTarget(hive, keyPath, out);
    case FindingKind::fkValueInPath: {
      const std::size_t last = keyPath.rfind('\\');
      if (last == std::string::npos) return valueTarget(hive, "", keyPath, out);
      return valueTarget(hive, keyPath.substr(0, last), keyPath.substr(last + 1), out);
    }
    case FindingKind::fkNamedValue:
      return valueTarget(hive, keyPath, row.ValueText, out);
    case FindingKind::fkSubkey:
      if (row.ValueText.empty()) return fail("the row names no subkey to delete");
      return keyTarget(hive, keyPath + "\\" + row.ValueText, out);
    case FindingKind::fkDefaultValue:
      return valueTarget(hive, keyPath, "", out);
    case FindingKind::fkRotatedValue:
      return valueTarget(hive, keyPath, Rot13(row.ValueText), out);
    case FindingKind::fkFile:
      break;
  }
  return fail("the row has an unknown repair kind");
}

bool RepairRun::targetGone(const Finding& row) {
  if (row.Kind == FindingKind::fkFile) return m_fs.probe(row.KeyPath) == PathProbe::NotFound;
  BackupItem item;
  if (!rowTarget(row, item)) return false;
  RegKeyPtr key;
  const RegStatus opened = m_registry.openKey(item.root, nullptr, item.keyPath, RegAccess::Read,
                                              false, key, LastLink::OpenLink);
  if (opened != RegStatus::Ok || item.wholeKey) return opened == RegStatus::NotFound;
  // A link shows only its target's name: the values it leads to are there.
  RegValue value;
  return m_registry.queryValue(*key, item.valueName, value) == RegStatus::NotFound &&
         !IsLinkKey(m_registry, *key);
}

bool RepairRun::deleteFile(const std::string& path) {
  switch (m_fs.probe(path)) {
    case PathProbe::NotFound:
      return fail("the file " + path + " no longer exists");
    case PathProbe::Folder:
      return fail(path + " is a folder, not a file; it is never deleted");
    case PathProbe::Inaccessible:
      return fail("the file " + path + " cannot be reached");
    case PathProbe::File:
      break;
  }
  // Named in the run's note first, so a file that went is never unaccounted for.
  const std::string note = RecycledFilesNoteFor(m_backupFile);
  if (!NoteRecycledFile(m_fs, note, path))
    return fail("the note " + note + " that tells where the file goes could not be written; " +
                path + " is not deleted");
  if (!m_fs.moveToRecycleBin(path))
    return fail("the system refused to move the file " + path + " to the Recycle Bin");
  m_recycledFiles = true;
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

bool RepairRun::keyTarget(const std::string& hive, const std::string& keyPathIn, BackupItem& out) {
  const auto root = HiveNameToRootKey(hive);
  if (!root) return fail("\"" + hive + "\" is not a hive name");
  std::string keyPath = keyPathIn;
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  if (keyPath.empty() || HasEmptyComponent(keyPath))
    return fail("\"" + FullPath(*root, keyPath) + "\" is not a well-formed key path");
  if (IsProtectedKey(*root, keyPath))
    return fail(FullPath(*root, keyPath) + " is a protected key; it is never deleted");
  out.root = *root;
  out.keyPath = keyPath;
  out.wholeKey = true;
  return true;
}

bool RepairRun::valueTarget(const std::string& hive, const std::string& keyPath,
                            const std::string& valueName, BackupItem& out) {
  const auto root = HiveNameToRootKey(hive);
  if (!root) return fail("\"" + hive + "\" is not a hive name");
  out.root = *root;
  out.keyPath = keyPath;
  out.valueName = valueName;
  out.wholeKey = false;
  return true;
}

bool RepairRun::readItem(BackupItem& item) {
  if (!item.wholeKey) return readValueItem(item);
  std::string reason;
  RegKeyPtr held;
  if (!SnapshotKeyTree(m_registry, item.root, item.keyPath, item.snapshot, reason, &held))
    return fail(reason);
  item.heldKey = std::move(held);
  return true;
}

// Opened as the delete goes: a link is never gone through, and the key stays
// open to the delete, which reaches only the key read here. The values of one
// key in a batch share its handle.
bool RepairRun::openValueKey(const BackupItem& item) {
  if (m_valueKey.handle && m_valueKey.root == item.root && m_valueKey.keyPath == item.keyPath)
    return true;
  m_valueKey = {};
  RegKeyPtr key;
  const RegStatus opened = m_registry.openKey(item.root, nullptr, item.keyPath, RegAccess::All,
                                              false, key, LastLink::OpenLink);
  if (opened == RegStatus::NotFound)
    return fail("the key " + FullPath(item.root, item.keyPath) + " no longer exists");
  if (opened != RegStatus::Ok)
    return fail("the key " + FullPath(item.root, item.keyPath) + " cannot be opened for deleting");
  m_valueKey = {item.root, item.keyPath, std::move(key)};
  return true;
}

bool RepairRun::readValueItem(BackupItem& item) {
  if (!openValueKey(item)) return false;
  const RegKeyHandle& key = *m_valueKey.handle;
  RegValue value;
  if (m_registry.queryValue(key, item.valueName, value) != RegStatus::Ok) {
    if (IsLinkKey(m_registry, key))
      return fail("the key " + FullPath(item.root, item.keyPath) +
                  " is a registry link; the values it leads to are not deleted through it");
    return fail(
        "the " + FullPath(item.root, item.keyPath) +
        (item.valueName.empty() ? " (default value)" : " value \"" + item.valueName + "\"") +
        " no longer exists");
  }
  item.snapshot = {{item.keyPath, {std::move(value)}}};
  item.heldKey = m_valueKey.handle;
  return true;
}

bool RepairRun::formatItem(BackupItem& item) {
  try {
    item.sections = FormatSnapshot(item.root, item.snapshot, m_fs.ansiCodePage());
  } catch (const UnrepresentableError& error) {
    return fail(std::string(error.what()) + "; it is not deleted");
  }
  return true;
}

void RepairRun::stage(std::size_t row, BackupItem item) {
  if (m_footprint.Overlaps(item)) commitBatch();
  // Read only now: an overlapping item's delete must come first.
  if (!readItem(item)) {
    m_rows[row].reason = m_reason;
    return;
  }
  m_footprint.Add(item);
  m_batch.push_back({row, std::move(item)});
  if (m_batch.size() >= m_batchLimit) commitBatch();
}

void RepairRun::commitBatch() {
  // Formatted here, after the batch's reads, so that the registry calls of a
  // batch follow each other closely.
  std::vector<PendingItem*> written;
  std::vector<const BackupItem*> items;
  for (PendingItem& pending : m_batch) {
    if (!formatItem(pending.item)) {
      m_rows[pending.row].reason = m_reason;
      continue;
    }
    written.push_back(&pending);
    items.push_back(&pending.item);
  }
  if (!items.empty()) {
    requireBackupInPlace();
    const BatchCheck check =
        WriteAndVerify(m_fs, m_backupFile, currentFileSize(), items, m_recorder);
    m_backupWritten = true;
    m_fileSize = check.fileSize;
    // The file's first m_fileSize bytes are written, flushed and read back;
    // the batch's items with no difference are verified and may be deleted.
    // Recorded first, so that what is deleted restores without --force (a
    // file not recorded still restores, on explicit request). Bytes that did
    // not read back as written are never vouched for, nor anything after them.
    if (std::all_of(check.differences.begin(), check.differences.end(),
                    [](const std::string& difference) { return difference.empty(); }))
      m_recorder.record();
    else
      m_recorder.stopAtUnverified();
    ParentKeys parents;
    for (std::size_t i = 0; i < written.size(); ++i) {
      RowState& state = m_rows[written[i]->row];
      if (!check.differences[i].empty())
        state.reason = check.differences[i];
      else if (!(state.repaired = deleteItem(written[i]->item, parents)))
        state.reason = m_reason;
    }
  }
  clearBatch();
  m_batchLimit = std::min(m_batchLimit * (m_batchLimit < kFastGrowthFrom ? 2 : 4), kMaxBatchItems);
}

bool RepairRun::backupGone() {
  return m_backupWritten && m_fs.probe(m_backupFile) != PathProbe::File;
}

void RepairRun::requireBackupInPlace() {
  // A file that left its path (its folder moved or renamed) must not be
  // continued by a new file of the same name: the run's undo would be split.
  if (backupGone()) throw BackupWriteError(BackupGoneMessage(m_backupFile));
}

void RepairRun::clearBatch() {
  m_batch.clear();
  m_footprint.Clear();
  m_valueKey = {};
}

bool RepairRun::deleteItem(const BackupItem& item, ParentKeys& parents) {
  std::string reason;
  bool deleted = false;
  if (!item.wholeKey)
    deleted = DeleteHeldValue(m_registry, item.root, item.snapshot.at(0), *item.heldKey, reason);
  else if (item.heldKey)
    deleted = DeleteHeldKey(m_registry, item.root, item.snapshot.at(0), *item.heldKey, reason);
  else
    deleted = DeleteSnapshotTree(m_registry, item.root, item.snapshot, reason, &parents);
  return deleted || fail(reason);
}

// One item in a batch of its own, outside a run.
bool RepairRun::deleteOne(BackupItem item) {
  m_rows.assign(1, {});
  clearBatch();
  stage(0, std::move(item));
  commitBatch();
  m_reason = m_rows[0].reason;
  return m_rows[0].repaired;
}

bool RepairRun::DeleteRegistryKey(const std::string& hive, const std::string& keyPath) {
  BackupItem item;
  return keyTarget(hive, keyPath, item) && deleteOne(std::move(item));
}

bool RepairRun::DeleteRegistryValue(const std::string& hive, const std::string& keyPath,
                                    const std::string& valueName) {
  BackupItem item;
  return valueTarget(hive, keyPath, valueName, item) && deleteOne(std::move(item));
}

}  // namespace hs

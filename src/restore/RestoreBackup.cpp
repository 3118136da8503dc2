#include "restore/RestoreBackup.h"

#include <algorithm>
#include <string_view>

#include "regfile/RegFileLineRules.h"
#include "regfile/RegFileReader.h"
#include "restore/BackupDeletion.h"
#include "restore/PrivateTempFile.h"
#include "restore/RecycledFiles.h"
#include "restore/RestoreSteps.h"

namespace hs {
namespace {

RestoreOutcome Ended(RestoreEnd end, std::string message) {
  RestoreOutcome outcome;
  outcome.end = end;
  outcome.message = std::move(message);
  return outcome;
}

// Cuts `bytes` to what may be imported; false with the refusal in `outcome`.
// A part left out is named in outcome.message.
bool ChooseImportedPart(const RestoreRequest& request, const CodePage& codePage, std::string& bytes,
                        RestoreOutcome& outcome) {
  const std::size_t intact = IntactLength(bytes);
  if (const auto breach = FindLineRuleBreach(std::string_view(bytes).substr(0, intact), codePage)) {
    outcome.end = RestoreEnd::Refused;
    outcome.message = request.file + " is refused: " + DescribeBreach(*breach) +
                      "; backups never hold such a line.";
    return false;
  }
  const ProvenanceCheck& provenance = outcome.provenance;
  std::size_t length = intact;
  if (!request.force) {
    if (provenance.provenance == Provenance::NotRecorded ||
        provenance.provenance == Provenance::Changed) {
      outcome.end = RestoreEnd::Refused;
      outcome.needsForce = true;
      outcome.message = request.file + " is not imported without an explicit request: " +
                        ProvenanceText(provenance) + ".";
      return false;
    }
    length = std::min<std::size_t>(length, static_cast<std::size_t>(provenance.trustedLength));
  }
  outcome.cutOff = intact < bytes.size();
  if (length < intact)
    outcome.message = ProvenanceText(provenance);
  else if (outcome.cutOff)
    outcome.message = "the file ends in an incomplete line";
  bytes.resize(length);
  // A recorded length always ends a line; should it not, its partial line stays out.
  if (length < intact) bytes.resize(IntactLength(bytes));
  return true;
}

// An import that did not end by itself: part of the file may be in the
// registry, none of it checked, and the file is kept.
RestoreOutcome InterruptedImport(EditorRun run, const std::string& copyLeft) {
  std::string message = run == EditorRun::Stopped
                            ? "The registry editor was stopped during the import"
                            : "The wait for the registry editor was given up";
  message += ": the backup may be partly restored; nothing is verified.";
  if (!copyLeft.empty())
    message +=
        " The registry editor may still be importing, so its copy of the file is left "
        "at " +
        copyLeft + " (delete it once the editor has ended).";
  return Ended(RestoreEnd::Stopped, std::move(message));
}

}  // namespace

RestoreOutcome ImportAndVerify(FileSystemBackend& fs, RegistryBackend& registry,
                               RegistryEditorRunner& editor, const std::string& bytes,
                               const Translation& texts, RestoreOutcome outcome) {
  // The import reads a private copy: the file itself lies in a folder others
  // may write to, and must not change between its checks and its import.
  PrivateTempFile copy(fs);
  if (!copy.write(bytes))
    return Ended(RestoreEnd::Failed, "A private copy of the file to import could not be written.");
  const EditorRun run = editor.run(ImportCommandLine(copy.path()));
  // Deleted only once the editor is known to have ended: it may still read it.
  const std::string copyLeft = EditorMayStillRun(run) ? copy.leave() : std::string();
  copy.remove();
  if (run == EditorRun::NotStarted)
    return Ended(
        RestoreEnd::EditorNotStarted,
        texts.GetLanString("RES_Regedit_Not_Exist", "Please check if Regedit.exe exists."));
  if (run != EditorRun::Ended) return InterruptedImport(run, copyLeft);
  RegFileError error;
  if (!VerifyRestoredFile(registry, bytes, fs.ansiCodePage(), outcome.differences, error))
    return Ended(RestoreEnd::Failed,
                 "The imported file could not be read back for the check (line " +
                     std::to_string(error.line) + ": " + error.message + ").");
  if (outcome.differences.empty()) return outcome;
  outcome.end = RestoreEnd::NotVerified;
  const std::size_t count = outcome.differences.size();
  outcome.message = std::to_string(count) +
                    (count == 1 ? " item of the backup is not" : " items of the backup are not") +
                    " in the registry as the file has them; the backup file is kept.";
  return outcome;
}

namespace {

void DeleteIfAllowed(FileSystemBackend& fs, const RestoreRequest& request,
                     RestoreOutcome& outcome) {
  outcome.keptBecause = WhyNotDeletable(fs, request.file, request.backupFolder);
  if (!outcome.keptBecause.empty()) return;
  outcome.fileDeleted = fs.deleteSilently(request.file);
  if (!outcome.fileDeleted) outcome.keptBecause = "the system refused to delete it";
}

}  // namespace

std::string ImportCommandLine(const std::string& file) {
  return "Regedit /s \"" + file + "\"";
}

namespace {

// The registry part: the file's items imported and checked.
RestoreOutcome RestoreRegistryItems(FileSystemBackend& fs, RegistryBackend& registry,
                                    RegistryEditorRunner& editor, const RestoreRequest& request) {
  RestoreOutcome outcome;
  ImportablePart part;
  if (!ReadImportablePart(fs, registry, request, part, outcome)) return outcome;
  const std::string& bytes = part.bytes;
  const std::size_t fileSize = part.fileSize;
  const bool partial = !part.whole();
  outcome = ImportAndVerify(fs, registry, editor, bytes, request.texts, std::move(outcome));
  if (outcome.end != RestoreEnd::Restored) return outcome;
  if (partial) {
    outcome.end = RestoreEnd::Partial;
    outcome.message = "Only the first " + std::to_string(bytes.size()) + " of " +
                      std::to_string(fileSize) + " bytes were restored (" + outcome.message +
                      "); the backup file is kept.";
    return outcome;
  }
  return outcome;
}

bool RegistryPartIsBack(RestoreEnd end) {
  return end == RestoreEnd::Restored || end == RestoreEnd::Partial;
}

// Puts back what the shell can, once the registry items are back; then notes
// what is still away.
void PutBackRecycledFiles(FileSystemBackend& fs, const RestoreRequest& request, bool registryBack,
                          RestoreOutcome& outcome) {
  for (const std::string& path : outcome.recycledFiles) {
    if (fs.probe(path) != PathProbe::NotFound) continue;
    if (registryBack && request.putBack && request.putBack(path) &&
        fs.probe(path) != PathProbe::NotFound)
      continue;
    outcome.stillRecycled.push_back(path);
  }
}

}  // namespace

bool ReadImportablePart(FileSystemBackend& fs, RegistryBackend& registry,
                        const RestoreRequest& request, ImportablePart& part,
                        RestoreOutcome& outcome) {
  std::string& bytes = part.bytes;
  if (fs.probe(request.file) != PathProbe::File ||
      fs.readFile(request.file, bytes) != FsStatus::Ok) {
    outcome = Ended(RestoreEnd::BadFile, "The backup file " + request.file + " cannot be read.");
    return false;
  }
  part.fileSize = bytes.size();
  BackupRecord record(registry, fs);
  outcome.provenance = CheckProvenance(record, request.file, bytes);
  if (!ChooseImportedPart(request, fs.ansiCodePage(), bytes, outcome)) return false;
  // Parsed here only to refuse a malformed file before anything is imported;
  // the sections are not kept (the check after the import reads them again).
  RegFileError error;
  if (!ParseRegFileSections(
          bytes, fs.ansiCodePage(), [](RegFileSection&&) {}, error)) {
    outcome =
        Ended(RestoreEnd::BadFile, request.file + " is not a registry file (line " +
                                       std::to_string(error.line) + ": " + error.message + ").");
    return false;
  }
  return true;
}

void FinishRestore(FileSystemBackend& fs, const RestoreRequest& request, bool registryBack,
                   bool allBack, RestoreOutcome& outcome) {
  const std::string note = RecycledFilesNoteFor(request.file);
  outcome.recycledFiles = ReadRecycledFilesNote(fs, note);
  PutBackRecycledFiles(fs, request, registryBack, outcome);
  if (allBack && request.deleteAfter) {
    DeleteIfAllowed(fs, request, outcome);
    // The note goes with its backup, unless a file it names is still away:
    // then it is the only record of where that file is.
    if (outcome.fileDeleted && outcome.stillRecycled.empty() && fs.probe(note) == PathProbe::File)
      fs.deleteSilently(note);
  }
}

RestoreOutcome RestoreBackupFile(FileSystemBackend& fs, RegistryBackend& registry,
                                 RegistryEditorRunner& editor, const RestoreRequest& request) {
  RestoreOutcome outcome = RestoreRegistryItems(fs, registry, editor, request);
  FinishRestore(fs, request, RegistryPartIsBack(outcome.end), outcome.end == RestoreEnd::Restored,
                outcome);
  return outcome;
}

}  // namespace hs

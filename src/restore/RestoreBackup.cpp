#include "restore/RestoreBackup.h"

#include "app/RegGlobal.h"
#include "regfile/RegFileReader.h"

namespace hs {
namespace {

RestoreOutcome Ended(RestoreEnd end, std::string message) {
  RestoreOutcome outcome;
  outcome.end = end;
  outcome.message = std::move(message);
  return outcome;
}

// A cut-off file is imported through a copy of its intact part, so that the
// partial line at its end never reaches the registry.
bool WriteIntactCopy(FileSystemBackend& fs, const std::string& path, const std::string& bytes) {
  std::unique_ptr<FileWriter> writer;
  return fs.openForWrite(path, false, writer) == FsStatus::Ok &&
         writer->write(bytes) == FsStatus::Ok && writer->flush() == FsStatus::Ok;
}

}  // namespace

std::string ImportCommandLine(const std::string& file) { return "Regedit /s \"" + file + "\""; }

RestoreOutcome RestoreBackupFile(FileSystemBackend& fs, RegistryBackend& registry,
                                 RegistryEditorRunner& editor, const std::string& file,
                                 bool deleteAfter) {
  std::string bytes;
  if (fs.probe(file) != PathProbe::File || fs.readFile(file, bytes) != FsStatus::Ok)
    return Ended(RestoreEnd::BadFile, "The backup file " + file + " cannot be read.");
  const std::size_t intact = IntactLength(bytes);
  const bool cutOff = intact < bytes.size();
  if (cutOff) bytes.resize(intact);
  RegFile parsed;
  RegFileError error;
  if (!ParseRegFile(bytes, fs.ansiCodePage(), parsed, error))
    return Ended(RestoreEnd::BadFile, file + " is not a registry file (line " +
                                          std::to_string(error.line) + ": " + error.message + ").");

  std::string importFile = file;
  if (cutOff) {
    importFile = file + ".intact";
    if (!WriteIntactCopy(fs, importFile, bytes))
      return Ended(RestoreEnd::Failed, "The intact part of the cut-off file " + file +
                                           " could not be written beside it.");
  }
  const EditorRun run = editor.run(ImportCommandLine(importFile));
  if (cutOff) fs.deleteSilently(importFile);
  if (run == EditorRun::NotStarted)
    return Ended(RestoreEnd::EditorNotStarted,
                 GetLanString("RES_Regedit_Not_Exist", "Please check if Regedit.exe exists."));
  if (run == EditorRun::Stopped)
    return Ended(RestoreEnd::Stopped, "The registry editor was stopped; nothing is verified.");

  RestoreOutcome outcome;
  outcome.cutOff = cutOff;
  outcome.differences = VerifyRestored(registry, parsed);
  if (!outcome.differences.empty()) {
    outcome.end = RestoreEnd::NotVerified;
    outcome.message = std::to_string(outcome.differences.size()) +
                      " items of the backup are not in the registry as the file has them; the "
                      "backup file is kept.";
    return outcome;
  }
  if (deleteAfter) outcome.fileDeleted = fs.deleteSilently(file);
  return outcome;
}

}  // namespace hs

#include "restore/RestoreWithQuestion.h"

#include "restore/RestoreDialogRules.h"
#include "restore/RestorePreview.h"

namespace hs {

QuestionedRestore RestoreWithQuestion(FileSystemBackend& fs, RegistryBackend& registry,
                                      RegistryEditorRunner& editor, RestoreRequest request,
                                      const std::function<bool(const std::string&)>& ask) {
  QuestionedRestore result;
  request.force = false;
  result.outcome = RestoreBackupFile(fs, registry, editor, request);
  if (result.outcome.needsForce) {
    // Asked only now, after the engine found nothing else wrong with the file.
    const RestorePreview preview = PreviewRestore(fs, registry, request.file);
    if (!preview.refusal.empty() || !ask(UntrustedImportQuestion(request.file, preview))) {
      result.declined = preview.refusal.empty();
      result.message = result.declined ? "" : RestoreOutcomeText(request.file, result.outcome);
      return result;
    }
    request.force = true;
    result.outcome = RestoreBackupFile(fs, registry, editor, request);
  }
  result.message = RestoreOutcomeText(request.file, result.outcome);
  return result;
}

QuestionedItems ListItemsWithQuestion(FileSystemBackend& fs, RegistryBackend& registry,
                                      RestoreRequest request,
                                      const std::function<bool(const std::string&)>& ask) {
  QuestionedItems result;
  request.force = false;
  result.listed = ListBackupItems(fs, registry, request);
  if (result.listed.outcome.needsForce) {
    const RestorePreview preview = PreviewRestore(fs, registry, request.file);
    result.declined =
        preview.refusal.empty() && !ask(UntrustedImportQuestion(request.file, preview));
    if (preview.refusal.empty() && !result.declined) {
      result.force = request.force = true;
      result.listed = ListBackupItems(fs, registry, request);
    }
  }
  if (result.declined) {
    result.listed.items.clear();
  } else if (result.listed.outcome.end != RestoreEnd::Restored) {
    result.message = RestoreOutcomeText(request.file, result.listed.outcome);
  }
  return result;
}

}  // namespace hs

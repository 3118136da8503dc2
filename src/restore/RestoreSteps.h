#pragma once
// The steps a whole restore and a restore of some of a file's items share,
// so that both meet the same line rules, provenance, import, verification
// and deletion rules.
#include <cstddef>
#include <string>
#include <vector>

#include "restore/RestoreBackup.h"

namespace hs {

// What of a backup file may be imported.
struct ImportablePart {
  std::string bytes;  // the file cut to what may be imported
  std::size_t fileSize = 0;
  bool whole() const { return bytes.size() == fileSize; }
};

// Reads request.file and cuts it to what may be imported: the line rules
// hold, a file the record does not vouch for needs request.force, a partly
// recorded or cut-off file keeps only its trusted, intact part, and the part
// must parse. False with `outcome` saying why when nothing may be imported.
bool ReadImportablePart(FileSystemBackend& fs, RegistryBackend& registry,
                        const RestoreRequest& request, ImportablePart& part,
                        RestoreOutcome& outcome);

// Has the registry editor import a private copy of `bytes`, then checks the
// registry against them. `outcome` comes in with the provenance found.
RestoreOutcome ImportAndVerify(FileSystemBackend& fs, RegistryBackend& registry,
                               RegistryEditorRunner& editor, const std::string& bytes,
                               const Translation& texts, RestoreOutcome outcome);

// After the registry part: the shortcut files the repair sent to the Recycle
// Bin are put back once `registryBack`; with request.deleteAfter the file
// (and its note) is deleted only when `allBack`, every item of it being in
// the registry.
void FinishRestore(FileSystemBackend& fs, const RestoreRequest& request, bool registryBack,
                   bool allBack, RestoreOutcome& outcome);

}  // namespace hs

#pragma once
// Whether the registry holds what a registry file says, as it would after the
// file was imported: every key of the file exists, every value has the
// file's type and data, and what the file deletes is gone. Later sections of
// the file win over earlier ones, as they do on import.
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"
#include "regfile/RegFileReader.h"

namespace hs {

struct RestoreDifference {
  std::string item;     // "HKEY_...\Key" or "HKEY_...\Key" value "Name"
  std::string problem;  // what is wrong with it
};

std::vector<RestoreDifference> VerifyRestored(RegistryBackend& registry, const RegFile& file);

// The same check for a file without deletion lines (the restore admits no
// other), read from its bytes section by section in two passes: it holds one
// section and 8 bytes per value instead of the parsed file, so that a large
// backup is checked in little more memory than its own bytes. False with
// `error` for a file that does not parse, or one that deletes.
bool VerifyRestoredFile(RegistryBackend& registry, const std::string& bytes,
                        const CodePage& codePage, std::vector<RestoreDifference>& out,
                        RegFileError& error);

}  // namespace hs

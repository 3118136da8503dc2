#pragma once
// Whether the registry holds what a registry file says, as it would after the
// file was imported: every key of the file exists and every value has the
// file's type and data. Later sections of the file win over earlier ones, as
// they do on import. A file that deletes is never checked: the restore
// refuses such a file before it imports anything.
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"
#include "regfile/RegFileReader.h"

namespace hs {

struct RestoreDifference {
  std::string item;     // "HKEY_...\Key" or "HKEY_...\Key" value "Name"
  std::string problem;  // what is wrong with it
};

// The check of an already parsed file; a file that deletes gives one
// difference saying so.
std::vector<RestoreDifference> VerifyRestored(RegistryBackend& registry, const RegFile& file);

// The same check read from the file's bytes section by section, in two
// passes: it holds one section and 8 bytes per value instead of the parsed
// file, so that a large backup is checked in little more memory than its own
// bytes. False with `error` for a file that does not parse, or one that deletes.
bool VerifyRestoredFile(RegistryBackend& registry, const std::string& bytes,
                        const CodePage& codePage, std::vector<RestoreDifference>& out,
                        RegFileError& error);

}  // namespace hs

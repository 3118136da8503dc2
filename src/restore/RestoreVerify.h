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

}  // namespace hs

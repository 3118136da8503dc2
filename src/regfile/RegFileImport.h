#pragma once
// Applies a registry file to a backend as the system's importer does: keys
// under unknown roots are skipped, "[-KEY]" removes the key with its subtree,
// "name"=- removes a value. Fixtures and tests load the memory registry this
// way; the program itself imports only through the registry editor.
#include <string>

#include "common/CodePage.h"
#include "platform/RegistryBackend.h"
#include "regfile/RegFileReader.h"

namespace hs {

void ImportRegFile(RegistryBackend& registry, const RegFile& file);
// Parses and applies; nothing is applied when the text does not parse.
bool ImportRegText(RegistryBackend& registry, const std::string& bytes, const CodePage& codePage,
                   RegFileError& error);
// The same in Windows-1252.
bool ImportRegText(RegistryBackend& registry, const std::string& bytes, RegFileError& error);

}  // namespace hs

#pragma once
// A key tree written as the registry editor exports it: "Windows Registry
// Editor Version 5.00", UTF-16LE with a byte-order mark, CR LF. Every value
// is written so that an import gives back its type and bytes exactly:
// "text" only for a REG_SZ holding exactly one final NUL and no control
// characters, dword: only for four-byte REG_DWORD, hex(N): for the rest.
#include <functional>
#include <string>

#include "platform/RegistryBackend.h"

namespace hs::offline {

// Receives the file's bytes piece by piece.
using ExportSink = std::function<void(const std::string& utf16leBytes)>;

struct ExportResult {
  bool whole = false;
  std::size_t keys = 0;
  std::size_t values = 0;
  std::string error;  // the first key that could not be read, and how
};

// Writes the header, then `key` (named `name` in the file, e.g.
// "HKEY_LOCAL_MACHINE\SOFTWARE") and everything below it. Links are written
// as the keys they are (their REG_LINK value), never followed.
ExportResult ExportRegTree(RegistryBackend& registry, RootKey root, const RegKeyHandle& key,
                           const std::string& name, const ExportSink& sink);

// One value's line(s) in UTF-8, without the final CR LF (exposed for tests).
std::string RegValueLine(const RegValue& value);

}  // namespace hs::offline

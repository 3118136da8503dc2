// The .reg reader on arbitrary bytes: parsing, the intact-length cut and the
// import into the in-memory registry must never crash, and must agree. Every
// value read is also written the way a backup writes it and read back: it
// must come back with the same name, type and bytes, or be refused.
#include <cstdlib>

#include "FuzzInput.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"

namespace {

void CheckBackupRoundTrip(const hs::RegValue& value) {
  std::string line;
  try {
    line = hs::FormatValueLine(value);
  } catch (const hs::UnrepresentableError&) {
    return;  // refused before a byte is written: nothing is lost
  }
  const std::string backup = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Fuzz]\r\n" + line + "\r\n";
  hs::RegFile file;
  hs::RegFileError error;
  if (!hs::ParseRegFile(backup, file, error) || file.sections.size() != 1 ||
      file.sections[0].values.size() != 1)
    std::abort();
  const hs::RegValue& back = file.sections[0].values[0].value;
  if (back.name != value.name || back.type != value.type || back.data != value.data) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(hs::fuzz::AsText(data, size));

  const std::size_t intact = hs::IntactLength(bytes);
  if (intact > bytes.size()) std::abort();

  hs::RegFile file;
  hs::RegFileError error;
  const bool parsed = hs::ParseRegFile(bytes, file, error);
  if (!parsed && error.message.empty()) std::abort();

  if (intact < bytes.size()) {
    hs::RegFile intactFile;
    hs::ParseRegFile(bytes.substr(0, intact), intactFile, error);
  }

  hs::MemoryRegistry registry;
  hs::RegFileError importError;
  if (registry.importText(bytes, importError) != parsed) std::abort();

  for (const hs::RegFileSection& section : file.sections)
    for (const hs::RegFileValue& entry : section.values)
      if (!entry.remove) CheckBackupRoundTrip(entry.value);
  return 0;
}

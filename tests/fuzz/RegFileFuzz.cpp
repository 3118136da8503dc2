// The .reg reader on arbitrary bytes: parsing, the intact-length cut and the
// import into the in-memory registry must never crash, and must agree.
#include <cstdlib>

#include "FuzzInput.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(hs::fuzz::AsText(data, size));

  const std::size_t intact = hs::IntactLength(bytes);
  if (intact > bytes.size()) std::abort();

  hs::RegFile file;
  hs::RegFileError error;
  const bool parsed = hs::ParseRegFile(bytes, file, error);
  if (!parsed && error.message.empty()) std::abort();

  hs::RegFile intactFile;
  hs::ParseRegFile(bytes.substr(0, intact), intactFile, error);

  hs::MemoryRegistry registry;
  hs::RegFileError importError;
  if (registry.importText(bytes, importError) != parsed) std::abort();
  return 0;
}

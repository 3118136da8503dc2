// The language setting and its translation file. Input: options.ini bytes
// NUL message key NUL translation file bytes. The language named by the
// settings file must never lead outside the program folder, and a message
// must never come back empty.
#include <cstdlib>

#include "FuzzInput.h"
#include "platform/memory/MemoryFileSystem.h"
#include "settings/SettingsFile.h"
#include "translation/Translation.h"

namespace {

const std::string kFolder = "C:\\Hivesweep\\";

bool StaysInProgramFolder(const std::string& path) {
  const std::string prefix = kFolder + "Lan_";
  if (path.compare(0, prefix.size(), prefix) != 0) return false;
  return path.find_first_of("\\/:", prefix.size()) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = hs::fuzz::AsText(data, size);
  const std::string options = hs::fuzz::TakeField(input);
  const std::string key = hs::fuzz::TakeField(input);

  hs::MemoryFileSystem fs;
  fs.addFolder(kFolder);

  hs::Settings settings = hs::Settings::Defaults(kFolder);
  hs::LoadOptions(hs::IniFile::FromBytes(options), kFolder, {1280, 1024}, settings);
  const hs::Translation texts(fs, kFolder, settings.Lan);

  const std::string path = texts.FilePath(settings.Lan);
  if (!path.empty()) {
    if (!StaysInProgramFolder(path)) std::abort();
    fs.addFile(path, std::string(input));
  }
  if (texts.GetLanString(key, "English text").empty()) std::abort();
  return 0;
}

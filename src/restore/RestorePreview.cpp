#include "restore/RestorePreview.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "common/Text.h"
#include "regfile/RegFileLineRules.h"
#include "regfile/RegFileReader.h"

namespace hs {
namespace {

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CountWhatItAdds(const RegFile& parsed, RestorePreview& preview) {
  std::set<std::string> keys;
  for (const RegFileSection& section : parsed.sections) {
    std::string path = section.keyPath;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    keys.insert(UpperCase(path));
    preview.valueCount += section.values.size();
    const std::string hive = UpperCase(path.substr(0, path.find('\\')));
    if (std::find(preview.hives.begin(), preview.hives.end(), hive) == preview.hives.end())
      preview.hives.push_back(hive);
  }
  preview.keyCount = keys.size();
}

}  // namespace

RestorePreview PreviewRestore(FileSystemBackend& fs, RegistryBackend& registry,
                              const std::string& file) {
  RestorePreview preview;
  preview.fileName = NameOf(file);
  std::string bytes;
  if (fs.probe(file) != PathProbe::File || fs.readFile(file, bytes) != FsStatus::Ok) {
    preview.refusal = "the file cannot be read";
    return preview;
  }
  BackupRecord record(registry, fs);
  preview.provenance = CheckProvenance(record, file, bytes);
  const std::size_t intact = IntactLength(bytes);
  preview.cutOff = intact < bytes.size();
  bytes.resize(intact);
  if (const auto breach = FindLineRuleBreach(bytes, fs.ansiCodePage())) {
    preview.refusal = DescribeBreach(*breach);
    return preview;
  }
  RegFile parsed;
  RegFileError error;
  if (!ParseRegFile(bytes, fs.ansiCodePage(), parsed, error)) {
    preview.refusal = "line " + std::to_string(error.line) + ": " + error.message;
    return preview;
  }
  CountWhatItAdds(parsed, preview);
  return preview;
}

}  // namespace hs

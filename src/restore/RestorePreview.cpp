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

// Counted section by section as the file is read: a large file costs one
// section and the set of its key names, never its parsed whole.
class WhatItAdds {
 public:
  explicit WhatItAdds(RestorePreview& preview) : m_preview(preview) {}

  void add(const RegFileSection& section) {
    std::string path = section.keyPath;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    m_keys.insert(UpperCase(path));
    m_preview.valueCount += section.values.size();
    const std::string hive = UpperCase(path.substr(0, path.find('\\')));
    std::vector<std::string>& hives = m_preview.hives;
    if (std::find(hives.begin(), hives.end(), hive) == hives.end()) hives.push_back(hive);
    m_preview.keyCount = m_keys.size();
  }

 private:
  RestorePreview& m_preview;
  std::set<std::string> m_keys;
};

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
  RestorePreview counted = preview;
  WhatItAdds adds(counted);
  RegFileError error;
  if (!ParseRegFileSections(
          bytes, fs.ansiCodePage(), [&adds](RegFileSection&& section) { adds.add(section); },
          error)) {
    preview.refusal = "line " + std::to_string(error.line) + ": " + error.message;
    return preview;
  }
  return counted;
}

}  // namespace hs

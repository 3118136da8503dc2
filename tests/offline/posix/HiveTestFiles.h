#pragma once
// The Windows hive files kept beside the project (../shared/hives, xz
// compressed), decompressed into a private temporary folder for one test.
// They are never copied into the repository.
#include <memory>
#include <string>
#include <vector>

#include "offline/posix/OfflineRegistry.h"

namespace hs::offline::test {

class HiveFolder {
 public:
  HiveFolder();
  ~HiveFolder();
  HiveFolder(const HiveFolder&) = delete;
  HiveFolder& operator=(const HiveFolder&) = delete;

  // Where the compressed hives are: $HS_HIVES, else the build's default.
  static std::string Source();
  static bool Available();
  // Decompresses `relative` (without ".xz") into the folder under the same
  // file name; returns its path.
  std::string take(const std::string& relative);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Opens one hive file (replaying its logs), or fails the test.
std::shared_ptr<HiveFile> OpenHive(const std::string& path, bool forWriting = false);

// Runs a python3-hivex script (its text) with `args` (quoted here); true
// when it ends with 0.
bool RunHivexScript(const std::string& folder, const std::string& script,
                    const std::vector<std::string>& args);

// A registry holding one hive at HKEY_LOCAL_MACHINE\TEST.
std::unique_ptr<OfflineRegistry> RegistryOf(std::shared_ptr<HiveFile> hive);

// Every key and value below HKEY_LOCAL_MACHINE\TEST as sorted lines
// ("K" hex(path), "V" hex(path) hex(name) type length sha256), read through
// the RegistryBackend interface; subkey order is checked on the way.
std::vector<std::string> DumpThroughBackend(RegistryBackend& registry);

// The same lines as python3-hivex reads them from the file. `asImported`:
// string data without a final NUL gets one, as the registry editor's import
// (and our .reg reader) stores it.
std::vector<std::string> DumpWithPythonHivex(const std::string& path, bool asImported = false);

// `hivexregedit --export FILE '\'` as its sections: each "[\path]" header
// with the value lines below it.
struct ExportSection {
  std::string header;
  std::vector<std::string> lines;
  bool operator==(const ExportSection&) const = default;
};
std::vector<ExportSection> ExportWithHivexregedit(const std::string& path);

std::string Hex(std::string_view bytes);
// Fails the test naming at most five lines in only one of the dumps.
void ExpectSameLines(const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
                     const std::string& what);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

}  // namespace hs::offline::test

// The file-system conformance cases on the POSIX backend, over a host folder
// standing for drive C:. The backend only reads, so the cases put their
// files there directly and expect every write to be refused.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "conformance/FileSystemConformance.h"
#include "offline/posix/PosixFileSystem.h"

namespace hs::conformance {
namespace {

namespace fsys = std::filesystem;

// A host folder standing for C:, removed when the tests end.
struct TemporaryDrive {
  fsys::path path =
      fsys::temp_directory_path() / ("hs-posix-conformance-" + std::to_string(::getpid()));
  TemporaryDrive() { fsys::create_directories(path / "Temp"); }
  ~TemporaryDrive() {
    std::error_code ignored;
    fsys::remove_all(path, ignored);
  }
};

const fsys::path& DriveC() {
  static const TemporaryDrive drive;
  return drive.path;
}

fsys::path ScratchOnHost() {
  return DriveC() / "Temp" / "HivesweepConformance";
}

void Seed(const std::string& relative, const std::optional<std::string>& content) {
  std::string unix = relative;
  for (char& c : unix)
    if (c == '\\') c = '/';
  const fsys::path path = ScratchOnHost() / unix;
  if (!content) {
    fsys::create_directories(path);
    return;
  }
  std::ofstream(path, std::ios::binary) << *content;
}

INSTANTIATE_TEST_SUITE_P(Posix, FileSystemConformance,
                         ::testing::Values(FileSystemTarget{
                             "Posix",
                             [] {
                               OfflineVolume volume;
                               volume.drives['C'] = DriveC().string();
                               return std::make_unique<PosixFileSystem>(volume);
                             },
                             [] { return std::string("C:\\Temp\\HivesweepConformance"); },
                             [] {
                               fsys::remove_all(ScratchOnHost());
                               fsys::create_directories(ScratchOnHost());
                             },
                             Seed}),
                         FileSystemTargetName);

}  // namespace
}  // namespace hs::conformance

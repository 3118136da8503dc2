#pragma once
// The file-system conformance suite runs the same cases on every
// FileSystemBackend: the in-memory one everywhere, the Win32 one under Wine.
// A target yields a backend and a scratch folder that each case starts empty.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs::conformance {

struct FileSystemTarget {
  std::string name;  // test-name suffix: letters and digits only
  std::function<std::unique_ptr<FileSystemBackend>()> make;
  // A drive-absolute folder ("C:\...\Conformance") whose parent exists; it is
  // deleted and created again before each case.
  std::function<std::string()> scratchFolder;
  // Set for a backend that only reads: empties the scratch folder, and puts
  // a file (with content) or a folder (without) at a path relative to it by
  // other means. The cases then expect every write to be refused.
  std::function<void()> emptyScratch;
  std::function<void(const std::string& relative, const std::optional<std::string>& content)> seed;
};

inline std::string FileSystemTargetName(const ::testing::TestParamInfo<FileSystemTarget>& info) {
  return info.param.name;
}

class FileSystemConformance : public ::testing::TestWithParam<FileSystemTarget> {
 protected:
  void SetUp() override;

  std::string at(const std::string& relative) const { return scratch + "\\" + relative; }
  // Writes a file or makes a folder through the backend itself, or through
  // the target's seed when the backend only reads.
  void writeFile(const std::string& relative, const std::string& content);
  void makeFolder(const std::string& relative);
  bool readOnly() const { return static_cast<bool>(GetParam().seed); }
  // A write of a read-only backend: refused, with its reason.
  void expectRefused(FsStatus status);

  std::unique_ptr<FileSystemBackend> fs;
  std::string scratch;
};

}  // namespace hs::conformance

#pragma once
// The file-system conformance suite runs the same cases on every
// FileSystemBackend: the in-memory one everywhere, the Win32 one under Wine.
// A target yields a backend and a scratch folder that each case starts empty.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/FileSystemBackend.h"

namespace hs::conformance {

struct FileSystemTarget {
  std::string name;  // test-name suffix: letters and digits only
  std::function<std::unique_ptr<FileSystemBackend>()> make;
  // A drive-absolute folder ("C:\...\Conformance") whose parent exists; it is
  // deleted and created again before each case.
  std::function<std::string()> scratchFolder;
};

inline std::string TargetName(const ::testing::TestParamInfo<FileSystemTarget>& info) {
  return info.param.name;
}

class FileSystemConformance : public ::testing::TestWithParam<FileSystemTarget> {
 protected:
  void SetUp() override;

  std::string at(const std::string& relative) const { return scratch + "\\" + relative; }
  // Writes a file through the backend itself.
  void writeFile(const std::string& relative, const std::string& content);

  std::unique_ptr<FileSystemBackend> fs;
  std::string scratch;
};

}  // namespace hs::conformance

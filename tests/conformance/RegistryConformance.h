#pragma once
// The registry conformance suite runs the same cases on every RegistryBackend:
// the in-memory one everywhere, the Win32 one under Wine, the read-only hive
// backend natively. A target names the backend and a scratch key that each
// case empties first. On a backend that refuses writes every case that must
// write asserts the refusal instead and ends there.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/RegistryBackend.h"

namespace hs::conformance {

struct RegistryTarget {
  std::string name;  // test-name suffix: letters and digits only
  std::function<std::unique_ptr<RegistryBackend>()> make;
  RootKey root = RootKey::CurrentUser;
  std::string basePath;  // below root, e.g. "Software\HivesweepTest\Conformance"
  // Known differences of Wine from Windows, each asserted apart. The memory
  // backend follows Windows.
  bool valuesSortedByName = false;    // Wine: values by name, Windows: creation order
  bool subkeysFoldedToLower = false;  // Wine: "_" before letters, Windows: after "Z"
  // Creates `linkPath` as a registry link to `targetPath`, both below root.
  std::function<bool(RegistryBackend&, RootKey, const std::string& linkPath,
                     const std::string& targetPath)>
      makeLink;
  bool refusesWrites = false;  // read-only: the scratch key exists and stays empty
};

inline std::string RegistryTargetName(const ::testing::TestParamInfo<RegistryTarget>& info) {
  return info.param.name;
}

class RegistryConformance : public ::testing::TestWithParam<RegistryTarget> {
 protected:
  void SetUp() override;

  // Opens (create: creates) `path` below the scratch key.
  RegKeyPtr open(const std::string& path, bool create = false, RegAccess access = RegAccess::All);
  std::string fullPath(const std::string& path) const;  // below the root
  // Makes `linkPath` (below the scratch key) a link to `targetPath` (too).
  void makeLink(const std::string& linkPath, const std::string& targetPath);
  // False on a writable backend. On a read-only one: asserts that creating,
  // setting and deleting are refused and change nothing, then true.
  bool refusedWrites();

  std::unique_ptr<RegistryBackend> backend;
  RegKeyPtr base;  // the scratch key, full access
};

}  // namespace hs::conformance

// The registry conformance suite on the hive backend: a hive written with
// python3-hivex from the empty recovery hive, holding only the suite's empty
// scratch key, mounted as HKEY_CURRENT_USER. The backend is read-only, so
// every case asserts that its writes are refused.
#include <cstdlib>
#include <fstream>

#include "conformance/RegistryConformance.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::conformance {
namespace {

using offline::HiveFile;
using offline::LoadedHive;
using offline::OfflineRegistry;
using offline::test::HiveFolder;

constexpr const char* kScratch = "Software\\HivesweepTest\\Conformance";

// Made once per run; nothing when the hive files or python3-hivex are absent.
std::string ScratchHive() {
  static HiveFolder folder;
  static const std::string path = []() -> std::string {
    if (!HiveFolder::Available()) return "";
    const std::string empty = folder.take("recovery/EmptyHive");
    const std::string out = folder.path() + "/scratch.hive";
    std::ofstream(folder.path() + "/scratch.py") << R"PY(
import hivex, sys
h = hivex.Hivex(sys.argv[1], write=True)
node = h.root()
for part in sys.argv[3].split("\\"):
    node = h.node_add_child(node, part)
h.commit(sys.argv[2])
)PY";
    const std::string command = "/usr/bin/python3 '" + folder.path() + "/scratch.py' '" + empty +
                                "' '" + out + "' '" + kScratch + "'";
    return std::system(command.c_str()) == 0 ? out : "";
  }();
  return path;
}

std::unique_ptr<RegistryBackend> MakeHiveRegistry() {
  const std::string path = ScratchHive();
  if (path.empty()) return nullptr;
  std::string error;
  std::optional<LoadedHive> loaded = offline::LoadHive(path, error);
  if (!loaded) return nullptr;
  std::shared_ptr<HiveFile> hive = HiveFile::Open(std::move(*loaded), error);
  if (!hive) return nullptr;
  auto registry = std::make_unique<OfflineRegistry>();
  registry->mount(RootKey::CurrentUser, "", {{hive, hive->root()}});
  return registry;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Hive, RegistryConformance,
                         ::testing::Values(RegistryTarget{
                             "Hive", MakeHiveRegistry, RootKey::CurrentUser, kScratch, false, false,
                             [](RegistryBackend&, RootKey, const std::string&, const std::string&) {
                               return false;
                             },
                             true}),
                         RegistryTargetName);

}  // namespace hs::conformance

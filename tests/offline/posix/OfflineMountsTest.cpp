// The mount table as a scan meets it: keys opened one by one through their
// parents' handles, a mount found below a key of another hive
// (CurrentControlSet below SYSTEM), and mount points never deleted.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/Text.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {
namespace {

class OfflineMounts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
    std::shared_ptr<HiveFile> system = OpenHive(folder.take("real/SYSTEM"));
    ASSERT_TRUE(system);
    registry.mount(RootKey::LocalMachine, "SYSTEM", {{system, system->root()}});
    const auto controlSet = registry.layersAt(RootKey::LocalMachine, "SYSTEM\\ControlSet001");
    ASSERT_TRUE(controlSet);
    registry.mount(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet", *controlSet);
  }
  RegKeyPtr open(const RegKeyPtr& parent, const std::string& path) {
    RegKeyPtr key;
    registry.openKey(RootKey::LocalMachine, parent.get(), path, RegAccess::Read, false, key);
    return key;
  }
  std::vector<std::string> subkeys(const RegKeyPtr& key) {
    std::vector<std::string> names;
    EXPECT_EQ(registry.subkeyNames(*key, names), RegStatus::Ok);
    return names;
  }

  HiveFolder folder;
  OfflineRegistry registry;
};

TEST_F(OfflineMounts, MountsAreFoundKeyByKeyAndNeverDeleted) {
  const RegKeyPtr machine = open(nullptr, "");
  ASSERT_TRUE(machine);
  const RegKeyPtr system = open(machine, "system");
  ASSERT_TRUE(system);
  const RegKeyPtr current = open(system, "CURRENTCONTROLSET");
  ASSERT_TRUE(current);
  const RegKeyPtr services = open(current, "Services");
  ASSERT_TRUE(services);
  const RegKeyPtr direct = open(nullptr, "SYSTEM\\ControlSet001\\Services");
  ASSERT_TRUE(direct);
  EXPECT_EQ(subkeys(services), subkeys(direct));
  EXPECT_FALSE(subkeys(services).empty());

  const std::vector<std::string> belowSystem = subkeys(system);
  EXPECT_EQ(std::count(belowSystem.begin(), belowSystem.end(), "CurrentControlSet"), 1);
  EXPECT_EQ(std::count(belowSystem.begin(), belowSystem.end(), "ControlSet001"), 1);
  EXPECT_TRUE(std::is_sorted(
      belowSystem.begin(), belowSystem.end(),
      [](const std::string& a, const std::string& b) { return UpperCase(a) < UpperCase(b); }));

  // A mount point, or a key above one, is refused; not "not found" because
  // the hive holding its parent has no such key.
  EXPECT_EQ(registry.deleteLeafKey(*system, "currentcontrolset"), RegStatus::AccessDenied);
  EXPECT_EQ(registry.deleteLeafKey(*machine, "SYSTEM"), RegStatus::AccessDenied);
  EXPECT_FALSE(open(services, "NoSuchService"));
  EXPECT_FALSE(open(system, "CurrentControlSet\\NoSuchKey"));
}

}  // namespace
}  // namespace hs::offline::test

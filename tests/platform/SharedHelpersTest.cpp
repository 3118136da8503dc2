#include <gtest/gtest.h>

#include "platform/SharedHelpers.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"

namespace hs {
namespace {

class SharedHelpersTest : public ::testing::Test {
 protected:
  MemoryFileSystem fs;
  MemoryRegistry registry;
};

const std::string kFolder = "C:\\Hivesweep\\";

TEST_F(SharedHelpersTest, DeleteFileSilentlyRemovesFilesAndFoldersAndSaysWhenItCannot) {
  fs.addFile(kFolder + "Backup\\Backup20260101.reg", "x");
  EXPECT_TRUE(DeleteFileSilently(fs, kFolder + "Backup\\Backup20260101.reg"));
  EXPECT_EQ(fs.probe(kFolder + "Backup\\Backup20260101.reg"), PathProbe::NotFound);
  EXPECT_TRUE(DeleteFileSilently(fs, kFolder + "Backup"));
  EXPECT_FALSE(DeleteFileSilently(fs, kFolder + "Backup"));
}

TEST_F(SharedHelpersTest, WriteUserRegStringCreatesTheKeyAndWritesNothingWhereItCannotOpen) {
  const std::string regedit = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
  EXPECT_TRUE(WriteUserRegString(registry, regedit, "LastKey", "HKEY_CURRENT_USER\\Software"));
  TRegistry check(registry, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(check.OpenPath(regedit));
  EXPECT_EQ(check.ReadValueText("LastKey"), "HKEY_CURRENT_USER\\Software");

  registry.denyAccess("HKEY_CURRENT_USER\\Software\\Locked");
  EXPECT_FALSE(WriteUserRegString(registry, "Software\\Locked", "LastKey", "x"));
  TRegistry locked(registry, RootKey::CurrentUser, RegAccess::Read);
  EXPECT_FALSE(locked.OpenPath("Software\\Locked"));
}

}  // namespace
}  // namespace hs

// The refusals before anything is written: a read-only mount, a hibernation
// image, a second run, another program holding a hive, SAM and SECURITY.
#include <sys/mount.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "offline/posix/HiveCommit.h"
#include "offline/posix/HiveTestFiles.h"
#include "offline/posix/WriteGuards.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

TEST(WriteGuards, ARunIsRefusedOnAVolumeMountedReadOnly) {
  HiveFolder folder;
  const std::string mounted = folder.path() + "/ro";
  fs::create_directories(mounted);
  EXPECT_EQ(ReadOnlyRefusal(mounted), "");
  if (::mount("tmpfs", mounted.c_str(), "tmpfs", MS_RDONLY, "size=64k") != 0)
    GTEST_SKIP() << "no right to mount a read-only file system here";
  const std::string refusal = ReadOnlyRefusal(mounted);
  ::umount(mounted.c_str());
  EXPECT_NE(refusal.find("mounted read-only"), std::string::npos) << refusal;
}

TEST(WriteGuards, AnActiveHibernationImageRefusesTheRunAndAUsedOneDoesNot) {
  HiveFolder folder;
  const std::string file = folder.path() + "/HiberFil.sys";
  EXPECT_EQ(HibernationRefusal(folder.path()), "");
  for (const char* signature : {"HIBR", "hibr", "WAKE", "RSTR"}) {
    std::ofstream(file, std::ios::binary) << signature << std::string(4092, '\0');
    EXPECT_NE(HibernationRefusal(folder.path()).find("Fast Startup"), std::string::npos)
        << signature;
  }
  std::ofstream(file, std::ios::binary) << std::string(4096, '\0');
  EXPECT_EQ(HibernationRefusal(folder.path()), "");
}

TEST(WriteGuards, OneRunAtATimeAndTheLockGoesWithIt) {
  HiveFolder folder;
  std::string error;
  {
    std::optional<WriteLock> first = WriteLock::Take(folder.path(), error);
    ASSERT_TRUE(first) << error;
    EXPECT_FALSE(WriteLock::Take(folder.path(), error));
    EXPECT_NE(error.find("another hivesweep-offline"), std::string::npos) << error;
  }
  EXPECT_FALSE(fs::exists(folder.path() + "/hivesweep-offline.lock"));
  EXPECT_TRUE(WriteLock::Take(folder.path(), error)) << error;
}

TEST(WriteGuards, AHiveOpenInAnotherProgramRefusesTheRun) {
  HiveFolder folder;
  const std::string hive = folder.path() + "/NTUSER.DAT";
  std::ofstream(hive) << "x";
  EXPECT_EQ(OpenedElsewhereRefusal({hive}), "");
  // A shell that holds the file and becomes a sleep under its own process id.
  FILE* holder = ::popen(("exec 3<'" + hive + "'; echo $$; exec sleep 30").c_str(), "r");
  ASSERT_TRUE(holder);
  char line[32];
  ASSERT_TRUE(std::fgets(line, sizeof line, holder));
  const std::string refusal = OpenedElsewhereRefusal({hive});
  ::kill(static_cast<pid_t>(std::atoi(line)), SIGTERM);
  ::pclose(holder);
  EXPECT_NE(refusal.find(hive + " is open in process"), std::string::npos) << refusal;
}

TEST(WriteGuards, SamAndSecurityAreNeverCommitted) {
  if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  HiveFolder folder;
  const std::string empty = folder.take("recovery/EmptyHive");
  for (const char* name : {"SAM", "Security"}) {
    const std::string path = folder.path() + "/" + name;
    fs::copy_file(empty, path);
    std::shared_ptr<HiveFile> hive = OpenHive(path, true);
    std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
    RegKeyPtr made;
    ASSERT_EQ(
        registry->openKey(RootKey::LocalMachine, nullptr, "TEST\\x", RegAccess::All, true, made),
        RegStatus::Ok);
    const CommitResult commit = CommitHive(*hive);
    EXPECT_FALSE(commit.committed) << name;
    EXPECT_NE(commit.error.find("never written"), std::string::npos) << commit.error;
    EXPECT_EQ(ReadFileBytes(path), ReadFileBytes(empty));
  }
}

}  // namespace
}  // namespace hs::offline::test

// Writing hives: the per-item refusals, a failed hivex write, the commit's
// files (new primary, .hsbak with its logs) and its undo, and a commit that
// stops between writing and renaming.
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "offline/posix/HiveCommit.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

// argv: empty hive, output. "Big" holds a 20,000-byte value beside a small
// one; "Plain" holds one small value.
constexpr const char* kMakeScratch = R"PY(
import hivex, shutil, sys
shutil.copy(sys.argv[1], sys.argv[2])
h = hivex.Hivex(sys.argv[2], write=True)
big = h.node_add_child(h.root(), "Big")
h.node_set_values(big, [{"key": "huge", "t": 3, "value": b"x" * 20000},
                        {"key": "small", "t": 4, "value": b"\1\0\0\0"}])
plain = h.node_add_child(h.root(), "Plain")
h.node_set_values(plain, [{"key": "v", "t": 4, "value": b"\2\0\0\0"}])
h.commit(None)
)PY";

RegValue Binary(const std::string& name, std::size_t size) {
  return RegValue{name, kRegBinary, std::vector<std::uint8_t>(size, 0x5A)};
}

class HiveWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
    path = folder.path() + "/SOFTWARE";
    ASSERT_TRUE(
        RunHivexScript(folder.path(), kMakeScratch, {folder.take("recovery/EmptyHive"), path}));
    original = ReadFileBytes(path);
  }

  RegKeyPtr open(OfflineRegistry& registry, const std::string& key, bool create = false) {
    RegKeyPtr handle;
    registry.openKey(RootKey::LocalMachine, nullptr, "TEST\\" + key, RegAccess::All, create,
                     handle);
    return handle;
  }

  HiveFolder folder;
  std::string path;
  std::vector<std::uint8_t> original;
};

TEST_F(HiveWrite, RefusesPerItemWhatHivexWouldWriteWronglyAndCommitsTheRest) {
  std::shared_ptr<HiveFile> hive = OpenHive(path, true);
  ASSERT_TRUE(hive && hive->writable());
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
  RegKeyPtr plain = open(*registry, "Plain");
  RegKeyPtr big = open(*registry, "Big");
  ASSERT_TRUE(plain && big);

  EXPECT_EQ(registry->setValue(*plain, Binary("too big", 16345)), RegStatus::AccessDenied);
  EXPECT_EQ(registry->setValue(*plain, Binary("largest", 16344)), RegStatus::Ok);
  // hivex rewrites the key's whole value list, the big sibling with it.
  EXPECT_EQ(registry->deleteValue(*big, "small"), RegStatus::AccessDenied);
  EXPECT_EQ(registry->setValue(*big, Binary("new", 4)), RegStatus::AccessDenied);
  EXPECT_FALSE(open(*registry, "Plain\\Caf\xC3\xA9", true));
  EXPECT_FALSE(open(*registry, std::string("Plain\\zero\0key", 13), true));
  EXPECT_EQ(registry->setValue(*plain, Binary(std::string("a\0b", 3), 1)), RegStatus::AccessDenied);
  EXPECT_TRUE(open(*registry, "Plain\\ascii", true));

  ASSERT_EQ(registry->refusals().size(), 6u);
  EXPECT_EQ(registry->refusals()[0].item, "HKEY_LOCAL_MACHINE\\TEST\\Plain [too big]");
  EXPECT_NE(registry->refusals()[1].reason.find("20000 bytes"), std::string::npos);
  EXPECT_EQ(registry->refusals()[3].item, "HKEY_LOCAL_MACHINE\\TEST\\Plain\\Caf\xC3\xA9");
  EXPECT_NE(registry->refusals()[3].reason.find("outside ASCII"), std::string::npos);
  RegValue kept;
  EXPECT_EQ(registry->queryValue(*big, "small", kept), RegStatus::Ok);

  // The refusals touched nothing: the hive commits, and reads back the
  // writes that were made.
  EXPECT_FALSE(hive->poisoned());
  const CommitResult commit = CommitHive(*hive);
  ASSERT_TRUE(commit.committed) << commit.error;
  std::unique_ptr<OfflineRegistry> again = RegistryOf(OpenHive(path));
  RegKeyPtr reread = open(*again, "Plain");
  ASSERT_TRUE(reread);
  RegValue largest;
  ASSERT_EQ(again->queryValue(*reread, "largest", largest), RegStatus::Ok);
  EXPECT_EQ(largest.data.size(), 16344u);
  EXPECT_TRUE(open(*again, "Plain\\ascii"));
  EXPECT_FALSE(open(*again, "Plain\\Caf\xC3\xA9"));
}

TEST_F(HiveWrite, AfterAFailedHivexWriteNothingOfTheHiveIsWritten) {
  std::shared_ptr<HiveFile> hive = OpenHive(path, true);
  ASSERT_TRUE(hive);
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
  ASSERT_EQ(registry->setValue(*open(*registry, "Plain"), Binary("made", 8)), RegStatus::Ok);
  // hivex refuses a second child of the same name, after our checks passed.
  HiveNode made = 0;
  std::string reason;
  EXPECT_EQ(hive->addChild(hive->root(), "Plain", made, reason), RegStatus::Failed);
  EXPECT_TRUE(hive->poisoned());
  EXPECT_EQ(registry->setValue(*open(*registry, "Plain"), Binary("later", 8)),
            RegStatus::AccessDenied);
  const CommitResult commit = CommitHive(*hive);
  EXPECT_FALSE(commit.committed);
  EXPECT_NE(commit.error.find("failed write"), std::string::npos) << commit.error;
  EXPECT_EQ(ReadFileBytes(path), original);
  EXPECT_FALSE(fs::exists(NewFileOf(path)));
  EXPECT_FALSE(fs::exists(KeptFileOf(path)));
}

TEST_F(HiveWrite, AStepThatFailsBeforeTheRenameLeavesTheOldHiveAndNoLeftover) {
  for (const CommitStep failing :
       {CommitStep::WriteNew, CommitStep::KeepOld, CommitStep::Replace}) {
    std::shared_ptr<HiveFile> hive = OpenHive(path, true);
    std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
    ASSERT_EQ(registry->deleteValue(*open(*registry, "Plain"), "v"), RegStatus::Ok);
    CommitHooks hooks;
    hooks.failBefore = [&](CommitStep step) { return step == failing; };
    const CommitResult commit = CommitHive(*hive, hooks);
    EXPECT_FALSE(commit.committed);
    EXPECT_NE(commit.error.find("is unchanged"), std::string::npos) << commit.error;
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_FALSE(fs::exists(NewFileOf(path)));
  }
}

TEST_F(HiveWrite, AKillBetweenWriteAndRenameLeavesTheOldHiveAndTheNextRunSaysSo) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::shared_ptr<HiveFile> hive = OpenHive(path, true);
    std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
    registry->deleteValue(*open(*registry, "Plain"), "v");
    CommitHooks hooks;
    hooks.failBefore = [](CommitStep step) {
      if (step == CommitStep::Replace) ::raise(SIGKILL);
      return false;
    };
    CommitHive(*hive, hooks);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadFileBytes(path), original);
  ASSERT_TRUE(fs::exists(NewFileOf(path)));
  const std::string note = ClearInterruptedCommit(path);
  EXPECT_NE(note.find("stopped before it replaced the file"), std::string::npos) << note;
  EXPECT_NE(note.find("was removed"), std::string::npos) << note;
  EXPECT_FALSE(fs::exists(NewFileOf(path)));
  EXPECT_EQ(ClearInterruptedCommit(path), "");
}

TEST_F(HiveWrite, AStaleHiveIsNeverWritten) {
  // Dirty, with its logs gone: its newest changes cannot be had.
  const std::string stale = folder.take("real/SYSTEM_B");
  std::shared_ptr<HiveFile> hive = OpenHive(stale, true);
  ASSERT_TRUE(hive);
  ASSERT_TRUE(hive->state().stale());
  EXPECT_FALSE(hive->writable());
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
  RegKeyPtr root = open(*registry, "");
  ASSERT_TRUE(root);
  EXPECT_EQ(registry->setValue(*root, Binary("v", 4)), RegStatus::AccessDenied);
  ASSERT_EQ(registry->refusals().size(), 1u);
  EXPECT_NE(registry->refusals()[0].reason.find("never written"), std::string::npos);
  EXPECT_FALSE(CommitHive(*hive).committed);
}

}  // namespace
}  // namespace hs::offline::test

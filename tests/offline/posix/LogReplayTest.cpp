// The transaction-log replay on hives and logs written by Windows: the
// result must equal what Windows itself made of the same files, damaged
// logs must be refused, and the primary file must never change.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/Sha256.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

std::string FileDigest(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return DigestHex(Sha256Of(std::string(bytes.begin(), bytes.end())));
}

class LogReplay : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  }

  // Decompresses the primary and the logs named, returns the primary's path.
  std::string take(const std::string& primary, std::initializer_list<const char*> logs) {
    for (const char* log : logs) folder.take(primary + log);
    return folder.take(primary);
  }

  std::vector<std::string> dump(const std::string& path) {
    std::shared_ptr<HiveFile> hive = OpenHive(path);
    if (!hive) return {};
    std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
    return DumpThroughBackend(*registry);
  }

  HiveState load(const std::string& path) {
    std::string error;
    std::optional<LoadedHive> hive = LoadHive(path, error);
    EXPECT_TRUE(hive) << error;
    return hive ? hive->state : HiveState{};
  }

  HiveFolder folder;
};

TEST_F(LogReplay, BothLogFormatsGiveWhatWindowsRecovered) {
  const struct {
    const char* primary;
    const char* recovered;
    LogFormat format;
  } cases[] = {{"recovery/NewDirtyHive1/NewDirtyHive",
                "recovery/NewDirtyHive1/RecoveredHive_Windows10", LogFormat::New},
               {"recovery/OldDirtyHive/OldDirtyHive",
                "recovery/OldDirtyHive/RecoveredHive_Windows7", LogFormat::Old}};
  for (const auto& c : cases) {
    const std::string primary = take(c.primary, {".LOG1", ".LOG2"});
    const std::string digestBefore = FileDigest(primary);
    const HiveState state = load(primary);
    EXPECT_EQ(state.outcome, ReplayOutcome::Replayed) << c.primary << ": " << state.detail;
    EXPECT_EQ(state.format, c.format) << c.primary;
    const std::vector<std::string> replayed = dump(primary);
    const std::vector<std::string> expected = dump(folder.take(c.recovered));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(replayed, expected) << c.primary;

    // Read without its logs, the primary is stale: the comparison means something.
    const std::string bare = folder.path() + "/bare";
    fs::copy_file(primary, bare, fs::copy_options::overwrite_existing);
    EXPECT_EQ(load(bare).outcome, ReplayOutcome::NoLogs);
    EXPECT_NE(dump(bare), expected) << c.primary;
    // And the primary itself was never written.
    EXPECT_EQ(FileDigest(primary), digestBefore);
  }
}

TEST_F(LogReplay, RealDirtyHivesReplayToWholeHivesThatAnotherReaderAgreesWith) {
  const struct {
    const char* primary;
    std::initializer_list<const char*> logs;
  } cases[] = {{"real/SYSTEM_B", {".LOG1", ".LOG2"}},
               {"real/UsrClass.dat", {".LOG1", ".LOG2"}},
               {"real/transactions_NTUSER.DAT", {}}};
  folder.take("real/transactions_ntuser.dat.log1");  // lower-case names, as found on disk
  folder.take("real/transactions_ntuser.dat.log2");
  for (const auto& c : cases) {
    const std::string primary = take(c.primary, c.logs);
    const HiveState state = load(primary);
    ASSERT_EQ(state.outcome, ReplayOutcome::Replayed) << c.primary << ": " << state.detail;
    EXPECT_EQ(state.logPaths.size(), 2u) << c.primary;
    EXPECT_GT(state.entriesApplied, 10u) << state.detail;
    // The replayed image, written out, reads the same through python3-hivex.
    std::string error;
    std::optional<LoadedHive> loaded = LoadHive(primary, error);
    ASSERT_TRUE(loaded);
    const std::string copy = folder.path() + "/replayed";
    {
      std::ofstream out(copy, std::ios::binary);
      out.write(reinterpret_cast<const char*>(loaded->image.bytes().data()),
                static_cast<std::streamsize>(loaded->image.bytes().size()));
    }
    const std::vector<std::string> ours = dump(primary);
    EXPECT_GT(ours.size(), 1000u);
    EXPECT_EQ(ours, DumpWithPythonHivex(copy)) << c.primary;
    fs::remove(copy);
  }
}

TEST_F(LogReplay, DamagedOrForeignLogsAreRefused) {
  for (const char* primary :
       {"recovery/BadLogHive1/BadLogHive", "recovery/BadLogHive2/BadLogHive",
        "recovery/BadLogHive3/BadLogHive", "recovery/BadBaseBlockHive/BadBaseBlockHive"}) {
    fs::remove_all(folder.path());
    fs::create_directory(folder.path());
    const HiveState state = load(take(primary, {".LOG1", ".LOG2"}));
    EXPECT_EQ(state.outcome, ReplayOutcome::LogsUnusable) << primary;
    EXPECT_FALSE(state.detail.empty());
    EXPECT_TRUE(state.stale());
  }
}

// Entries stop at the first that does not check out: those before it apply.
TEST_F(LogReplay, ReplayStopsAtTheFirstDamagedEntry) {
  const std::string primary = take("recovery/NewDirtyHive1/NewDirtyHive", {".LOG1", ".LOG2"});
  std::vector<std::uint8_t> log2 = ReadFileBytes(primary + ".LOG2");
  log2[8192 + 200] ^= 0xFF;  // inside the second entry of .LOG2 (sequence 4): its hash fails
  std::ofstream(primary + ".LOG2", std::ios::binary)
      .write(reinterpret_cast<const char*>(log2.data()), static_cast<std::streamsize>(log2.size()));
  const HiveState state = load(primary);
  EXPECT_EQ(state.outcome, ReplayOutcome::Replayed) << state.detail;
  EXPECT_EQ(state.entriesApplied, 2u) << state.detail;  // sequences 2 and 3

  // Without .LOG1 nothing follows the hive's sequence number 2 but a gap
  // Windows leaves only after a partial reconcile: entries 3.. apply.
  fs::remove(primary + ".LOG1");
  EXPECT_EQ(load(primary).outcome, ReplayOutcome::Replayed);
}

TEST_F(LogReplay, CleanHivesAreNotTouchedAndNonHivesAreNamed) {
  EXPECT_EQ(load(folder.take("real/SYSTEM")).outcome, ReplayOutcome::Clean);
  EXPECT_EQ(load(folder.take("recovery/GarbageHive")).outcome, ReplayOutcome::NoLogs);
  const std::string text = folder.path() + "/text";
  std::ofstream(text) << "not a hive";
  EXPECT_EQ(load(text).outcome, ReplayOutcome::NotAHive);
}

}  // namespace
}  // namespace hs::offline::test

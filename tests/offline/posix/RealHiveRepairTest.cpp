// The console's repair over real Windows hives that are dirty (their newest
// changes only in the logs): a key and a value chosen there are backed up,
// deleted and committed; the committed file is the replayed hive less
// exactly those items, as hivexregedit exports it; undo-commit brings back
// the files as they were, logs and all.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <span>

#include "cli/RepairCommand.h"
#include "offline/posix/HiveCommit.h"
#include "offline/posix/HiveTestFiles.h"
#include "platform/memory/MemoryFileSystem.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

struct RealHive {
  const char* primary;
  std::vector<const char*> logs;
};

bool PlainName(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return c > 0x20 && c < 0x7F && c != '"' && c != '\\';
  });
}

bool SmallPlainValues(const std::vector<RegValue>& values) {
  return std::all_of(values.begin(), values.end(),
                     [](const RegValue& v) { return PlainName(v.name) && v.data.size() <= 16344; });
}

// The first leaf key with values (for a key row) and the last value of the
// first other key with two or more values (for a value row), in tree order.
struct Chosen {
  std::string key, valueKey, value;
};

void Choose(HiveFile& hive, HiveNode node, const std::string& path, int depth, Chosen& chosen) {
  const std::vector<HiveChild>* children = hive.children(node);
  const std::optional<std::vector<RegValue>> values = hive.values(node);
  if (!children || !values || hive.isLink(node) || !SmallPlainValues(*values)) return;
  if (chosen.key.empty() && depth >= 2 && children->empty() && !values->empty()) {
    chosen.key = path;
    return;
  }
  if (chosen.valueKey.empty() && depth >= 1 && values->size() >= 2) {
    chosen.valueKey = path;
    chosen.value = values->back().name;
  }
  for (const HiveChild& child : *children)
    if (PlainName(child.name))
      Choose(hive, child.node, path.empty() ? child.name : path + "\\" + child.name, depth + 1,
             chosen);
}

std::vector<ExportSection> Without(std::vector<ExportSection> sections, const Chosen& chosen) {
  std::erase_if(sections,
                [&](const ExportSection& s) { return s.header == "[\\" + chosen.key + "]"; });
  for (ExportSection& section : sections)
    if (section.header == "[\\" + chosen.valueKey + "]")
      std::erase_if(section.lines, [&](const std::string& line) {
        return line.rfind("\"" + chosen.value + "\"=", 0) == 0;
      });
  return sections;
}

void WriteBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class RealHiveRepair : public ::testing::TestWithParam<RealHive> {};

TEST_P(RealHiveRepair, CommitsTheReplayedHiveLessExactlyTheRepairedItemsAndUndoesIt) {
  if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  HiveFolder folder;
  const std::string path = folder.take(std::string("real/") + GetParam().primary);
  std::vector<std::string> logs;
  for (const char* log : GetParam().logs) logs.push_back(folder.take(std::string("real/") + log));
  const std::vector<std::uint8_t> primaryBytes = ReadFileBytes(path);
  std::vector<std::vector<std::uint8_t>> logBytes;
  for (const std::string& log : logs) logBytes.push_back(ReadFileBytes(log));

  // What Windows would read: the logs replayed. It differs from the primary.
  std::string error;
  std::optional<LoadedHive> loaded = LoadHive(path, error);
  ASSERT_TRUE(loaded && loaded->state.outcome == ReplayOutcome::Replayed) << error;
  const std::string replayed = folder.path() + "/replayed";
  WriteBytes(replayed, loaded->image.bytes());
  const std::vector<ExportSection> before = ExportWithHivexregedit(replayed);
  ASSERT_NE(before, ExportWithHivexregedit(path));

  std::shared_ptr<HiveFile> hive = OpenHive(path, true);
  ASSERT_TRUE(hive && hive->writable());
  Chosen chosen;
  Choose(*hive, hive->root(), "", 0, chosen);
  ASSERT_FALSE(chosen.key.empty() || chosen.valueKey.empty());
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
  const std::vector<Finding> rows = {
      {"key", "HKEY_LOCAL_MACHINE\\TEST\\" + chosen.key, "", FindingKind::fkKey, true, 1},
      {"value", "HKEY_LOCAL_MACHINE\\TEST\\" + chosen.valueKey, chosen.value,
       FindingKind::fkNamedValue, true, 1}};
  MemoryFileSystem backups;
  const CommandOutput repair = RunRepairCommand(*registry, backups, rows, "C:\\Backups");
  ASSERT_EQ(repair.exitCode, 0) << repair.err;
  ASSERT_EQ(repair.out.find("Not repaired"), std::string::npos) << repair.out;

  const CommitResult commit = CommitHive(*hive);
  ASSERT_TRUE(commit.committed) << commit.error;
  const std::optional<LoadedHive> after = LoadHive(path, error);
  ASSERT_TRUE(after && after->state.block) << error;
  EXPECT_FALSE(after->state.dirty());
  EXPECT_GT(after->state.block->primarySequence, loaded->state.block->primarySequence);
  EXPECT_TRUE(after->state.logPaths.empty());
  EXPECT_EQ(ExportWithHivexregedit(path), Without(before, chosen));
  EXPECT_EQ(ReadFileBytes(KeptFileOf(path)), primaryBytes);
  EXPECT_EQ(ReadFileBytes(KeptFileOf(path) + fs::path(logs[0]).filename().string().substr(
                                                 fs::path(path).filename().string().size())),
            logBytes[0]);

  const UndoResult undo = UndoCommit(path, false);
  ASSERT_TRUE(undo.undone) << undo.message;
  EXPECT_EQ(ReadFileBytes(path), primaryBytes);
  // The logs come back named after the primary (Windows names match
  // without regard to case), in the same order and byte for byte.
  const std::vector<std::string> logsBack = FindLogFiles(path);
  ASSERT_EQ(logsBack.size(), logs.size());
  for (std::size_t i = 0; i < logs.size(); ++i) EXPECT_EQ(ReadFileBytes(logsBack[i]), logBytes[i]);
  std::optional<LoadedHive> again = LoadHive(path, error);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->state.outcome, ReplayOutcome::Replayed);
}

INSTANTIATE_TEST_SUITE_P(
    Dirty, RealHiveRepair,
    ::testing::Values(RealHive{"UsrClass.dat", {"UsrClass.dat.LOG1", "UsrClass.dat.LOG2"}},
                      RealHive{"transactions_NTUSER.DAT",
                               {"transactions_ntuser.dat.log1", "transactions_ntuser.dat.log2"}}),
    [](const auto& info) { return std::string(info.index == 0 ? "UsrClass" : "Ntuser"); });

}  // namespace
}  // namespace hs::offline::test

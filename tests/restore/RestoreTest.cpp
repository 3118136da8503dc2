#include <gtest/gtest.h>

#include "mainwindow/Repair.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "restore/BackupList.h"
#include "restore/RestoreBackup.h"
#include "restore/RestoreVerify.h"

namespace hs {
namespace {

// Stands in for the system registry editor: imports the named file into the
// in-memory registry (or does what a test wants instead).
class FakeEditor : public RegistryEditorRunner {
 public:
  FakeEditor(MemoryFileSystem& fs, MemoryRegistry& reg) : m_fs(fs), m_reg(reg) {}
  EditorRun run(const std::string& commandLine) override {
    commandLines.push_back(commandLine);
    if (result != EditorRun::Ended || !import) return result;
    const std::size_t open = commandLine.find('"');
    std::string bytes;
    RegFileError error;
    if (m_fs.readFile(commandLine.substr(open + 1, commandLine.size() - open - 2), bytes) ==
        FsStatus::Ok)
      m_reg.importText(bytes, m_fs.ansiCodePage(), error);
    return result;
  }
  EditorRun result = EditorRun::Ended;
  bool import = true;
  std::vector<std::string> commandLines;

 private:
  MemoryFileSystem& m_fs;
  MemoryRegistry& m_reg;
};

const char* const kBackup =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\App]\r\n"
    "\"Tool\"=\"C:\\\\gone.exe\"\r\n"
    "\"Exp\"=hex(2):25,41,25,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n"
    "@=dword:00000001\r\n";

class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override { fs.addFile(kFile, kBackup); }
  RestoreOutcome Restore(bool deleteAfter = true) {
    return RestoreBackupFile(fs, reg, editor, kFile, deleteAfter);
  }
  static constexpr const char* kFile = "C:\\Backup\\Backup20240101120000.reg";
  MemoryFileSystem fs;
  MemoryRegistry reg;
  FakeEditor editor{fs, reg};
};

TEST_F(RestoreTest, VerifiedRestoreDeletesTheFileOnlyWhenAsked) {
  RestoreOutcome outcome = Restore(false);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_EQ(editor.commandLines.at(0), "Regedit /s \"C:\\Backup\\Backup20240101120000.reg\"");
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
  outcome = Restore(true);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored);
  EXPECT_TRUE(outcome.fileDeleted);
  EXPECT_EQ(fs.probe(kFile), PathProbe::NotFound);
}

TEST_F(RestoreTest, AnUnverifiedRestoreKeepsTheFileAndNamesTheItems) {
  editor.import = false;  // the editor "succeeds" and changes nothing
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App", true));
  ASSERT_TRUE(key.WriteValueText("Tool", "C:\\gone.exe"));
  ASSERT_TRUE(key.WriteValue({"Exp", kRegSz, {0x25, 0, 0x41, 0, 0x25, 0, 0, 0}}));
  const RestoreOutcome outcome = Restore(true);
  EXPECT_EQ(outcome.end, RestoreEnd::NotVerified);
  EXPECT_FALSE(outcome.fileDeleted);
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
  ASSERT_EQ(outcome.differences.size(), 2u);
  EXPECT_EQ(outcome.differences[0].item, "HKEY_CURRENT_USER\\Software\\App value \"Exp\"");
  EXPECT_NE(outcome.differences[0].problem.find("type 1 instead of 2"), std::string::npos);
  EXPECT_EQ(outcome.differences[1].item, "HKEY_CURRENT_USER\\Software\\App\\Sub");
  EXPECT_EQ(outcome.differences[1].problem, "is missing");
}

TEST_F(RestoreTest, EditorAndFileFailures) {
  editor.result = EditorRun::NotStarted;
  EXPECT_EQ(Restore().end, RestoreEnd::EditorNotStarted);
  EXPECT_EQ(Restore().message, "Please check if Regedit.exe exists.");
  editor.result = EditorRun::Stopped;
  EXPECT_EQ(Restore().end, RestoreEnd::Stopped);
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);

  editor.result = EditorRun::Ended;
  EXPECT_EQ(RestoreBackupFile(fs, reg, editor, "C:\\Backup\\missing.reg", true).end,
            RestoreEnd::BadFile);
  fs.addFile("C:\\Backup\\bad.reg", "not a registry file");
  EXPECT_EQ(RestoreBackupFile(fs, reg, editor, "C:\\Backup\\bad.reg", true).end,
            RestoreEnd::BadFile);
  EXPECT_EQ(fs.probe("C:\\Backup\\bad.reg"), PathProbe::File);
}

TEST_F(RestoreTest, ACutOffFileRestoresOnlyItsIntactPart) {
  fs.addFile(kFile, std::string(kBackup) + "\"Half\"=hex:01,02,\\\r\n03,");
  const RestoreOutcome outcome = Restore(false);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_TRUE(outcome.cutOff);
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App\\Sub"));
  EXPECT_FALSE(key.HasValue("Half")) << "a partial value never reaches the registry";
  EXPECT_EQ(fs.probe(std::string(kFile) + ".intact"), PathProbe::NotFound);
}

// What the repair deletes, the restore brings back, checked item by item.
TEST_F(RestoreTest, RepairThenRestoreRoundTrip) {
  RegFileError error;
  ASSERT_TRUE(reg.importText(
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\RT\\K]\r\n\"Bin\"=hex:00,ff\r\n"
      "\"Multi\"=hex(7):61,00,00\r\n[HKEY_CURRENT_USER\\Software\\RT\\K\\Deep]\r\n@=\"x\"\r\n"
      "[HKEY_CURRENT_USER\\Software\\RT]\r\n\"Val\"=hex(b):01,02,03,04,05,06,07,08\r\n",
      error));
  fs.addFolder("C:\\B");
  std::vector<Finding> rows(2);
  rows[0] = {"p", "HKEY_CURRENT_USER\\Software\\RT\\K", "", FindingKind::fkKey, true, 0};
  rows[1] = {"p", "HKEY_CURRENT_USER\\Software\\RT", "Val", FindingKind::fkNamedValue, true, 0};
  RepairHooks hooks;
  hooks.clock = [] { return LocalDateTime{2024, 1, 2, 3, 4, 5}; };
  const RepairOutcome repaired = RepairRun(reg, fs, "C:\\B", false, hooks).Run(rows);
  ASSERT_TRUE(repaired.notRepaired.empty()) << repaired.notRepaired.front().reason;
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_FALSE(key.PathExists("Software\\RT\\K"));

  const RestoreOutcome restored = RestoreBackupFile(fs, reg, editor, repaired.backupFile, true);
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  EXPECT_TRUE(key.PathExists("Software\\RT\\K\\Deep"));
  ASSERT_TRUE(key.OpenPath("Software\\RT"));
  RegValue value;
  ASSERT_TRUE(key.RawValue("Val", value));
  EXPECT_EQ(value.type, static_cast<std::uint32_t>(kRegQword));
}

TEST(RestoreVerify, ValuesWhoseNamesDifferInOneLetterAreEachChecked) {
  // L with stroke (U+0141) and l with middle dot (U+0140) are two names to
  // the registry: a file holding both is restored only when both are there.
  const std::string stroke = "\xC5\x81", middleDot = "\xC5\x80";
  RegFileSection section;
  section.keyPath = "HKEY_CURRENT_USER\\Software\\App";
  section.values = {{RegValue{stroke, kRegDword, {1, 0, 0, 0}}},
                    {RegValue{middleDot, kRegDword, {2, 0, 0, 0}}}};
  RegFile file;
  file.unicode = true;
  file.sections.push_back(section);
  MemoryRegistry registry;
  TRegistry key(registry, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App", true));
  ASSERT_TRUE(key.WriteValue({middleDot, kRegDword, {2, 0, 0, 0}}));
  const std::vector<RestoreDifference> differences = VerifyRestored(registry, file);
  ASSERT_EQ(differences.size(), 1u);
  EXPECT_EQ(differences[0].item, "HKEY_CURRENT_USER\\Software\\App value \"" + stroke + "\"");
  EXPECT_EQ(differences[0].problem, "is missing");
}

TEST(BackupList, ListsRegFilesNewestFirst) {
  MemoryFileSystem fs;
  fs.addFile("C:\\B\\Backup20240101120000.reg", std::string(1025, 'x'));
  fs.addFile("C:\\B\\backup20240102120000.REG", "x");
  fs.addFile("C:\\B\\notes.txt", "x");
  fs.addFile("C:\\B\\.reg", "x");
  fs.addFolder("C:\\B\\folder.reg");
  std::vector<BackupFileEntry> list;
  ASSERT_EQ(ListBackupFiles(fs, "C:\\B", list), FsStatus::Ok);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "backup20240102120000.REG");
  EXPECT_EQ(list[1].name, "Backup20240101120000.reg");
  EXPECT_EQ(list[1].size, 1025u);
  EXPECT_EQ(ListBackupFiles(fs, "C:\\None", list), FsStatus::NotFound);
  EXPECT_TRUE(list.empty());
}

TEST(MemoryFileSystem, ReadsAFileFromAnOffset) {
  MemoryFileSystem fs;
  fs.addFile("C:\\f.reg", "REGEDIT4\r\nrest");
  std::string out;
  EXPECT_EQ(fs.readFileFrom("C:\\f.reg", 10, out), FsStatus::Ok);
  EXPECT_EQ(out, "rest");
  EXPECT_EQ(fs.readFileFrom("C:\\f.reg", 99, out), FsStatus::Ok);
  EXPECT_EQ(out, "");
  EXPECT_EQ(fs.readFileFrom("C:\\none.reg", 0, out), FsStatus::NotFound);
}

TEST(BackupList, SizeTexts) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, "0 KB"},          {1, "1 KB"},           {1024, "1 KB"},
      {1025, "2 KB"},       {1234567, "1,206 KB"}, {1023999, "1,000 KB"},
      {3ull << 31, "6,291,456 KB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
  EXPECT_EQ(JoinPath("C:\\B", "x.reg"), "C:\\B\\x.reg");
  EXPECT_EQ(JoinPath("C:\\B\\", "x.reg"), "C:\\B\\x.reg");
}

}  // namespace
}  // namespace hs

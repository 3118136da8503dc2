#include <gtest/gtest.h>

#include <set>

#include "common/Sha256.h"
#include "common/Text.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "repair/Repair.h"
#include "restore/BackupList.h"
#include "restore/BackupRecord.h"
#include "restore/FakeEditor.h"
#include "restore/RecycledFiles.h"
#include "restore/RestoreBackup.h"
#include "restore/RestoreDialogRules.h"
#include "restore/RestoreVerify.h"

namespace hs {
namespace {

const char* const kBackup =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\App]\r\n"
    "\"Tool\"=\"C:\\\\gone.exe\"\r\n"
    "\"Exp\"=hex(2):25,41,25,00\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n"
    "@=dword:00000001\r\n";

// Records `bytes` (or their first `length`) as this program's writing of `file`.
void RecordAsOurs(MemoryRegistry& reg, MemoryFileSystem& fs, const std::string& file,
                  const std::string& bytes, std::size_t length = std::string::npos) {
  const std::string_view part = std::string_view(bytes).substr(0, length);
  ASSERT_TRUE(BackupRecord(reg, fs).record(file, {part.size(), Sha256Of(part)}));
}

class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.addFile(kFile, kBackup);
    RecordAsOurs(reg, fs, kFile, kBackup);
  }
  RestoreOutcome Restore(bool deleteAfter = true, const std::string& file = kFile,
                         bool force = false) {
    return RestoreBackupFile(fs, reg, editor, {file, "C:\\Backup", deleteAfter, force, {}, {}});
  }
  static constexpr const char* kFile = "C:\\Backup\\Backup20240101120000.reg";
  MemoryFileSystem fs;
  MemoryRegistry reg;
  FakeEditor editor{fs, reg};
};

TEST_F(RestoreTest, VerifiedRestoreDeletesTheFileOnlyWhenAsked) {
  RestoreOutcome outcome = Restore(false);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  // The editor reads a private copy, never the file others may write to.
  EXPECT_EQ(editor.commandLines.at(0).rfind("Regedit /s \"C:\\Users\\Admin\\Temp\\", 0), 0u)
      << editor.commandLines.at(0);
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
  EXPECT_EQ(outcome.message.rfind("2 items of the backup are not in the registry", 0), 0u);
  TRegistry sub(reg, RootKey::CurrentUser);
  ASSERT_TRUE(sub.OpenPath("Software\\App\\Sub", true));
  ASSERT_TRUE(sub.WriteValue({"", kRegDword, {1, 0, 0, 0}}));
  const RestoreOutcome one = Restore(true);
  ASSERT_EQ(one.differences.size(), 1u);
  EXPECT_EQ(one.message.rfind("1 item of the backup is not in the registry", 0), 0u) << one.message;
}

TEST_F(RestoreTest, EditorAndFileFailures) {
  editor.result = EditorRun::NotStarted;
  EXPECT_EQ(Restore().end, RestoreEnd::EditorNotStarted);
  EXPECT_EQ(Restore().message, "Please check if Regedit.exe exists.");
  editor.result = EditorRun::Stopped;
  EXPECT_EQ(Restore().end, RestoreEnd::Stopped);
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);

  editor.result = EditorRun::Ended;
  EXPECT_EQ(Restore(true, "C:\\Backup\\missing.reg").end, RestoreEnd::BadFile);
  fs.addFile("C:\\Backup\\bad.reg", "not a registry file");
  EXPECT_EQ(Restore(true, "C:\\Backup\\bad.reg", true).end, RestoreEnd::Refused);
  EXPECT_EQ(fs.probe("C:\\Backup\\bad.reg"), PathProbe::File);
}

TEST_F(RestoreTest, ACutOffFileRestoresOnlyItsIntactPartAndIsKept) {
  const std::string cut = std::string(kBackup) + "\"Half\"=hex:01,02,\\\r\n03,";
  fs.addFile(kFile, cut);
  RecordAsOurs(reg, fs, kFile, cut);  // even a file recorded whole is cut at its intact part
  const RestoreOutcome outcome = Restore(true);
  EXPECT_EQ(outcome.end, RestoreEnd::Partial) << outcome.message;
  EXPECT_TRUE(outcome.cutOff);
  EXPECT_NE(outcome.message.find("incomplete line"), std::string::npos) << outcome.message;
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App\\Sub"));
  EXPECT_FALSE(key.HasValue("Half")) << "a partial value never reaches the registry";
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
  std::vector<DirEntry> temp;
  ASSERT_EQ(fs.listDirectory("C:\\Users\\Admin\\Temp", temp), FsStatus::Ok);
  EXPECT_TRUE(temp.empty()) << "the private copy is removed";
}

// What the repair deletes, the restore brings back, checked item by item.
TEST_F(RestoreTest, RepairThenRestoreRoundTrip) {
  RegFileError error;
  ASSERT_TRUE(ImportRegText(
      reg,
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

  const RestoreOutcome restored =
      RestoreBackupFile(fs, reg, editor, {repaired.backupFile, "C:\\B", true, false, {}, {}});
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  EXPECT_TRUE(restored.fileDeleted);
  EXPECT_TRUE(key.PathExists("Software\\RT\\K\\Deep"));
  ASSERT_TRUE(key.OpenPath("Software\\RT"));
  RegValue value;
  ASSERT_TRUE(key.RawValue("Val", value));
  EXPECT_EQ(value.type, static_cast<std::uint32_t>(kRegQword));
}

// The restore checks a file section by section, holding little of it: it
// must judge as the check over the whole parsed file does, later sections
// winning over earlier ones whatever the letter case.
TEST(RestoreVerify, TheFileReadSectionBySectionIsJudgedAsTheWholeFile) {
  MemoryRegistry reg;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(reg,
                            "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"x\"=\"2\"\r\n"
                            "\"y\"=dword:00000001\r\n",
                            error));
  const std::string file =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n\"x\"=\"1\"\r\n\"Y\"=dword:00000001\r\n"
      "\"z\"=\"3\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"v\"=\"1\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\a]\r\n\"X\"=\"2\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Gone]\r\n\"w\"=\"1\"\r\n";
  std::vector<RestoreDifference> streamed;
  ASSERT_TRUE(VerifyRestoredFile(reg, file, Windows1252CodePage(), streamed, error))
      << error.message;
  RegFile parsed;
  ASSERT_TRUE(ParseRegFile(file, Windows1252CodePage(), parsed, error));
  const std::vector<RestoreDifference> whole = VerifyRestored(reg, parsed);
  const auto texts = [](const std::vector<RestoreDifference>& differences) {
    std::multiset<std::string> out;
    for (const RestoreDifference& difference : differences)
      out.insert(UpperCase(difference.item) + ": " + difference.problem);
    return out;
  };
  EXPECT_EQ(texts(streamed), texts(whole));
  EXPECT_EQ(texts(streamed),
            (std::multiset<std::string>{"HKEY_CURRENT_USER\\SOFTWARE\\A VALUE \"Z\": is missing",
                                        "HKEY_CURRENT_USER\\SOFTWARE\\GONE: is missing"}));

  // A file that deletes is never judged this way (the restore refuses it first).
  EXPECT_FALSE(VerifyRestoredFile(reg, "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software\\A]\r\n",
                                  Windows1252CodePage(), streamed, error));
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

// A file anyone with write access to the backup folder could have made:
// nothing of it reaches the registry, with or without force, and it stays.
TEST_F(RestoreTest, AHostileFileIsRefusedBeforeTheEditorRuns) {
  TRegistry key(reg, RootKey::LocalMachine);
  ASSERT_TRUE(key.OpenPath("Software\\Victim", true));
  ASSERT_TRUE(key.WriteValueText("Keep", "1"));
  const std::string hostile =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"Evil\"=\"C:\\\\evil.exe\"\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software\\Victim]\r\n";
  fs.addFile(kFile, hostile);
  RecordAsOurs(reg, fs, kFile, hostile);  // not even a recorded file may delete
  for (const bool force : {false, true}) {
    const RestoreOutcome outcome = Restore(true, kFile, force);
    EXPECT_EQ(outcome.end, RestoreEnd::Refused);
    EXPECT_NE(
        outcome.message.find("line 6 \"[-HKEY_LOCAL_MACHINE\\Software\\Victim]\" deletes a key"),
        std::string::npos)
        << outcome.message;
  }
  EXPECT_TRUE(editor.commandLines.empty());
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
  EXPECT_TRUE(key.OpenPath("\\Software\\Victim"));
  EXPECT_TRUE(key.HasValue("Keep"));
  EXPECT_FALSE(TRegistry(reg, RootKey::CurrentUser).PathExists("Software\\Microsoft"));
}

TEST_F(RestoreTest, OnlyARecordedFileOrItsRecordedPartIsImportedWithoutForce) {
  const std::string planted = "C:\\Backup\\Backup20990101000000.reg";
  // The same items in other bytes, not written by us (a copy of a backup we
  // wrote would be known by its bytes wherever it lies).
  fs.addFile(planted, std::string("REGEDIT4\r\n\r\n") + (kBackup + 10));
  RestoreOutcome outcome = Restore(true, planted);
  EXPECT_EQ(outcome.end, RestoreEnd::Refused);
  EXPECT_EQ(outcome.provenance.provenance, Provenance::NotRecorded);
  EXPECT_NE(outcome.message.find("not recorded"), std::string::npos) << outcome.message;
  EXPECT_TRUE(editor.commandLines.empty());
  outcome = Restore(false, planted, true);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;

  // A recorded file changed inside its recorded part is not ours any more.
  std::string changed = kBackup;
  changed.replace(changed.find("gone.exe"), 8, "evil.exe");
  fs.addFile(kFile, changed);
  outcome = Restore(true);
  EXPECT_EQ(outcome.end, RestoreEnd::Refused);
  EXPECT_EQ(outcome.provenance.provenance, Provenance::Changed);

  // A tail added after the recorded part is left out unless forced.
  const std::string tail =
      "\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
      "\"Evil\"=\"C:\\\\evil.exe\"\r\n";
  fs.addFile(kFile, kBackup + tail);
  outcome = Restore(true);
  EXPECT_EQ(outcome.end, RestoreEnd::Partial) << outcome.message;
  EXPECT_EQ(outcome.provenance.trustedLength, std::string(kBackup).size());
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
  TRegistry run(reg, RootKey::CurrentUser);
  EXPECT_FALSE(run.PathExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  outcome = Restore(false, kFile, true);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_TRUE(run.PathExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
}

TEST_F(RestoreTest, OnlyAFileDirectlyInTheBackupFolderIsDeleted) {
  const auto restoreFrom = [&](const std::string& file, const std::string& bytes) {
    fs.addFile(file, bytes);
    RecordAsOurs(reg, fs, file, bytes);
    return Restore(true, file);
  };
  RestoreOutcome outcome = restoreFrom("C:\\Elsewhere\\Backup1.reg", kBackup);
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_FALSE(outcome.fileDeleted);
  EXPECT_NE(outcome.keptBecause.find("not in the backup folder"), std::string::npos);
  EXPECT_EQ(fs.probe("C:\\Elsewhere\\Backup1.reg"), PathProbe::File);

  outcome = restoreFrom("C:\\Backup\\Sub\\Backup2.reg", kBackup);
  EXPECT_FALSE(outcome.fileDeleted);
  outcome = Restore(true, "C:\\Backup\\..\\Elsewhere\\Backup1.reg");
  EXPECT_FALSE(outcome.fileDeleted);
  EXPECT_EQ(fs.probe("C:\\Elsewhere\\Backup1.reg"), PathProbe::File);

  // A link in the backup folder: neither it nor its target goes.
  fs.addLink("C:\\Backup\\Linked.reg", "C:\\Elsewhere\\Backup1.reg");
  outcome = Restore(true, "C:\\Backup\\Linked.reg");
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_FALSE(outcome.fileDeleted);
  EXPECT_EQ(fs.probe("C:\\Elsewhere\\Backup1.reg"), PathProbe::File);
  // A folder link inside the backup folder leads elsewhere too.
  fs.addLink("C:\\Backup\\Out", "C:\\Elsewhere");
  EXPECT_FALSE(Restore(true, "C:\\Backup\\Out\\Backup1.reg").fileDeleted);
  EXPECT_EQ(fs.probe("C:\\Elsewhere\\Backup1.reg"), PathProbe::File);

  outcome = Restore(true, "c:/backup/BACKUP20240101120000.REG");
  EXPECT_TRUE(outcome.fileDeleted) << outcome.keptBecause;
}

// An import that did not end by itself is reported as maybe partly restored,
// the backup kept; the copy the editor reads stays while it may still run.
TEST_F(RestoreTest, AStoppedImportIsPartialAndTheCopyStaysWhileTheEditorMayRun) {
  std::vector<DirEntry> temp;
  editor.result = EditorRun::Stopped;
  RestoreOutcome outcome = Restore();
  EXPECT_EQ(outcome.end, RestoreEnd::Stopped);
  EXPECT_NE(outcome.message.find("partly restored"), std::string::npos) << outcome.message;
  EXPECT_FALSE(outcome.fileDeleted);
  ASSERT_EQ(fs.listDirectory("C:\\Users\\Admin\\Temp", temp), FsStatus::Ok);
  EXPECT_TRUE(temp.empty());  // the editor has exited: its copy goes

  for (const EditorRun result : {EditorRun::StopUnconfirmed, EditorRun::Abandoned}) {
    editor.result = result;
    outcome = Restore();
    EXPECT_EQ(outcome.end, RestoreEnd::Stopped);
    EXPECT_NE(outcome.message.find("partly restored"), std::string::npos) << outcome.message;
    ASSERT_EQ(fs.listDirectory("C:\\Users\\Admin\\Temp", temp), FsStatus::Ok);
    ASSERT_EQ(temp.size(), 1u) << "the copy went while the editor may still read it";
    const std::string copy = "C:\\Users\\Admin\\Temp\\" + temp[0].name;
    EXPECT_NE(outcome.message.find("left at " + copy), std::string::npos) << outcome.message;
    EXPECT_EQ(editor.commandLines.back(), "Regedit /s \"" + copy + "\"");
    EXPECT_EQ(fs.probe(kFile), PathProbe::File);
    fs.deleteSilently(copy);
  }
}

TEST_F(RestoreTest, ThePrivateCopyIsRemovedWhateverHappens) {
  std::vector<DirEntry> temp;
  for (const EditorRun result : {EditorRun::NotStarted, EditorRun::Stopped}) {
    editor.result = result;
    EXPECT_NE(Restore().end, RestoreEnd::Restored);
    ASSERT_EQ(fs.listDirectory("C:\\Users\\Admin\\Temp", temp), FsStatus::Ok);
    EXPECT_TRUE(temp.empty());
  }
  editor.result = EditorRun::Ended;
  fs.setFreeBytes(20);  // the copy cannot be written whole
  EXPECT_EQ(Restore().end, RestoreEnd::Failed);
  fs.setFreeBytes(std::nullopt);
  ASSERT_EQ(fs.listDirectory("C:\\Users\\Admin\\Temp", temp), FsStatus::Ok);
  EXPECT_TRUE(temp.empty());
  EXPECT_EQ(editor.commandLines.size(), 2u) << "the editor never saw a partial copy";
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
}

class RepairRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg,
                              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\R\\A]\r\n\"V\"=\"1\"\r\n"
                              "[HKEY_CURRENT_USER\\Software\\R\\B]\r\n\"V\"=\"2\"\r\n",
                              error));
    fs.addFolder("C:\\B");
    hooks.clock = [] { return LocalDateTime{2024, 1, 2, 3, 4, 5}; };
    rows = {{"p", "HKEY_CURRENT_USER\\Software\\R\\A", "", FindingKind::fkKey, true, 0},
            {"p", "HKEY_CURRENT_USER\\Software\\R\\B", "", FindingKind::fkKey, true, 0}};
  }
  static constexpr const char* kFile = "C:\\B\\Backup20240102030405.reg";
  MemoryRegistry reg;
  MemoryFileSystem fs;
  FakeEditor editor{fs, reg};
  RepairHooks hooks;
  std::vector<Finding> rows;
};

TEST_F(RepairRecordTest, TheRecordFollowsTheBackupAndACrashLeavesItsVerifiedPartTrusted) {
  RepairRun repair(reg, fs, "C:\\B", false, hooks);
  ASSERT_TRUE(repair.Run(rows).notRepaired.empty());
  EXPECT_EQ(repair.BackupRecordProblem(), "");
  std::string bytes;
  ASSERT_EQ(fs.readFile(kFile, bytes), FsStatus::Ok);
  const auto recorded = BackupRecord(reg, fs).lookup(kFile);
  ASSERT_TRUE(recorded.has_value());
  EXPECT_EQ(recorded->length, bytes.size());
  EXPECT_EQ(recorded->digest, Sha256Of(bytes));

  // As if the repair had crashed while writing its next export.
  fs.addFile(kFile, bytes + "\r\n[HKEY_CURRENT_USER\\Software\\R\\C]\r\n\"V\"=hex:01,\\\r\n 02");
  RestoreOutcome outcome =
      RestoreBackupFile(fs, reg, editor, {kFile, "C:\\B", true, false, {}, {}});
  EXPECT_EQ(outcome.end, RestoreEnd::Partial) << outcome.message;
  EXPECT_EQ(outcome.provenance.provenance, Provenance::RecordedPrefix);
  TRegistry key(reg, RootKey::CurrentUser);
  EXPECT_TRUE(key.PathExists("Software\\R\\A"));
  EXPECT_TRUE(key.PathExists("Software\\R\\B"));
  EXPECT_FALSE(key.PathExists("Software\\R\\C"));
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
}

TEST_F(RepairRecordTest, AnUnrecordableBackupStillRepairsAndSaysSo) {
  reg.denyAccess("HKEY_LOCAL_MACHINE\\Software\\Corvane Hivesweep");
  RepairRun repair(reg, fs, "C:\\B", false, hooks);
  EXPECT_TRUE(repair.Run(rows).notRepaired.empty());
  EXPECT_NE(repair.BackupRecordProblem().find("administrator"), std::string::npos);
  EXPECT_FALSE(TRegistry(reg, RootKey::CurrentUser).PathExists("Software\\R\\A"));
}

TEST_F(RepairRecordTest, AFileThatExistedBeforeTheRepairIsNeverVouchedFor) {
  fs.addFile(kFile, "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software]\r\n");  // planted in advance
  RepairRun repair(reg, fs, "C:\\B", false, hooks);
  repair.Run(rows);
  EXPECT_NE(repair.BackupRecordProblem(), "");
  EXPECT_FALSE(BackupRecord(reg, fs).lookup(kFile).has_value());
}

// Files are known by their bytes: a copy, a renamed folder or a stick holds
// the same backup, and no entry is dropped because its file left its path.
TEST(BackupRecord, KnowsABackupByItsBytesWhereverItLies) {
  MemoryRegistry reg;
  MemoryFileSystem fs;
  const std::string bytes = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n";
  fs.addFile("C:\\B\\old.reg", bytes);
  fs.addFile("C:\\B\\other.reg", "REGEDIT4\r\n");
  BackupRecord record(reg, fs);
  ASSERT_TRUE(record.record("C:\\B\\old.reg", {bytes.size(), Sha256Of(bytes)}));
  fs.remove("C:\\B\\old.reg");
  ASSERT_TRUE(record.record("C:\\B\\other.reg", {10, Sha256Of("REGEDIT4\r\n")}));
  EXPECT_EQ(record.entries().size(), 2u);

  const ProvenanceCheck moved = CheckProvenance(record, "E:\\Stick\\copy.reg", bytes);
  EXPECT_EQ(moved.provenance, Provenance::Recorded);
  EXPECT_EQ(moved.writtenAs, "C:\\B\\old.reg");
  const std::string grown = bytes + "\"V\"=\"1\"\r\n";
  const ProvenanceCheck tail = CheckProvenance(record, "E:\\copy.reg", grown);
  EXPECT_EQ(tail.provenance, Provenance::RecordedPrefix);
  EXPECT_EQ(tail.trustedLength, bytes.size());
  // Changed in place is told from never written.
  fs.addFile("C:\\B\\other.reg", "REGEDIT4\r\n[-HKEY_CURRENT_USER\\Software]\r\n");
  EXPECT_EQ(CheckProvenance(record, "C:\\B\\other.reg", "xREGEDIT4").provenance,
            Provenance::Changed);
  EXPECT_EQ(CheckProvenance(record, "C:\\B\\new.reg", "REGEDIT5").provenance,
            Provenance::NotRecorded);
}

// Renames the backup folder, as a user or a sync tool might, just before the
// repair's `writesBefore`+1-th write.
class FolderRenamer : public ForwardingFileSystem {
 public:
  FolderRenamer(MemoryFileSystem& fs, int writesBefore)
      : ForwardingFileSystem(fs), m_fs(fs), m_left(writesBefore) {}
  FsStatus openForWrite(const std::string& path, bool append,
                        std::unique_ptr<FileWriter>& out) override {
    if (m_left-- == 0) Rename("C:\\B", "C:\\Renamed");
    return ForwardingFileSystem::openForWrite(path, append, out);
  }

 private:
  void Rename(const std::string& from, const std::string& to) {
    std::vector<DirEntry> entries;
    m_fs.listDirectory(from, entries);
    m_fs.addFolder(to);
    for (const DirEntry& entry : entries) {
      std::string bytes;
      m_fs.readFile(from + "\\" + entry.name, bytes);
      m_fs.addFile(to + "\\" + entry.name, bytes);
    }
    m_fs.remove(from);
  }
  MemoryFileSystem& m_fs;
  int m_left;
};

TEST(RepairUndo, ABackupFolderRenamedDuringTheRepairStopsItAndRestoresFromItsNewPlace) {
  MemoryRegistry reg;
  MemoryFileSystem fs;
  fs.addFolder("C:\\B");
  std::vector<Finding> rows;
  {
    TRegistry key(reg, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath("Software\\Many", true));
    for (int i = 0; i < 3000; ++i) {
      const std::string name = "V" + std::to_string(i);
      ASSERT_TRUE(key.WriteValueText(name, "C:\\gone\\" + name + ".exe"));
      Finding row;
      row.KeyPath = "HKEY_CURRENT_USER\\Software\\Many\\" + name;
      row.Kind = FindingKind::fkValueInPath;
      row.Checked = true;
      rows.push_back(row);
    }
  }
  FolderRenamer renaming(fs, 6);  // batches of 1, 2, 4, 8, 16, 32 are written first
  RepairHooks hooks;
  hooks.clock = [] { return LocalDateTime{2024, 5, 6, 7, 8, 9}; };
  RepairRun run(reg, renaming, "C:\\B", false, hooks);
  const RepairOutcome outcome = run.Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Aborted);
  EXPECT_NE(outcome.error.find("no longer where this repair wrote it"), std::string::npos)
      << outcome.error;
  EXPECT_EQ(run.BackupRecordProblem(), "") << "the rights were there all along";
  EXPECT_EQ(rows.size(), 3000u - 63u);
  std::size_t left = 0;
  {
    TRegistry key(reg, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath("Software\\Many"));
    left = key.ValueNameList().size();
  }
  EXPECT_EQ(left, 3000u - 63u);

  FakeEditor editor(fs, reg);
  const RestoreOutcome restored = RestoreBackupFile(
      fs, reg, editor,
      {"C:\\Renamed\\Backup20240506070809.reg", "C:\\Renamed", false, false, {}, {}});
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  EXPECT_EQ(restored.provenance.provenance, Provenance::Recorded);
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\Many"));
  EXPECT_EQ(key.ValueNameList().size(), 3000u);
}

// Shortcut files go to the Recycle Bin; the restore names where they are,
// puts them back where the shell can, and keeps the note while one is away.
TEST(RepairUndo, ShortcutFilesComeBackFromTheRecycleBinWithTheirRestore) {
  MemoryRegistry reg;
  MemoryFileSystem fs;
  fs.addFolder("C:\\B");
  fs.addFile("C:\\Users\\A\\Desktop\\Old.lnk", "L1");
  fs.addFile("C:\\Users\\A\\Desktop\\Older.lnk", "L2");
  TRegistry(reg, RootKey::CurrentUser).OpenPath("Software\\App", true);
  ASSERT_TRUE(TRegistry(reg, RootKey::CurrentUser).OpenPath("Software\\App"));
  {
    TRegistry app(reg, RootKey::CurrentUser);
    app.OpenPath("Software\\App");
    app.WriteValueText("Tool", "C:\\gone.exe");
  }
  auto rowsToRepair = [] {
    std::vector<Finding> rows(3);
    rows[0].KeyPath = "C:\\Users\\A\\Desktop\\Old.lnk";
    rows[0].Kind = FindingKind::fkFile;
    rows[1].KeyPath = "HKEY_CURRENT_USER\\Software\\App\\Tool";
    rows[1].Kind = FindingKind::fkValueInPath;
    rows[2].KeyPath = "C:\\Users\\A\\Desktop\\Older.lnk";
    rows[2].Kind = FindingKind::fkFile;
    for (Finding& row : rows) row.Checked = true;
    return rows;
  };
  std::vector<Finding> rows = rowsToRepair();
  RepairHooks hooks;
  hooks.clock = [] { return LocalDateTime{2024, 5, 6, 7, 8, 9}; };
  const RepairOutcome outcome = RepairRun(reg, fs, "C:\\B", false, hooks).Run(rows);
  ASSERT_TRUE(outcome.notRepaired.empty());
  ASSERT_EQ(fs.recycled().size(), 2u);
  const std::string backup = "C:\\B\\Backup20240506070809.reg";
  const std::string note = "C:\\B\\Backup20240506070809.files.txt";
  ASSERT_EQ(outcome.recycledFilesNote, note);

  // A shell that can put back one of them: the other is named as still away.
  FakeEditor editor(fs, reg);
  RestoreRequest request{backup, "C:\\B", true, false, {}, {}};
  request.putBack = [&](const std::string& path) {
    if (path.find("Older") != std::string::npos) return false;
    fs.addFile(path, "L1");
    return true;
  };
  RestoreOutcome restored = RestoreBackupFile(fs, reg, editor, request);
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  EXPECT_EQ(restored.recycledFiles.size(), 2u);
  EXPECT_EQ(restored.stillRecycled, std::vector<std::string>{"C:\\Users\\A\\Desktop\\Older.lnk"});
  EXPECT_EQ(fs.probe("C:\\Users\\A\\Desktop\\Old.lnk"), PathProbe::File);
  EXPECT_TRUE(restored.fileDeleted);
  EXPECT_EQ(fs.probe(note), PathProbe::File) << "the only record of where Older.lnk is";
  const std::string text = RestoreOutcomeText(backup, restored);
  EXPECT_NE(text.find("1 of the 2 shortcut files"), std::string::npos) << text;
  EXPECT_NE(text.find("Older.lnk"), std::string::npos) << text;

  // A run whose files all come back takes its note with it.
  fs.addFile("C:\\Users\\A\\Desktop\\Old.lnk", "L1");
  fs.remove(note);
  rows = rowsToRepair();
  rows.pop_back();
  RepairRun(reg, fs, "C:\\B", false, hooks).Run(rows);
  request.putBack = [&](const std::string& path) {
    fs.addFile(path, "L1");
    return true;
  };
  restored = RestoreBackupFile(fs, reg, editor, request);
  EXPECT_TRUE(restored.stillRecycled.empty());
  EXPECT_EQ(fs.probe(note), PathProbe::NotFound);
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
      {0, "0 KB"},
      {1, "1 KB"},
      {1024, "1 KB"},
      {1025, "2 KB"},
      {1234567, "1,206 KB"},
      {1023999, "1,000 KB"},
      {3ull << 31, "6,291,456 KB"},
  };
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
  EXPECT_EQ(JoinPath("C:\\B", "x.reg"), "C:\\B\\x.reg");
  EXPECT_EQ(JoinPath("C:\\B\\", "x.reg"), "C:\\B\\x.reg");
}

}  // namespace
}  // namespace hs

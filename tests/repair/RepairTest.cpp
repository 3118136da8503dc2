#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "regfile/RegFileReader.h"
#include "repair/ProtectedKeys.h"
#include "repair/RegistrySnapshot.h"
#include "repair/Repair.h"
#include "restore/BackupRecord.h"
#include "restore/RecycledFiles.h"

namespace hs {
namespace {

constexpr const char* kFolder = "C:\\Backup";
constexpr const char* kFile = "C:\\Backup\\Backup20240307091502.reg";

const char* const kFixture =
    "REGEDIT4\r\n"
    "[HKEY_CURRENT_USER\\Software\\App]\r\n"
    "\"Tool\"=\"C:\\\\gone.exe\"\r\n"
    "\"Keep\"=\"C:\\\\here.exe\"\r\n"
    "@=\"default\"\r\n"
    "\"Nop-1\"=dword:00000001\r\n"
    "\"Dir\\\\Name\"=hex(2):25,41,25,00\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Tree]\r\n"
    "\"Top\"=hex:01,02\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Tree\\Leaf]\r\n"
    "\"Deep\"=hex(7):61,00,00\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Tree\\Other]\r\n"
    "[HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n"
    "\"x\"=\"1\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Gone\"=\"C:\\\\gone.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{1}]\r\n"
    "@=\"x\"\r\n";

Finding Row(FindingKind kind, const std::string& key, const std::string& value = "",
            bool checked = true) {
  Finding row;
  row.Problem = "test";
  row.KeyPath = key;
  row.ValueText = value;
  row.Kind = kind;
  row.Checked = checked;
  return row;
}

class RepairTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg, kFixture, error)) << error.message;
    fs.addFolder(kFolder);
    fs.addFile("C:\\Links\\broken.lnk", "L");
    fs.addFolder("C:\\Links\\folder.lnk");
  }

  RepairOutcome Run(std::vector<Finding>& rows, RepairHooks hooks = {}) {
    hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
    RepairRun run(reg, fs, kFolder, restorePoint, std::move(hooks));
    return run.Run(rows);
  }

  bool KeyExists(const std::string& path) {
    TRegistry key(reg, RootKey::CurrentUser);
    return key.PathExists(path);
  }
  bool ValueExists(RootKey root, const std::string& path, const std::string& name) {
    TRegistry key(reg, root);
    return key.OpenPath(path) && key.HasValue(name);
  }
  std::string Backup() {
    std::string text;
    fs.readFile(kFile, text);
    return text;
  }

  MemoryRegistry reg;
  MemoryFileSystem fs;
  bool restorePoint = false;
};

TEST_F(RepairTest, EachKindDeletesExactlyWhatItNames) {
  std::vector<Finding> rows = {
      Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Tree"),
      Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Tool"),
      Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Dir\\Name"),
      Row(FindingKind::fkSubkey, "HKEY_CURRENT_USER\\Software\\App", "Sub"),
      Row(FindingKind::fkFile, "C:\\Links\\broken.lnk"),
      Row(FindingKind::fkDefaultValue, "HKEY_CURRENT_USER\\Software\\App"),
      Row(FindingKind::fkRotatedValue, "HKEY_CURRENT_USER\\Software\\App", "Abc-1"),
      Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Keep", "", false),
  };
  const RepairOutcome outcome = Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  EXPECT_EQ(outcome.processedCount, 7);
  EXPECT_TRUE(outcome.notRepaired.empty()) << outcome.notRepaired.front().reason;
  ASSERT_EQ(rows.size(), 1u) << "only the unchecked row stays";
  EXPECT_FALSE(KeyExists("Software\\App\\Tree"));
  EXPECT_FALSE(KeyExists("Software\\App\\Sub"));
  EXPECT_TRUE(KeyExists("Software\\App"));
  for (const char* gone : {"Tool", "Dir\\Name", "", "Nop-1"})
    EXPECT_FALSE(ValueExists(RootKey::CurrentUser, "Software\\App", gone)) << gone;
  EXPECT_TRUE(ValueExists(RootKey::CurrentUser, "Software\\App", "Keep"));
  // The shortcut went to the Recycle Bin, named in the note beside the backup.
  EXPECT_EQ(fs.recycled(), std::vector<std::string>{"C:\\Links\\broken.lnk"});
  EXPECT_EQ(outcome.recycledFilesNote, "C:\\Backup\\Backup20240307091502.files.txt");
  EXPECT_EQ(ReadRecycledFilesNote(fs, outcome.recycledFilesNote),
            std::vector<std::string>{"C:\\Links\\broken.lnk"});

  // Bottom to top, each item exported just before its deletion; the whole
  // tree parent first.
  const std::string backup = Backup();
  std::vector<std::string> keyLines;
  for (const std::string& line : Split(backup, '\n'))
    if (!line.empty() && line[0] == '[') keyLines.push_back(Trim(line));
  const std::vector<std::string> expected = {
      "[HKEY_CURRENT_USER\\Software\\App]",  // rotated value
      "[HKEY_CURRENT_USER\\Software\\App]",  // default value
      "[HKEY_CURRENT_USER\\Software\\App\\Sub]",
      "[HKEY_CURRENT_USER\\Software\\App]",  // Dir\Name
      "[HKEY_CURRENT_USER\\Software\\App]",  // Tool
      "[HKEY_CURRENT_USER\\Software\\App\\Tree]",
      "[HKEY_CURRENT_USER\\Software\\App\\Tree\\Leaf]",
      "[HKEY_CURRENT_USER\\Software\\App\\Tree\\Other]",
  };
  EXPECT_EQ(keyLines, expected);

  // Importing the backup brings every deleted item back unchanged.
  MemoryRegistry original;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(original, kFixture, error));
  ASSERT_TRUE(ImportRegText(reg, backup, error)) << error.message;
  std::vector<KeySnapshot> before, after;
  std::string reason;
  ASSERT_TRUE(SnapshotKeyTree(original, RootKey::CurrentUser, "Software\\App", before, reason));
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, "Software\\App", after, reason));
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].keyPath, after[i].keyPath);
    EXPECT_EQ(before[i].values.size(), after[i].values.size()) << before[i].keyPath;
  }
}

TEST_F(RepairTest, RowsThatCannotBeRepairedCarryAReason) {
  reg.refuseDeletes("HKEY_CURRENT_USER\\Software\\App\\Sub");
  TRegistry app(reg, RootKey::CurrentUser);
  ASSERT_TRUE(app.OpenPath("Software\\App\\Tree", false));
  ASSERT_TRUE(app.WriteValueText("\xE4\xB8\xAD", "outside the code page"));
  struct Case {
    Finding row;
    const char* reasonPart;
  } cases[] = {
      {Row(FindingKind::fkKey, "HKLM\\Software\\App"), "not a hive name"},
      {Row(FindingKind::fkKey, "nobackslash"), "names no registry key"},
      {Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\Vanished"), "no longer exists"},
      {Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Vanished"),
       "no longer exists"},
      {Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Sub"), "refused"},
      {Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Tree"), "cannot carry"},
      {Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software"), "protected"},
      {Row(FindingKind::fkKey,
           "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
       "protected"},
      {Row(FindingKind::fkSubkey, "HKEY_LOCAL_MACHINE\\Software\\Classes", "CLSID"), "protected"},
      {Row(FindingKind::fkSubkey, "HKEY_CURRENT_USER\\Software\\App", ""), "names no subkey"},
      {Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\"), "not a well-formed"},
      {Row(FindingKind::fkFile, "C:\\Links\\folder.lnk"), "is a folder"},
      {Row(FindingKind::fkFile, "C:\\Links\\missing.lnk"), "no longer exists"},
  };
  std::vector<Finding> rows;
  for (const Case& c : cases) rows.push_back(c.row);
  const RepairOutcome outcome = Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  ASSERT_EQ(outcome.notRepaired.size(), std::size(cases));
  std::vector<std::string> stayed;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const NotRepaired& failed = outcome.notRepaired[std::size(cases) - 1 - i];
    EXPECT_EQ(failed.row.KeyPath, cases[i].row.KeyPath);
    EXPECT_NE(failed.reason.find(cases[i].reasonPart), std::string::npos)
        << cases[i].row.KeyPath << ": " << failed.reason;
    const bool gone = std::string(cases[i].reasonPart) == "no longer exists";
    EXPECT_EQ(failed.kept, !gone) << cases[i].row.KeyPath;
    if (!gone) stayed.push_back(cases[i].row.KeyPath);
  }
  // What the repair kept stays in the list, checked, in its order; only the
  // rows whose item is gone anyway leave it.
  std::vector<std::string> listed;
  for (const Finding& row : rows) {
    EXPECT_TRUE(row.Checked) << row.KeyPath;
    listed.push_back(row.KeyPath);
  }
  EXPECT_EQ(listed, stayed);
  UnrepairedLists unrepaired;
  RememberUnrepaired(outcome, unrepaired);
  EXPECT_EQ(unrepaired.KeyTexts.size(), std::size(cases));
  EXPECT_TRUE(KeyExists("Software\\App\\Sub"));
  EXPECT_TRUE(KeyExists("Software\\App\\Tree\\Leaf"));
  EXPECT_TRUE(KeyExists("Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
  EXPECT_TRUE(ValueExists(RootKey::LocalMachine, "Software\\Classes\\CLSID\\{1}", ""));
  EXPECT_EQ(fs.probe("C:\\Links\\folder.lnk"), PathProbe::Folder);
}

// A link below a finding (here one back to an ancestor too), or a finding that
// is a link, would lead the export and the delete into a tree the finding does
// not name; a backup file could not bring the link back either.
TEST_F(RepairTest, TreesHoldingALinkAreKeptAndWhatLinksPointToIsUntouched) {
  const std::string target = MemoryRegistry::kernelPath(RootKey::CurrentUser, "Software\\Target");
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\Target\\Child", true));
  ASSERT_TRUE(key.WriteValueText("v", "kept"));
  ASSERT_TRUE(reg.createLink(RootKey::CurrentUser, "Software\\App\\Tree\\Leaf\\Out", target));
  ASSERT_TRUE(reg.createLink(RootKey::CurrentUser, "Software\\App\\Tree\\Back",
                             MemoryRegistry::kernelPath(RootKey::CurrentUser, "Software\\App")));
  ASSERT_TRUE(reg.createLink(RootKey::CurrentUser, "Software\\App\\Alias", target));
  std::vector<Finding> rows{
      Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Tree"),
      Row(FindingKind::fkSubkey, "HKEY_CURRENT_USER\\Software\\App", "Alias")};
  const RepairOutcome outcome = Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  ASSERT_EQ(outcome.notRepaired.size(), 2u);
  for (const NotRepaired& failed : outcome.notRepaired)
    EXPECT_NE(failed.reason.find("is a registry link"), std::string::npos) << failed.reason;
  EXPECT_TRUE(ValueExists(RootKey::CurrentUser, "Software\\Target\\Child", "v"));
  EXPECT_TRUE(KeyExists("Software\\App\\Tree\\Leaf"));
  EXPECT_TRUE(KeyExists("Software\\App\\Tree\\Other"));
  EXPECT_TRUE(KeyExists("Software\\App\\Alias\\Child"));
  EXPECT_EQ(Backup().find("Child"), std::string::npos);

  // The snapshot refuses on its own, whoever calls it.
  std::vector<KeySnapshot> snapshot;
  std::string reason;
  EXPECT_FALSE(SnapshotKeyTree(reg, RootKey::CurrentUser, "Software\\App", snapshot, reason));
  EXPECT_NE(reason.find("is a registry link"), std::string::npos) << reason;
}

// Whatever fails, no item is deleted without a verified backup, and the rows
// not repaired are exactly the checked rows whose items are still there.
TEST_F(RepairTest, FaultsNeverDeleteWithoutABackup) {
  struct Case {
    const char* name;
    void (*fault)(MemoryFileSystem&, MemoryRegistry&);
    RepairEnd end;
    std::size_t repaired;
  } cases[] = {
      {"backup folder read-only",
       [](MemoryFileSystem& fs, MemoryRegistry&) { fs.makeReadOnly(kFolder); }, RepairEnd::Aborted,
       0},
      {"flush fails", [](MemoryFileSystem& fs, MemoryRegistry&) { fs.failFlushes(true); },
       RepairEnd::Aborted, 0},
      {"disk full in the second export",
       [](MemoryFileSystem& fs, MemoryRegistry&) { fs.setFreeBytes(120); }, RepairEnd::Aborted, 1},
      {"key vanished since the scan",
       [](MemoryFileSystem&, MemoryRegistry& reg) {
         TRegistry key(reg, RootKey::CurrentUser);
         key.RemovePath("Software\\App\\Tree");
       },
       RepairEnd::Completed, 2},
      {"delete refused",
       [](MemoryFileSystem&, MemoryRegistry& reg) {
         reg.refuseDeletes("HKEY_CURRENT_USER\\Software\\App\\Tree\\Other");
       },
       RepairEnd::Completed, 2},
      {"subtree unreadable",
       [](MemoryFileSystem&, MemoryRegistry& reg) {
         reg.denyAccess("HKEY_CURRENT_USER\\Software\\App\\Tree\\Leaf");
       },
       RepairEnd::Completed, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry registry;
    RegFileError error;
    ASSERT_TRUE(ImportRegText(registry, kFixture, error));
    MemoryFileSystem files;
    files.addFolder(kFolder);
    c.fault(files, registry);
    std::vector<Finding> rows = {
        Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Tree"),
        Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Keep"),
        Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Tool"),
    };
    const std::vector<Finding> all = rows;
    RepairHooks hooks;
    hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
    const RepairOutcome outcome = RepairRun(registry, files, kFolder, false, hooks).Run(rows);
    EXPECT_EQ(outcome.end, c.end) << outcome.error;
    EXPECT_EQ(all.size() - outcome.notRepaired.size(), c.repaired);

    std::string backup;
    files.readFile(kFile, backup);
    RegFile file;
    const bool readable = backup.empty() || ParseRegFile(backup.substr(0, IntactLength(backup)),
                                                         Windows1252CodePage(), file, error);
    for (const Finding& row : all) {
      bool listed = false;
      for (const NotRepaired& failed : outcome.notRepaired) {
        listed = listed || failed.row.KeyPath == row.KeyPath;
        if (failed.row.KeyPath == row.KeyPath) {
          EXPECT_FALSE(failed.reason.empty());
        }
      }
      const std::string sub = row.KeyPath.substr(row.KeyPath.find('\\') + 1);
      TRegistry key(registry, RootKey::CurrentUser);
      bool present = false;
      if (row.Kind == FindingKind::fkKey) present = key.PathExists(sub);
      if (row.Kind == FindingKind::fkNamedValue)
        present = key.OpenPath(sub) && key.HasValue(row.ValueText);
      if (row.Kind == FindingKind::fkValueInPath)
        present = key.OpenPath("Software\\App") && key.HasValue("Tool");
      if (!listed) {
        EXPECT_FALSE(present) << row.KeyPath << " was reported repaired";
        const char* marker = row.Kind == FindingKind::fkKey          ? "Leaf]"
                             : row.Kind == FindingKind::fkNamedValue ? "\"Keep\""
                                                                     : "\"Tool\"";
        EXPECT_TRUE(readable && backup.find(marker) != std::string::npos)
            << row.KeyPath << " was deleted without a backup";
      }
    }
    UnrepairedLists lists;
    RememberUnrepaired(outcome, lists);
    if (c.end == RepairEnd::Completed) {
      ASSERT_EQ(lists.KeyTexts.size(), outcome.notRepaired.size());
      for (std::size_t i = 0; i < lists.KeyTexts.size(); ++i) {
        EXPECT_EQ(lists.KeyTexts[i], outcome.notRepaired[i].row.KeyPath);
        EXPECT_EQ(lists.ValueTexts[i], outcome.notRepaired[i].row.ValueText);
      }
    }
    if (c.end == RepairEnd::Aborted) {
      EXPECT_TRUE(lists.KeyTexts.empty());
      EXPECT_EQ(rows.size(), outcome.notRepaired.size()) << "after a stop they stay in the list";
      EXPECT_FALSE(outcome.error.empty());
    }
  }
}

TEST_F(RepairTest, FolderQuestionRestorePointAndEmptyLists) {
  MemoryFileSystem fresh;
  std::vector<Finding> rows = {
      Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Tool")};
  std::string asked;
  RepairHooks decline;
  decline.confirmCreateFolder = [&](const std::string& q) {
    asked = q;
    return false;
  };
  EXPECT_EQ(RepairRun(reg, fresh, "C:\\New\\Deep", false, decline).Run(rows).end,
            RepairEnd::FolderDeclined);
  EXPECT_EQ(asked,
            "C:\\New\\Deep,The backup directory does not exist.\r\ncreates a new directory?");
  EXPECT_EQ(rows.size(), 1u);

  std::vector<Finding> none;
  EXPECT_EQ(RepairRun(reg, fresh, "C:\\New\\Deep", false).Run(none).end, RepairEnd::EmptyList);
  EXPECT_EQ(fresh.probe("C:\\New\\Deep"), PathProbe::Folder) << "created with its parents";

  fresh.makeReadOnly("C:\\");
  const RepairOutcome failed = RepairRun(reg, fresh, "C:\\Other", false).Run(rows);
  EXPECT_EQ(failed.end, RepairEnd::FolderFailed);
  EXPECT_EQ(failed.error, "Cannot create C:\\Other");

  RepairHooks cancel;
  cancel.makeRestorePoint = [] { return false; };
  EXPECT_EQ(RepairRun(reg, fs, kFolder, true, cancel).Run(rows).end,
            RepairEnd::RestorePointCancelled);
  EXPECT_TRUE(ValueExists(RootKey::CurrentUser, "Software\\App", "Tool"));

  rows[0].Checked = false;
  const RepairOutcome unchecked = Run(rows);
  EXPECT_EQ(unchecked.end, RepairEnd::Completed);
  EXPECT_EQ(unchecked.processedCount, 0);
  EXPECT_FALSE(unchecked.backupWritten);
  EXPECT_EQ(fs.probe(kFile), PathProbe::NotFound);
  EXPECT_EQ(rows.size(), 1u);
}

TEST_F(RepairTest, SecondRunInTheSameSecondAppendsWithoutHeader) {
  std::vector<Finding> first = {
      Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Tool")};
  std::vector<Finding> second = {
      Row(FindingKind::fkValueInPath, "HKEY_CURRENT_USER\\Software\\App\\Keep")};
  EXPECT_TRUE(Run(first).notRepaired.empty());
  const RepairOutcome outcome = Run(second);
  EXPECT_TRUE(outcome.notRepaired.empty()) << outcome.notRepaired.front().reason;
  const std::string backup = Backup();
  EXPECT_EQ(backup.find("REGEDIT4"), 0u);
  EXPECT_EQ(backup.find("REGEDIT4", 1), std::string::npos);
  EXPECT_NE(backup.find("\"Keep\""), std::string::npos);
}

// Rows go to the backup in batches; a row whose item overlaps one already in
// the batch (same value, or within its key tree, names compared without case)
// waits for the batch's deletes and sees what the rows below it left.
TEST_F(RepairTest, OverlappingRowsSeeWhatTheRowsBelowThemLeft) {
  std::vector<Finding> rows = {
      Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App"),
      Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\Software\\App\\Tree\\Leaf"),
      Row(FindingKind::fkSubkey, "HKEY_CURRENT_USER\\software\\APP", "TREE"),
      Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "keep"),
      Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Keep"),
  };
  // Three rows below them fill the first, small batches.
  for (int i = 0; i < 3; ++i) {
    const std::string path = "Software\\Filler\\" + std::to_string(i);
    TRegistry key(reg, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath(path, true));
    ASSERT_TRUE(key.WriteValueText("v", "1"));
    rows.push_back(Row(FindingKind::fkKey, "HKEY_CURRENT_USER\\" + path));
  }
  const RepairOutcome outcome = Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  ASSERT_EQ(outcome.notRepaired.size(), 2u);
  EXPECT_EQ(outcome.notRepaired[0].row.ValueText, "keep");
  EXPECT_EQ(outcome.notRepaired[1].row.KeyPath, "HKEY_CURRENT_USER\\Software\\App\\Tree\\Leaf");
  for (const NotRepaired& failed : outcome.notRepaired)
    EXPECT_NE(failed.reason.find("no longer exists"), std::string::npos) << failed.reason;
  EXPECT_FALSE(KeyExists("Software\\App"));
  EXPECT_FALSE(KeyExists("Software\\Filler\\0"));

  // Each item once, bottom to top; the whole key holds only what was left.
  const std::string backup = Backup();
  std::vector<std::string> keyLines;
  for (const std::string& line : Split(backup, '\n'))
    if (!line.empty() && line[0] == '[') keyLines.push_back(Trim(line));
  const std::vector<std::string> expected = {
      "[HKEY_CURRENT_USER\\Software\\Filler\\2]",
      "[HKEY_CURRENT_USER\\Software\\Filler\\1]",
      "[HKEY_CURRENT_USER\\Software\\Filler\\0]",
      "[HKEY_CURRENT_USER\\Software\\App]",
      "[HKEY_CURRENT_USER\\software\\APP\\TREE]",
      "[HKEY_CURRENT_USER\\software\\APP\\TREE\\Leaf]",
      "[HKEY_CURRENT_USER\\software\\APP\\TREE\\Other]",
      "[HKEY_CURRENT_USER\\Software\\App]",
      "[HKEY_CURRENT_USER\\Software\\App\\Sub]",
  };
  EXPECT_EQ(keyLines, expected);
  EXPECT_EQ(backup.find("\"Keep\""), backup.rfind("\"Keep\"")) << "the value is saved once";
}

// A backup that cannot be written stops the run at that batch: the batches
// below it are deleted, none of its rows is, and the rows above it are
// reported as not attempted. The first batches hold 1, 2 and 4 rows.
TEST_F(RepairTest, AWriteFailureStopsAtItsBatch) {
  std::vector<Finding> rows;
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\Many", true));
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(key.WriteValueText("V" + std::to_string(i), "data"));
    rows.push_back(Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\Many",
                       "V" + std::to_string(i)));
  }
  const std::string section = "\r\n[HKEY_CURRENT_USER\\Software\\Many]\r\n\"V9\"=\"data\"\r\n";
  fs.setFreeBytes(std::string("REGEDIT4\r\n").size() + 4 * section.size());

  const RepairOutcome outcome = Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Aborted);
  EXPECT_NE(outcome.error.find("disk is full"), std::string::npos) << outcome.error;
  ASSERT_EQ(outcome.notRepaired.size(), 7u);
  EXPECT_EQ(rows.size(), 7u) << "after a stop the rows not repaired stay in the list";
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(ValueExists(RootKey::CurrentUser, "Software\\Many", "V" + std::to_string(i)), i < 7)
        << i;
  for (std::size_t i = 0; i < outcome.notRepaired.size(); ++i) {
    const NotRepaired& failed = outcome.notRepaired[i];
    EXPECT_EQ(failed.row.ValueText, "V" + std::to_string(6 - i));
    EXPECT_EQ(failed.reason.rfind("not attempted", 0) == 0, i >= 4) << failed.reason;
  }
  RegFile file;
  RegFileError error;
  const std::string backup = Backup();
  ASSERT_TRUE(
      ParseRegFile(backup.substr(0, IntactLength(backup)), Windows1252CodePage(), file, error))
      << error.message;
  ASSERT_GE(file.sections.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(file.sections[i].values.at(0).value.name, "V" + std::to_string(9 - i));
}

// A file system whose read-back of the backup differs in one place.
class GarblingFileSystem : public MemoryFileSystem {
 public:
  FsStatus readFileFrom(const std::string& path, std::uint64_t offset, std::string& out) override {
    const FsStatus status = MemoryFileSystem::readFileFrom(path, offset, out);
    const std::size_t at = out.find("\"Tool\"");
    if (at != std::string::npos) out.replace(at, 6, "\"T0ol\"");
    return status;
  }
};

// The read-back is checked item by item: a difference in one item of a batch
// refuses that item alone.
TEST_F(RepairTest, AReadBackDifferenceRefusesOnlyItsItem) {
  GarblingFileSystem garbling;
  garbling.addFolder(kFolder);
  std::vector<Finding> rows = {
      Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Keep"),
      Row(FindingKind::fkSubkey, "HKEY_CURRENT_USER\\Software\\App", "Sub"),
      Row(FindingKind::fkNamedValue, "HKEY_CURRENT_USER\\Software\\App", "Tool"),
      Row(FindingKind::fkDefaultValue, "HKEY_CURRENT_USER\\Software\\App"),
  };
  RepairHooks hooks;
  hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
  const RepairOutcome outcome = RepairRun(reg, garbling, kFolder, false, hooks).Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  ASSERT_EQ(outcome.notRepaired.size(), 1u);
  EXPECT_EQ(outcome.notRepaired[0].row.ValueText, "Tool");
  EXPECT_NE(outcome.notRepaired[0].reason.find("differs"), std::string::npos)
      << outcome.notRepaired[0].reason;
  EXPECT_TRUE(ValueExists(RootKey::CurrentUser, "Software\\App", "Tool"));
  EXPECT_FALSE(ValueExists(RootKey::CurrentUser, "Software\\App", "Keep"));
  EXPECT_FALSE(ValueExists(RootKey::CurrentUser, "Software\\App", ""));
  EXPECT_FALSE(KeyExists("Software\\App\\Sub"));
  // The record vouches for the batches before the difference, never for it.
  std::string bytes;
  ASSERT_EQ(garbling.readFile(outcome.backupFile, bytes), FsStatus::Ok);
  BackupRecord record(reg, garbling);
  const ProvenanceCheck provenance = CheckProvenance(record, outcome.backupFile, bytes);
  EXPECT_EQ(provenance.provenance, Provenance::RecordedPrefix);
  EXPECT_LT(provenance.trustedLength, bytes.find("\"Tool\""));
}

TEST(RegistrySnapshot, DeleteStopsAtWhatChangedAfterTheBackup) {
  MemoryRegistry reg;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(reg, kFixture, error));
  std::vector<KeySnapshot> snapshot;
  std::string reason;
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, "Software\\App\\Tree", snapshot, reason));
  ASSERT_EQ(snapshot.size(), 3u);
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App\\Tree\\Leaf\\New", true));
  key.ClosePath();
  EXPECT_FALSE(DeleteSnapshotTree(reg, RootKey::CurrentUser, snapshot, reason));
  EXPECT_NE(reason.find("changed after its backup"), std::string::npos);
  EXPECT_TRUE(key.PathExists("Software\\App\\Tree\\Leaf\\New"));
  EXPECT_FALSE(key.PathExists("Software\\App\\Tree\\Other")) << "backed-up siblings go first";

  // A file whose content differs from the registry is caught.
  RegFile file;
  ASSERT_TRUE(ParseRegFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\App\\Sub]\r\n\"x\"=\"2\"\r\n",
                           Windows1252CodePage(), file, error));
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, "Software\\App\\Sub", snapshot, reason));
  EXPECT_FALSE(BackupMatches(file, RootKey::CurrentUser, snapshot, reason));
  EXPECT_NE(reason.find("value \"x\""), std::string::npos) << reason;
}

// A key of the fixture read for its backup, kept open where it may be.
struct KeptOpenSnapshot {
  std::vector<KeySnapshot> keys;
  std::string reason;
  RegKeyPtr held;
};

KeptOpenSnapshot ReadKeptOpen(MemoryRegistry& reg, const std::string& path) {
  KeptOpenSnapshot out;
  EXPECT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, path, out.keys, out.reason, &out.held))
      << out.reason;
  return out;
}

// Changes Software\\App\\Sub after its kept-open snapshot, then deletes it
// through the held handle: it goes when `reason` is "", else it stays and
// the refusal names `reason`.
void ChangeThenDeleteHeld(MemoryRegistry& reg, const KeptOpenSnapshot& read,
                          void (*change)(TRegistry& key), const std::string& reason) {
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App\\Sub"));
  change(key);
  key.ClosePath();
  std::string refusal;
  const bool deleted =
      DeleteHeldKey(reg, RootKey::CurrentUser, read.keys.at(0), *read.held, refusal);
  EXPECT_EQ(deleted, reason.empty()) << refusal;
  if (!deleted) {
    EXPECT_NE(refusal.find(reason), std::string::npos) << refusal;
  }
  EXPECT_EQ(key.PathExists("\\Software\\App\\Sub"), !deleted);
}

TEST(RegistrySnapshot, AKeyKeptOpenIsDeletedOnlyAsItWasRead) {
  struct Case {
    const char* name;
    void (*change)(TRegistry& key);  // on Software\App\Sub after the snapshot
    const char* reason;              // "" when the key goes
  } cases[] = {
      {"unchanged", [](TRegistry&) {}, ""},
      {"value changed", [](TRegistry& key) { key.WriteValueText("x", "2"); }, "changed after"},
      {"value added", [](TRegistry& key) { key.WriteValueText("y", "1"); }, "changed after"},
      {"subkey gained", [](TRegistry& key) { key.OpenPath("New", true); }, "changed after"},
      {"made again in its place",
       [](TRegistry& key) {
         key.RemovePath("\\Software\\App\\Sub");
         key.OpenPath("\\Software\\App\\Sub", true);
         key.WriteValueText("x", "1");
       },
       "no longer exists"},
  };
  RegFileError error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryRegistry reg;
    ASSERT_TRUE(ImportRegText(reg, kFixture, error));
    KeptOpenSnapshot read = ReadKeptOpen(reg, "Software\\App\\Sub");
    ASSERT_TRUE(read.held);
    ChangeThenDeleteHeld(reg, read, c.change, c.reason);
  }
  // Only a key without subkeys that may be deleted is kept open.
  MemoryRegistry reg;
  ASSERT_TRUE(ImportRegText(reg, kFixture, error));
  reg.denyWriteAccess("HKEY_CURRENT_USER\\Software\\App\\Sub");
  EXPECT_FALSE(ReadKeptOpen(reg, "Software\\App\\Tree").held);
  const KeptOpenSnapshot readOnly = ReadKeptOpen(reg, "Software\\App\\Sub");
  EXPECT_FALSE(readOnly.held);
  EXPECT_EQ(readOnly.keys.at(0).values.size(), 1u);
}

// Counts the listings of values, which the check of a settled key spares.
class ValueListCounting : public MemoryRegistry {
 public:
  RegStatus values(const RegKeyHandle& key, std::vector<RegValue>& out) override {
    ++listings;
    return MemoryRegistry::values(key, out);
  }
  int listings = 0;
};

TEST(RegistrySnapshot, ASettledKeyIsCheckedByItsWriteTimeAndReadAgainWhenItMoved) {
  struct Case {
    const char* name;
    void (*change)(TRegistry& key);  // on Software\App\Sub after the snapshot
    const char* reason;              // "" when the key goes
    int listings;                    // value listings of the check
  } cases[] = {
      {"unchanged", [](TRegistry&) {}, "", 0},
      {"value changed, same size", [](TRegistry& key) { key.WriteValueText("x", "2"); },
       "changed after", 1},
      {"value set to what it held", [](TRegistry& key) { key.WriteValueText("x", "1"); }, "", 1},
      {"value deleted and another added",
       [](TRegistry& key) {
         key.RemoveValue("x");
         key.WriteValueText("y", "1");
       },
       "changed after", 1},
      {"subkey gained", [](TRegistry& key) { key.OpenPath("New", true); }, "changed after", 1},
      {"made again in its place",
       [](TRegistry& key) {
         key.RemovePath("\\Software\\App\\Sub");
         key.OpenPath("\\Software\\App\\Sub", true);
         key.WriteValueText("x", "1");
       },
       "no longer exists", 0},
  };
  RegFileError error;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ValueListCounting reg;
    ASSERT_TRUE(ImportRegText(reg, kFixture, error));
    reg.passTime(kSettledTicks);
    KeptOpenSnapshot read = ReadKeptOpen(reg, "Software\\App\\Sub");
    ASSERT_TRUE(read.held);
    EXPECT_NE(read.keys.at(0).settledWriteTime, 0u);
    reg.listings = 0;  // the changes list no values
    ChangeThenDeleteHeld(reg, read, c.change, c.reason);
    EXPECT_EQ(reg.listings, c.listings);
  }
  // A time close to the snapshot may be shared with a write yet to come: such
  // a key is read again in full, and so is every key of a tree.
  ValueListCounting reg;
  ASSERT_TRUE(ImportRegText(reg, kFixture, error));
  reg.passTime(kSettledTicks / 2);
  KeptOpenSnapshot fresh = ReadKeptOpen(reg, "Software\\App\\Sub");
  EXPECT_EQ(fresh.keys.at(0).settledWriteTime, 0u);
  reg.listings = 0;
  std::string reason;
  EXPECT_TRUE(DeleteHeldKey(reg, RootKey::CurrentUser, fresh.keys.at(0), *fresh.held, reason));
  EXPECT_EQ(reg.listings, 1);
  reg.passTime(kSettledTicks);
  std::vector<KeySnapshot> tree;
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, "Software\\App\\Tree", tree, reason));
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\App\\Tree\\Leaf"));
  key.WriteValue({"Deep", kRegMultiSz, {0x62, 0, 0, 0}});
  key.ClosePath();
  EXPECT_FALSE(DeleteSnapshotTree(reg, RootKey::CurrentUser, tree, reason));
  EXPECT_NE(reason.find("Tree\\Leaf changed after"), std::string::npos) << reason;
  EXPECT_TRUE(key.PathExists("Software\\App\\Tree\\Leaf"));
}

// Counts the openings of one key, and lets the registry change while a
// backup is read back: after its write, before its delete.
class ValueRepairWorld : public MemoryFileSystem {
 public:
  FsStatus readFileFrom(const std::string& path, std::uint64_t offset, std::string& out) override {
    if (change) std::exchange(change, nullptr)();
    return MemoryFileSystem::readFileFrom(path, offset, out);
  }
  std::function<void()> change;
};

class KeyOpenCounting : public MemoryRegistry {
 public:
  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out, LastLink last = LastLink::Follow,
                    RegView view = RegView::Own) override {
    if (EqualsNoCase(path, "Software\\Values")) ++opens;
    return MemoryRegistry::openKey(root, parent, path, access, create, out, last, view);
  }
  int opens = 0;
};

TEST(RepairValues, AValueGoesOnlyFromTheKeyItWasReadFromAndThatKeyIsOpenedOncePerBatch) {
  // Rows are repaired bottom to top, the first alone in its batch: a change
  // made at its read-back comes between its snapshot and its delete.
  struct Case {
    const char* name;
    std::function<void(MemoryRegistry&)> change;  // after the first backup's write
    const char* key;                              // the rows' key, below HKEY_CURRENT_USER
    std::vector<std::string> rows;                // its values named by the rows
    const char* reason;                           // "" when the values go
  } cases[] = {
      {"unchanged", nullptr, "Software\\Values", {"A", "B", "C"}, ""},
      {"the value rewritten",
       [](MemoryRegistry& reg) {
         TRegistry key(reg, RootKey::CurrentUser);
         key.OpenPath("Software\\Values");
         key.WriteValueText("B", "2");
       },
       "Software\\Values",
       {"B"},
       "changed after"},
      {"the key made again with the same values",
       [](MemoryRegistry& reg) {
         TRegistry key(reg, RootKey::CurrentUser);
         key.RemovePath("\\Software\\Values");
         key.OpenPath("\\Software\\Values", true);
         for (const char* name : {"A", "B", "C"}) key.WriteValueText(name, "1");
       },
       "Software\\Values",
       {"B"},
       "changed after"},
      {"a link to the key", nullptr, "Software\\Alias", {"A", "B", "C"}, "is a registry link"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KeyOpenCounting reg;
    ValueRepairWorld fs;
    fs.addFolder(kFolder);
    TRegistry key(reg, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath("Software\\Values", true));
    for (const char* name : {"A", "B", "C"}) key.WriteValueText(name, "1");
    key.ClosePath();
    ASSERT_TRUE(
        reg.createLink(RootKey::CurrentUser, "Software\\Alias",
                       MemoryRegistry::kernelPath(RootKey::CurrentUser, "Software\\Values")));
    if (c.change) fs.change = [&] { c.change(reg); };
    std::vector<Finding> rows;
    for (const std::string& name : c.rows)
      rows.push_back(
          Row(FindingKind::fkNamedValue, std::string("HKEY_CURRENT_USER\\") + c.key, name));
    reg.opens = 0;
    RepairHooks hooks;
    hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
    const RepairOutcome outcome = RepairRun(reg, fs, kFolder, false, hooks).Run(rows);
    const int opens = reg.opens;
    EXPECT_EQ(outcome.end, RepairEnd::Completed);
    const bool goes = std::string(c.reason).empty();
    EXPECT_EQ(outcome.notRepaired.size(), goes ? 0u : c.rows.size());
    EXPECT_EQ(rows.size(), goes ? 0u : c.rows.size()) << "a value still there stays listed";
    for (const NotRepaired& failed : outcome.notRepaired)
      EXPECT_NE(failed.reason.find(c.reason), std::string::npos) << failed.reason;
    ASSERT_TRUE(key.OpenPath("\\Software\\Values"));
    EXPECT_EQ(key.KeyCounts().valueCount, goes ? 3u - c.rows.size() : 3u);
    if (goes) {
      // The first batch holds one row, the second two: the key is opened
      // once for each, from the snapshots to the deletes.
      EXPECT_EQ(opens, 2);
    }
  }
}

TEST(ProtectedKeys, RootsAndSystemKeysAreNeverDeleted) {
  struct Case {
    RootKey root;
    const char* path;
    bool guarded;
  } cases[] = {
      {RootKey::CurrentUser, "", true},
      {RootKey::CurrentUser, "Software", true},
      {RootKey::CurrentUser, "software\\", true},
      {RootKey::CurrentUser, "Environment", true},
      {RootKey::CurrentUser, "Software\\Microsoft", true},
      {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
      {RootKey::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub", false},
      {RootKey::CurrentUser, "Software\\Vendor\\App", false},
      {RootKey::CurrentUser, "Software\\Vendor", false},
      {RootKey::LocalMachine, "SOFTWARE\\Classes", true},
      {RootKey::LocalMachine, "Software\\Classes\\CLSID", true},
      {RootKey::LocalMachine, "Software\\Classes\\CLSID\\{1}", false},
      {RootKey::LocalMachine, "Software\\Classes\\.xyz", false},
      {RootKey::LocalMachine, "Software\\Wow6432Node\\Classes\\TypeLib", true},
      {RootKey::LocalMachine, "Software\\Classes\\Wow6432Node\\AppID", true},
      {RootKey::LocalMachine,
       "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
      {RootKey::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Gone",
       false},
      {RootKey::LocalMachine, "SYSTEM", true},
      {RootKey::LocalMachine, "SYSTEM\\CurrentControlSet", true},
      {RootKey::LocalMachine, "SYSTEM\\ControlSet002\\Services", true},
      {RootKey::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\GoneDriver", false},
      {RootKey::LocalMachine, "SAM", true},
      {RootKey::ClassesRoot, "", true},
      {RootKey::ClassesRoot, "Interface", true},
      {RootKey::ClassesRoot, "Interface\\{2}", false},
      {RootKey::ClassesRoot, "\\\\CLSID", true},
      {RootKey::Users, "S-1-5-21-1", true},
      {RootKey::Users, ".DEFAULT\\Software", true},
      {RootKey::Users, "S-1-5-21-1\\Software\\Vendor\\App", false},
      {RootKey::Users, "S-1-5-21-1_Classes\\CLSID", true},
      {RootKey::Users, "S-1-5-21-1_Classes\\.xyz", false},
      {RootKey::CurrentConfig, "Software", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsProtectedKey(c.root, c.path), c.guarded)
        << RootKeyToHiveName(c.root) << "\\" << c.path;
}

}  // namespace
}  // namespace hs

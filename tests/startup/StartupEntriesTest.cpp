// Listing and deleting startup entries on the memory backends.
#include <gtest/gtest.h>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "restore/BackupRecord.h"
#include "startup/StartupEntries.h"
#include "startup/StartupRemoval.h"

namespace hs {
namespace {

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kHklmRun =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

const char* const kWorld =
    "REGEDIT4\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Text\"=\"C:\\\\a.exe\"\r\n"
    "\"Number\"=dword:00000001\r\n"
    "\"Expand\"=hex(2):25,57,25,00\r\n"
    "@=\"C:\\\\default.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Machine\"=\"C:\\\\m.exe\"\r\n"
    "\"Blob\"=hex:01\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices]\r\n"
    "\"Service\"=\"C:\\\\s.exe\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n"
    "\"Once\"=\"C:\\\\o.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Old32\"=\"C:\\\\x86.exe\"\r\n";

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg, kWorld, error)) << error.message;
    // A standard user: HKEY_LOCAL_MACHINE's keys open for reading only.
    reg.denyWriteAccess(kHklmRun);
    fs.setSpecialFolder(csidl::kStartup, "C:\\User\\Startup");
    fs.setSpecialFolder(csidl::kCommonStartup, "C:\\All\\Startup\\");
    fs.addShortcut("C:\\User\\Startup\\Mail.LNK", "C:\\mail.exe");
    fs.addFile("C:\\User\\Startup\\notes.txt", "x");
    fs.addUnreadableShortcut("C:\\User\\Startup\\broken.lnk");
    fs.addShortcut("C:\\All\\Startup\\Sync.lnk", "C:\\sync.exe");
  }

  std::vector<StartupEntry> List(int versionCode, bool wow6432Node) {
    return ListStartupEntries(reg, fs, {versionCode, wow6432Node, "Startup", "Common Startup"});
  }

  std::vector<StartupRow> Rows() {
    std::vector<StartupRow> rows;
    for (StartupEntry& entry : List(10, false)) rows.push_back({std::move(entry), false});
    return rows;
  }

  MemoryRegistry reg;
  MemoryFileSystem fs;
};

std::vector<std::string> Captions(const std::vector<StartupEntry>& entries) {
  std::vector<std::string> out;
  for (const StartupEntry& entry : entries) out.push_back(entry.caption + "|" + entry.location);
  return out;
}

TEST_F(StartupTest, ListsTextValuesAndShortcutsInOrderFoundWithReadAccess) {
  const std::vector<StartupEntry> entries = List(10, false);
  const std::string cu = "HKEY_CURRENT_USER\\";
  EXPECT_EQ(Captions(entries), (std::vector<std::string>{
                                   "Text|" + cu + kRun, "Expand|" + cu + kRun, "|" + cu + kRun,
                                   std::string("Machine|") + kHklmRun, "Once|" + cu + kRun + "Once",
                                   "Mail.LNK|Startup", "Sync.lnk|Common Startup"}));
  EXPECT_EQ(entries[1].file, "%W%");  // shown unexpanded
  EXPECT_EQ(entries[5].file, "C:\\mail.exe");
  EXPECT_EQ(entries[6].folder, "C:\\All\\Startup\\");
}

TEST_F(StartupTest, RunServicesOnlyOnNineXAndThe32BitViewWithItsOwnLocation) {
  for (const int code : {1, 2, 3, 4, 8}) EXPECT_EQ(Captions(List(code, false)).size(), 8u) << code;
  for (const int code : {5, 9, 10, 11}) EXPECT_EQ(Captions(List(code, false)).size(), 7u) << code;
  const std::vector<std::string> with32 = Captions(List(10, true));
  EXPECT_NE(std::find(with32.begin(), with32.end(),
                      "Old32|HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\"
                      "CurrentVersion\\Run"),
            with32.end());
}

TEST_F(StartupTest, DeletesOnlyTickedRowsBacksUpValuesAndRecyclesShortcuts) {
  std::vector<StartupRow> rows = Rows();
  // Ticked: the default value, the machine value a standard user may not
  // delete, and the user's shortcut.
  rows[2].ticked = rows[3].ticked = rows[5].ticked = true;
  StartupRemover remover(reg, fs, "C:\\Backups",
                         [] { return LocalDateTime{2026, 12, 8, 14, 0, 0}; });
  const std::vector<StartupFailure> failures = DeleteTickedRows(remover, rows);

  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].entry.caption, "Machine");
  EXPECT_NE(failures[0].reason.find("cannot be opened for deleting"), std::string::npos);
  std::vector<std::string> left;
  for (const StartupRow& row : rows) left.push_back(row.entry.caption + (row.ticked ? "+" : ""));
  EXPECT_EQ(left, (std::vector<std::string>{"Text", "Expand", "Machine+", "Once", "Sync.lnk"}));

  EXPECT_EQ(fs.recycled(), std::vector<std::string>{"C:\\User\\Startup\\Mail.LNK"});
  EXPECT_EQ(fs.probe("C:\\User\\Startup\\Mail.LNK"), PathProbe::NotFound);

  // The default value went, into a backup this program vouches for, which
  // brings it back.
  RegKeyPtr key;
  ASSERT_EQ(reg.openKey(RootKey::CurrentUser, nullptr, kRun, RegAccess::Read, false, key),
            RegStatus::Ok);
  RegValue value;
  EXPECT_EQ(reg.queryValue(*key, "", value), RegStatus::NotFound);
  EXPECT_EQ(remover.BackupFile(), "C:\\Backups\\Backup20261208140000.reg");
  std::string bytes;
  ASSERT_EQ(fs.readFile(remover.BackupFile(), bytes), FsStatus::Ok);
  BackupRecord record(reg, fs);
  EXPECT_EQ(CheckProvenance(record, remover.BackupFile(), bytes).provenance, Provenance::Recorded);
  RegFileError error;
  ASSERT_TRUE(ImportRegText(reg, bytes, error)) << error.message;
  ASSERT_EQ(reg.queryValue(*key, "", value), RegStatus::Ok);
  EXPECT_EQ(value.type, kRegSz);
}

}  // namespace
}  // namespace hs

// Taking back chosen items of a backup file on the in-memory backends.
#include <gtest/gtest.h>

#include "common/Sha256.h"
#include "platform/TRegistry.h"
#include "restore/BackupItems.h"
#include "restore/BackupRecord.h"
#include "restore/FakeEditor.h"
#include "restore/RestoreItems.h"

namespace hs {
namespace {

const char* const kItemsHeader = "REGEDIT4\r\n\r\n";
const char* const kTreeItem =
    "[HKEY_CURRENT_USER\\Software\\Tree]\r\n"
    "\"Path\"=\"C:\\\\gone\\\\tree.exe\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Tree\\Sub]\r\n"
    "@=dword:00000007\r\n"
    "\r\n";
const char* const kValueItemA =
    "[HKEY_CURRENT_USER\\Software\\Run]\r\n"
    "\"A\"=\"C:\\\\gone\\\\a.exe /min\"\r\n"
    "\r\n";
const char* const kValueItemB =
    "[HKEY_CURRENT_USER\\Software\\Run]\r\n"
    "\"B\"=hex:01,02,03\r\n"
    "\r\n";
const char* const kEmptyKeyItem = "[HKEY_LOCAL_MACHINE\\Software\\Empty]\r\n";

class RestoreItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Put(std::string(kItemsHeader) + kTreeItem + kValueItemA + kValueItemB + kEmptyKeyItem);
  }
  void Put(const std::string& bytes, bool recorded = true) {
    fs.addFile(kFile, bytes);
    if (recorded) {
      ASSERT_TRUE(BackupRecord(reg, fs).record(kFile, {bytes.size(), Sha256Of(bytes)}));
    }
  }
  RestoreRequest Request(bool force = false) { return {kFile, "C:\\Backup", true, force, {}, {}}; }
  RestoreOutcome RestoreItems(std::vector<std::size_t> numbers) {
    return RestoreBackupItems(fs, reg, editor, Request(), std::move(numbers));
  }
  bool Has(const std::string& key, const std::string& value = "\x01") {
    TRegistry open(reg, RootKey::CurrentUser, RegAccess::Read);
    if (!open.OpenPath(key)) return false;
    RegValue found;
    return value == "\x01" || open.RawValue(value, found);
  }
  static constexpr const char* kFile = "C:\\Backup\\Backup20240101120000.reg";
  MemoryFileSystem fs;
  MemoryRegistry reg;
  FakeEditor editor{fs, reg};
};

TEST_F(RestoreItemsTest, AKeyTakesItsSubtreeAValueStandsAloneAndItemsAreCutByteForByte) {
  const ListedItems listed = ListBackupItems(fs, reg, Request());
  ASSERT_EQ(listed.outcome.end, RestoreEnd::Restored) << listed.outcome.message;
  ASSERT_EQ(listed.items.size(), 4u);
  const BackupFileItem &tree = listed.items[0], &a = listed.items[1], &b = listed.items[2],
                       &empty = listed.items[3];
  EXPECT_EQ(tree.keyPath, "HKEY_CURRENT_USER\\Software\\Tree");
  EXPECT_FALSE(tree.oneValue);
  EXPECT_EQ(tree.putsBack, "2 keys, 2 values");
  EXPECT_TRUE(a.oneValue);
  EXPECT_EQ(a.valueName, "A");
  EXPECT_EQ(a.putsBack, "REG_SZ \"C:\\gone\\a.exe /min\"");
  EXPECT_EQ(b.putsBack, "REG_BINARY 01 02 03 (3 bytes)");
  EXPECT_EQ(empty.putsBack, "1 key, 0 values");
  for (const BackupFileItem& item : listed.items) EXPECT_EQ(item.presence, ItemPresence::Absent);
  EXPECT_TRUE(listed.wholeFile);

  std::string bytes;
  ASSERT_EQ(fs.readFile(kFile, bytes), FsStatus::Ok);
  EXPECT_EQ(ItemFileBytes(bytes, listed.items, {2, 4}),
            std::string(kItemsHeader) + kValueItemA + kEmptyKeyItem);
  EXPECT_EQ(ItemsAtOrBelow(listed.items, "hkey_current_user\\software\\"),
            (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(ItemsAtOrBelow(listed.items, "HKEY_CURRENT_USER\\Software\\Tree\\Sub"),
            std::vector<std::size_t>{});
  EXPECT_EQ(ItemsAtOrBelow(listed.items, "HKEY_CURRENT_USER\\Software\\Tre"),
            std::vector<std::size_t>{});

  // A version-5 file is cut in its own encoding, between its UTF-16 lines.
  const std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\\u00C4]\r\n\"X\"=\"\u00E9\"\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\B]\r\n\"Y\"=dword:00000001\r\n";
  std::string unicode = "\xFF\xFE";
  for (const char16_t unit : text)
    unicode += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
  std::vector<BackupFileItem> items;
  std::string error;
  ASSERT_TRUE(SplitIntoItems(unicode, fs.ansiCodePage(), items, error)) << error;
  ASSERT_EQ(items.size(), 2u);
  const std::string second = ItemFileBytes(unicode, items, {2});
  EXPECT_EQ(second.size(), unicode.size() - (items[1].begin - items[0].begin));
  EXPECT_EQ(second.substr(second.size() - 8), unicode.substr(unicode.size() - 8));
  EXPECT_EQ(items[0].putsBack, "REG_SZ \"\xC3\xA9\"");
}

TEST_F(RestoreItemsTest, ChosenItemsComeBackAloneAndTheFileStaysUntilEveryItemIsBack) {
  RestoreOutcome outcome = RestoreItems({3, 1});
  ASSERT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_TRUE(Has("Software\\Tree\\Sub"));
  EXPECT_TRUE(Has("Software\\Run", "B"));
  EXPECT_FALSE(Has("Software\\Run", "A"));
  EXPECT_FALSE(TRegistry(reg, RootKey::LocalMachine).PathExists("Software\\Empty"));
  EXPECT_EQ(outcome.itemCount, 4u);
  EXPECT_EQ(outcome.itemsNotBack, (std::vector<std::size_t>{2, 4}));
  EXPECT_FALSE(outcome.fileDeleted);
  EXPECT_EQ(outcome.keptBecause, "2 of its 4 items are not in the registry");
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);

  // The value's data changed since: listed as differing, and a restore puts it back.
  TRegistry run(reg, RootKey::CurrentUser);
  ASSERT_TRUE(run.OpenPath("Software\\Run"));
  ASSERT_TRUE(run.WriteValueText("A", "C:\\other.exe"));
  const ListedItems listed = ListBackupItems(fs, reg, Request());
  EXPECT_EQ(listed.items[0].presence, ItemPresence::Present);
  EXPECT_EQ(listed.items[1].presence, ItemPresence::Differs);
  EXPECT_EQ(listed.items[3].presence, ItemPresence::Absent);

  outcome = RestoreItems({2, 4});
  ASSERT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_TRUE(outcome.itemsNotBack.empty());
  EXPECT_TRUE(outcome.fileDeleted) << outcome.keptBecause;
  EXPECT_EQ(fs.probe(kFile), PathProbe::NotFound);
}

TEST_F(RestoreItemsTest, TheFileMeetsTheWholeRestoresRulesAndABadNumberImportsNothing) {
  EXPECT_EQ(RestoreItems({5}).end, RestoreEnd::Refused);
  EXPECT_EQ(RestoreItems({}).end, RestoreEnd::Refused);
  EXPECT_TRUE(editor.commandLines.empty());

  // Not recorded: nothing without force; the line rules hold even with it.
  Put(std::string(kItemsHeader) + kValueItemA, false);
  EXPECT_TRUE(ListBackupItems(fs, reg, Request()).outcome.needsForce);
  EXPECT_EQ(ListBackupItems(fs, reg, Request(true)).items.size(), 1u);
  Put(std::string(kItemsHeader) + kValueItemA + "[-HKEY_CURRENT_USER\\Software\\Victim]\r\n",
      false);
  const ListedItems hostile = ListBackupItems(fs, reg, Request(true));
  EXPECT_EQ(hostile.outcome.end, RestoreEnd::Refused);
  EXPECT_TRUE(hostile.items.empty());
  EXPECT_EQ(RestoreBackupItems(fs, reg, editor, Request(true), {1}).end, RestoreEnd::Refused);
  EXPECT_TRUE(editor.commandLines.empty());

  // Recorded in part: only the recorded items are offered, and the file is
  // never deleted, since its tail may hold more.
  const std::string recorded = std::string(kItemsHeader) + kValueItemA;
  Put(recorded + kValueItemB, false);
  ASSERT_TRUE(BackupRecord(reg, fs).record(kFile, {recorded.size(), Sha256Of(recorded)}));
  const ListedItems listed = ListBackupItems(fs, reg, Request());
  ASSERT_EQ(listed.items.size(), 1u);
  EXPECT_FALSE(listed.wholeFile);
  const RestoreOutcome outcome = RestoreItems({1});
  EXPECT_EQ(outcome.end, RestoreEnd::Restored) << outcome.message;
  EXPECT_TRUE(Has("Software\\Run", "A"));
  EXPECT_FALSE(Has("Software\\Run", "B"));
  EXPECT_EQ(outcome.keptBecause, "only part of it may be restored");
  EXPECT_EQ(fs.probe(kFile), PathProbe::File);
}

}  // namespace
}  // namespace hs

// Backups against the real peer: what our writer exports and the repair
// deletes, Wine's own "regedit /s" must bring back unchanged, type and data.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "regfile/RegFileReader.h"
#include "repair/RegistrySnapshot.h"
#include "repair/Repair.h"
#include "restore/RestoreBackup.h"
#include "restore/win32/RegistryEditorProcess.h"

namespace hs {
namespace {

constexpr const char* kRoundTripBase = "Software\\HivesweepTest\\RoundTrip";
constexpr const char* kRoundTripBaseFull = "HKEY_CURRENT_USER\\Software\\HivesweepTest\\RoundTrip";

template <std::size_t N>
std::vector<std::uint8_t> Units(const char16_t (&text)[N], bool terminate = true) {
  return Utf16LeBytes(std::u16string_view(text, N - 1), terminate);
}

RegValue Sz(const std::string& name, const std::string& text, std::uint32_t type = kRegSz) {
  return {name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

std::vector<std::uint8_t> Bytes(std::size_t count, unsigned seed = 7) {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>(i * seed + 3));
  return out;
}

// Every value form and every awkward name a backup must carry.
std::vector<RegValue> CarriedValues() {
  return {
      Sz("", "default text"),
      Sz("@", "a value named @"),
      Sz("name \"with\" quotes", "text \"with\" quotes"),
      Sz("back\\slash\\", "C:\\dir\\\"quoted\\"),
      Sz("a=b [c] @d", "= [x] @"),
      Sz(" spaced ", "  padded  "),
      Sz("Caf\xC3\xA9 \xE2\x82\xAC \xC3\x9F",
         "\xC3\xA4\xC3\xB6\xC3\xBC \xE2\x80\x9Cquoted\xE2\x80\x9D \xC5\x92"),
      Sz("tab", "a\tb"),
      Sz("line breaks", "first\r\nsecond\nthird\r"),
      {"inner nul", kRegSz, Units(u"left\0right")},
      {"sz no data", kRegSz, {}},
      Sz("sz empty", ""),
      Sz("expand", "%SystemRoot%\\system32;%PATH%", kRegExpandSz),
      Sz("expand empty", "", kRegExpandSz),
      {"multi", kRegMultiSz, Units(u"one\0two \"2\"\0\u00E9\0\0", false)},
      {"multi empty", kRegMultiSz, {0, 0}},
      {"dword", kRegDword, {0x1A, 0, 0, 0}},
      {"dword max", kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}},
      {"dword short", kRegDword, {1, 2}},
      {"qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"big endian", kRegDwordBigEndian, {0, 0, 1, 0}},
      {"none empty", kRegNone, {}},
      {"none data", kRegNone, Bytes(5)},
      {"link", kRegLink, Bytes(10)},
      {"resource list", kRegResourceList, Bytes(40)},
      {"odd type", 0x1234, Bytes(3)},
      {"bin empty", kRegBinary, {}},
      {"bin 1", kRegBinary, {0xAB}},
      {"bin 26", kRegBinary, Bytes(26)},
      {"bin 27", kRegBinary, Bytes(27)},
      {"bin 51", kRegBinary, Bytes(51)},
      {"bin 52", kRegBinary, Bytes(52)},
      {"bin large", kRegBinary, Bytes(20000, 13)},
  };
}

void Write(RegistryBackend& reg, const std::string& path, const std::vector<RegValue>& values) {
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(path, true)) << path;
  for (const RegValue& value : values)
    ASSERT_TRUE(key.WriteValue(value)) << path << " " << value.name;
}

std::string RoundTripFolder(const char* name) {
  wchar_t buffer[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  std::wstring wide(buffer);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end())) + name;
}

Finding Row(FindingKind kind, const std::string& key, const std::string& value = "") {
  return Finding{"round trip", key, value, kind, true, 0};
}

class RoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TRegistry scratch(reg, RootKey::CurrentUser);
    scratch.RemovePath(kRoundTripBase);
    folder = RoundTripFolder("HivesweepRoundTrip");
    std::vector<DirEntry> old;
    if (fs.listDirectory(folder, old) == FsStatus::Ok)
      for (const DirEntry& entry : old) fs.deleteSilently(folder + "\\" + entry.name);
  }
  void TearDown() override {
    TRegistry scratch(reg, RootKey::CurrentUser);
    scratch.RemovePath(kRoundTripBase);
  }
  std::vector<KeySnapshot> Tree(const std::string& path) {
    std::vector<KeySnapshot> snapshot;
    std::string reason;
    EXPECT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, path, snapshot, reason)) << reason;
    return snapshot;
  }

  win32::Win32Registry reg;
  win32::Win32FileSystem fs;
  std::string folder;
};

void ExpectSameTree(const std::vector<KeySnapshot>& before, const std::vector<KeySnapshot>& after) {
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t k = 0; k < before.size(); ++k) {
    EXPECT_EQ(before[k].keyPath, after[k].keyPath);
    ASSERT_EQ(before[k].values.size(), after[k].values.size()) << before[k].keyPath;
    for (const RegValue& old : before[k].values) {
      bool found = false;
      for (const RegValue& now : after[k].values) {
        if (now.name != old.name) continue;
        found = true;
        EXPECT_EQ(now.type, old.type) << before[k].keyPath << " " << old.name;
        EXPECT_EQ(now.data, old.data) << before[k].keyPath << " " << old.name;
      }
      EXPECT_TRUE(found) << before[k].keyPath << " lost " << old.name;
    }
  }
}

TEST_F(RoundTripTest, RepairThenRegeditImportRestoresEveryDeletedItem) {
  const std::string base = kRoundTripBase;
  Write(reg, base + "\\Values", CarriedValues());
  Write(reg, base + "\\Tree \"q\" [x] @=y", CarriedValues());
  Write(reg, base + "\\Tree \"q\" [x] @=y\\Caf\xC3\xA9 \xE2\x82\xAC", {Sz("deep", "1")});
  Write(reg, base + "\\Tree \"q\" [x] @=y\\Empty", {});
  Write(reg, base + "\\Tree \"q\" [x] @=y\\Caf\xC3\xA9 \xE2\x82\xAC\\Deeper",
        {{"b", kRegBinary, Bytes(27)}});
  // What a REGEDIT4 file cannot carry is refused and stays untouched.
  Write(reg, base + "\\Refused",
        {Sz("\xE4\xB8\xAD name", "x"),
         Sz("data", "\xE4\xB8\xAD"),
         {"no nul", kRegSz, Units(u"abc", false)},
         {"odd", kRegExpandSz, {0x41, 0, 0x42}}});
  Write(reg, base + "\\Refused tree\\\xE4\xB8\xAD", {Sz("v", "1")});

  const std::vector<KeySnapshot> valuesBefore = Tree(base + "\\Values");
  const std::vector<KeySnapshot> treeBefore = Tree(base + "\\Tree \"q\" [x] @=y");
  const std::vector<KeySnapshot> refusedBefore = Tree(base + "\\Refused");
  const std::vector<KeySnapshot> refusedTreeBefore = Tree(base + "\\Refused tree");

  std::vector<Finding> rows;
  rows.push_back(Row(FindingKind::fkKey, std::string(kRoundTripBaseFull) + "\\Tree \"q\" [x] @=y"));
  for (const RegValue& value : CarriedValues())
    rows.push_back(
        value.name.empty()
            ? Row(FindingKind::fkDefaultValue, std::string(kRoundTripBaseFull) + "\\Values")
            : Row(FindingKind::fkNamedValue, std::string(kRoundTripBaseFull) + "\\Values",
                  value.name));
  for (const RegValue& value : refusedBefore.at(0).values)
    rows.push_back(
        Row(FindingKind::fkNamedValue, std::string(kRoundTripBaseFull) + "\\Refused", value.name));
  rows.push_back(Row(FindingKind::fkKey, std::string(kRoundTripBaseFull) + "\\Refused tree"));
  const std::size_t refusedCount = refusedBefore.at(0).values.size() + 1;

  const RepairOutcome outcome = RepairRun(reg, fs, folder, false).Run(rows);
  ASSERT_EQ(outcome.end, RepairEnd::Completed) << outcome.error;
  ASSERT_EQ(outcome.notRepaired.size(), refusedCount);
  for (const NotRepaired& failed : outcome.notRepaired)
    EXPECT_NE(failed.reason.find("cannot carry"), std::string::npos) << failed.reason;
  TRegistry check(reg, RootKey::CurrentUser);
  EXPECT_FALSE(check.PathExists(base + "\\Tree \"q\" [x] @=y"));
  ASSERT_TRUE(check.OpenPath(base + "\\Values"));
  EXPECT_EQ(check.KeyCounts().valueCount, 0u);
  ExpectSameTree(refusedBefore, Tree(base + "\\Refused"));
  ExpectSameTree(refusedTreeBefore, Tree(base + "\\Refused tree"));

  win32::Win32RegistryEditor editor;
  const RestoreOutcome restored =
      RestoreBackupFile(fs, reg, editor, {outcome.backupFile, folder, false, false, {}, {}});
  EXPECT_EQ(restored.end, RestoreEnd::Restored) << restored.message;
  for (const RestoreDifference& difference : restored.differences)
    ADD_FAILURE() << difference.item << " " << difference.problem;
  ExpectSameTree(valuesBefore, Tree(base + "\\Values"));
  ExpectSameTree(treeBefore, Tree(base + "\\Tree \"q\" [x] @=y"));
}

// The delete trusts a settled last-write time only as far as the real
// registry stamps every write: a value rewritten to data of the same size,
// between the snapshot and the delete, must still keep its key.
TEST_F(RoundTripTest, ASettledKeyRewrittenBeforeItsDeleteIsKept) {
  const std::string base = kRoundTripBase;
  Write(reg, base + "\\Rewritten", {Sz("x", "1"), {"n", kRegDword, {1, 0, 0, 0}}});
  Write(reg, base + "\\Untouched", {Sz("x", "1")});
  ::Sleep(static_cast<DWORD>(kSettledTicks / 10'000 + 200));
  struct Read {
    std::vector<KeySnapshot> keys;
    RegKeyPtr held;
  } rewritten, untouched;
  std::string reason;
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, base + "\\Rewritten", rewritten.keys,
                              reason, &rewritten.held));
  ASSERT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, base + "\\Untouched", untouched.keys,
                              reason, &untouched.held));
  ASSERT_TRUE(rewritten.held && untouched.held);
  EXPECT_NE(rewritten.keys.at(0).settledWriteTime, 0u);
  EXPECT_NE(untouched.keys.at(0).settledWriteTime, 0u);
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(base + "\\Rewritten"));
  ASSERT_TRUE(key.WriteValueText("x", "2"));
  key.ClosePath();

  EXPECT_FALSE(
      DeleteHeldKey(reg, RootKey::CurrentUser, rewritten.keys.at(0), *rewritten.held, reason));
  EXPECT_NE(reason.find("changed after"), std::string::npos) << reason;
  EXPECT_TRUE(
      DeleteHeldKey(reg, RootKey::CurrentUser, untouched.keys.at(0), *untouched.held, reason))
      << reason;
  EXPECT_TRUE(key.PathExists(base + "\\Rewritten"));
  EXPECT_FALSE(key.PathExists(base + "\\Untouched"));
}

// The reader must store what Wine's importer stores for the same file.
TEST_F(RoundTripTest, ReaderAgreesWithRegeditImport) {
  const std::string text =
      "REGEDIT4\r\n\r\n"
      "[" +
      std::string(kRoundTripBaseFull) +
      "\\Reader]\r\n"
      "\"hex1 no nul\"=hex(1):41,42\r\n"
      "\"hex2 cp\"=hex(2):80,e9,25,00\r\n"
      "\"hex7\"=hex(7):61,00,62\r\n"
      "\"hex2 empty\"=hex(2):\r\n"
      "\"escapes\"=\"a\\\\b\\\"c\"\r\n"
      "\"cp text \xE9\"=\"\x80\x9C\"\r\n"
      "\"dw\"=dword:0000ff01\r\n"
      "\"split\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"typed\"=hex(4):01,02\r\n";
  const std::string file = folder + "\\reader.reg";
  fs.createDirectory(folder);
  std::unique_ptr<FileWriter> writer;
  ASSERT_EQ(fs.openForWrite(file, false, writer), FsStatus::Ok);
  ASSERT_EQ(writer->write(text), FsStatus::Ok);
  writer.reset();

  win32::Win32RegistryEditor editor;
  ASSERT_EQ(editor.run(ImportCommandLine(file)), EditorRun::Ended);
  RegFile parsed;
  RegFileError error;
  ASSERT_TRUE(ParseRegFile(text, fs.ansiCodePage(), parsed, error)) << error.message;
  const std::vector<RestoreDifference> differences = VerifyRestored(reg, parsed);
  for (const RestoreDifference& difference : differences)
    ADD_FAILURE() << difference.item << " " << difference.problem;
  EXPECT_EQ(parsed.sections.at(0).values.size(), 9u);
}

TEST_F(RoundTripTest, ReadsAFileFromAnOffset) {
  fs.createDirectory(folder);
  const std::string file = folder + "\\offset.bin";
  std::unique_ptr<FileWriter> writer;
  ASSERT_EQ(fs.openForWrite(file, false, writer), FsStatus::Ok);
  ASSERT_EQ(writer->write("REGEDIT4\r\nrest"), FsStatus::Ok);
  writer.reset();
  for (const auto& [offset, expected] :
       {std::pair<std::uint64_t, std::string>{0, "REGEDIT4\r\nrest"},
        {10, "rest"},
        {14, ""},
        {99, ""}}) {
    std::string out = "stale";
    EXPECT_EQ(fs.readFileFrom(file, offset, out), FsStatus::Ok);
    EXPECT_EQ(out, expected) << offset;
  }
  std::string out;
  EXPECT_EQ(fs.readFileFrom(folder + "\\missing.bin", 0, out), FsStatus::NotFound);
}

TEST(RegistryEditorPath, IsTheWindowsFoldersEditor) {
  const std::wstring path = win32::RegistryEditorPath();
  wchar_t windows[MAX_PATH + 1] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_EQ(path.rfind(windows, 0), 0u);
  EXPECT_EQ(path.substr(path.size() - 12), L"\\regedit.exe");
}

}  // namespace
}  // namespace hs

// Backups on machines whose ANSI code page is not Windows-1252: the registry
// editor reads the file in that page, so the writer must write in it, the
// repair must check in it, and what it cannot carry must stay in the registry.
#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "regfile/RegFileReader.h"
#include "regfile/RegFileWriter.h"
#include "repair/RegistrySnapshot.h"
#include "repair/Repair.h"

namespace hs {
namespace {

// Shaped like the East Asian double-byte pages: ASCII as it is, Cyrillic
// capitals and small letters on single bytes 0xC0..0xFF (as in 1251), and a
// few characters on two bytes whose second byte is '\' or ']' (as in 932).
class ToyDoubleByteCodePage final : public CodePage {
 public:
  std::u16string decode(std::string_view bytes) const override {
    std::u16string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b < 0x80 || b >= 0xC0) {
        out += b < 0x80 ? static_cast<char16_t>(b) : static_cast<char16_t>(0x0410 + b - 0xC0);
        continue;
      }
      char16_t pair = u'\u30FB';  // what the system makes of a stray lead byte
      for (const Pair& known : kPairs)
        if (i + 1 < bytes.size() && bytes[i] == known.lead && bytes[i + 1] == known.trail) {
          pair = known.character;
          ++i;
        }
      out += pair;
    }
    return out;
  }

  bool encode(std::u16string_view text, std::string& out) const override {
    out.clear();
    bool exact = true;
    for (char16_t c : text) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c >= 0x0410 && c <= 0x044F) {
        out += static_cast<char>(0xC0 + (c - 0x0410));
      } else if (const Pair* known = find(c)) {
        out += known->lead;
        out += known->trail;
      } else {
        out += '?';
        exact = false;
      }
    }
    return exact;
  }

 private:
  struct Pair {
    char16_t character;
    char lead, trail;
  };
  static constexpr Pair kPairs[] = {
      {u'\u30BD', '\x83', '\\'}, {u'\u8868', '\x95', '\\'}, {u'\u30BE', '\x83', ']'}};
  static const Pair* find(char16_t c) {
    for (const Pair& known : kPairs)
      if (known.character == c) return &known;
    return nullptr;
  }
};

RegValue Sz(const std::string& name, const std::string& text, std::uint32_t type = kRegSz) {
  return {name, type, Utf16LeBytes(Utf8ToUtf16(text))};
}

// ソ and 表 end in byte '\', ゾ in ']'; Имя and данные are single bytes.
constexpr const char* kSo = "\xE3\x82\xBD";
constexpr const char* kHyo = "\xE8\xA1\xA8";
constexpr const char* kZo = "\xE3\x82\xBE";
constexpr const char* kName = "\xD0\x98\xD0\xBC\xD1\x8F";                          // Имя
constexpr const char* kData = "\xD0\xB4\xD0\xB0\xD0\xBD\xD0\xBD\xD1\x8B\xD0\xB5";  // данные
constexpr const char* kCafe = "caf\xC3\xA9";

std::vector<RegValue> CarriedValues() {
  const std::string so = kSo, hyo = kHyo, zo = kZo;
  return {
      Sz(so + "\"" + hyo + "\\" + so, hyo + "\\" + so + "\"" + zo),
      Sz(so, "%" + hyo + "%\\" + so, kRegExpandSz),
      {hyo + "multi", kRegMultiSz,
       Utf16LeBytes(Utf8ToUtf16(so + std::string(1, '\0') + kData + std::string(1, '\0')))},
      Sz(kName, kData),
      Sz("", so + zo),
  };
}

std::vector<KeySnapshot> Tree(RegistryBackend& reg, const std::string& path) {
  std::vector<KeySnapshot> snapshot;
  std::string reason;
  EXPECT_TRUE(SnapshotKeyTree(reg, RootKey::CurrentUser, path, snapshot, reason)) << reason;
  return snapshot;
}

void ExpectSameTree(const std::vector<KeySnapshot>& expected,
                    const std::vector<KeySnapshot>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(expected[k].keyPath, actual[k].keyPath);
    ASSERT_EQ(expected[k].values.size(), actual[k].values.size()) << expected[k].keyPath;
    for (std::size_t v = 0; v < expected[k].values.size(); ++v) {
      EXPECT_EQ(expected[k].values[v].name, actual[k].values[v].name);
      EXPECT_EQ(expected[k].values[v].type, actual[k].values[v].type);
      EXPECT_EQ(expected[k].values[v].data, actual[k].values[v].data);
    }
  }
}

class BackupCodePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.setAnsiCodePage(page);
    fs.addFolder("C:\\Backup");
  }
  void Write(const std::string& path, const std::vector<RegValue>& values) {
    TRegistry key(reg, RootKey::CurrentUser);
    ASSERT_TRUE(key.OpenPath(path, true)) << path;
    for (const RegValue& value : values) ASSERT_TRUE(key.WriteValue(value)) << value.name;
  }

  std::shared_ptr<const CodePage> page = std::make_shared<ToyDoubleByteCodePage>();
  MemoryRegistry reg;
  MemoryFileSystem fs;
};

TEST_F(BackupCodePageTest, DoubleByteCharactersEndingInEscapeBytesComeBackUnchanged) {
  const std::string keyPath = std::string("Software\\") + kHyo + kZo + "[x]";
  Write(keyPath, CarriedValues());
  Write(keyPath + "\\" + kSo, {Sz(kName, kData)});
  const std::vector<KeySnapshot> before = Tree(reg, keyPath);

  const ExportResult written =
      ExportRegistryItem(fs, reg, "C:\\Backup\\b.reg", RootKey::CurrentUser, keyPath, "", true);
  EXPECT_TRUE(written.created);
  std::string file;
  ASSERT_EQ(fs.readFile("C:\\Backup\\b.reg", file), FsStatus::Ok);
  // Written in the page: ソ as its two bytes, Имя on three.
  EXPECT_NE(file.find("\"\x83\\\\\"\x95\\\\\\\x83\\\"="), std::string::npos) << file;
  EXPECT_NE(file.find("\"\xC8\xEC\xFF\"=\"\xE4\xE0\xED\xED\xFB\xE5\""), std::string::npos) << file;

  MemoryRegistry restored;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(restored, file, *page, error)) << error.line << ": " << error.message;
  ExpectSameTree(before, Tree(restored, keyPath));

  for (const RegValue& refused : {Sz(kCafe, "x"), Sz("x", kCafe), Sz("x", kCafe, kRegExpandSz)})
    EXPECT_THROW(FormatValueLine(refused, *page), UnrepresentableError) << refused.name;
}

TEST_F(BackupCodePageTest, RepairBacksUpInTheMachinesPageAndKeepsWhatItCannotCarry) {
  Write("Software\\App", {Sz(kName, kData), Sz(kCafe, "1"), Sz("text", kCafe)});
  Write(std::string("Software\\App\\") + kName, CarriedValues());
  Write(std::string("Software\\App\\") + kCafe, {Sz("v", "1")});

  const std::string app = "HKEY_CURRENT_USER\\Software\\App";
  std::vector<Finding> rows = {
      {"t", app, kName, FindingKind::fkNamedValue, true, 0},
      {"t", app, kCafe, FindingKind::fkNamedValue, true, 0},
      {"t", app, "text", FindingKind::fkNamedValue, true, 0},
      {"t", app + "\\" + kName, "", FindingKind::fkKey, true, 0},
      {"t", app + "\\" + kCafe, "", FindingKind::fkKey, true, 0},
  };
  RepairHooks hooks;
  hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
  const RepairOutcome outcome = RepairRun(reg, fs, "C:\\Backup", false, hooks).Run(rows);
  ASSERT_EQ(outcome.end, RepairEnd::Completed) << outcome.error;
  ASSERT_EQ(outcome.notRepaired.size(), 3u);
  for (const NotRepaired& kept : outcome.notRepaired)
    EXPECT_NE(kept.reason.find("cannot carry"), std::string::npos) << kept.reason;

  TRegistry key(reg, RootKey::CurrentUser);
  EXPECT_FALSE(key.PathExists(std::string("Software\\App\\") + kName));
  EXPECT_TRUE(key.PathExists(std::string("Software\\App\\") + kCafe));
  ASSERT_TRUE(key.OpenPath("Software\\App"));
  EXPECT_FALSE(key.HasValue(kName));
  EXPECT_TRUE(key.HasValue(kCafe));
  EXPECT_TRUE(key.HasValue("text"));
  key.ClosePath();

  std::string backup;
  ASSERT_EQ(fs.readFile(outcome.backupFile, backup), FsStatus::Ok);
  EXPECT_NE(backup.find("\"\xC8\xEC\xFF\"=\"\xE4\xE0\xED\xED\xFB\xE5\""), std::string::npos);
}

}  // namespace
}  // namespace hs

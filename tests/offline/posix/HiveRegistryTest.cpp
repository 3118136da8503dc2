// The hive backend against an independent reader (python3-hivex) on hives
// Windows wrote, and its own rules: names folded by the registry's rule,
// undecodable names read with U+FFFD, every write refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "common/Text.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {
namespace {

class HiveRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  }
  HiveFolder folder;
};

TEST_F(HiveRegistry, EveryKeyAndValueOfRealHivesEqualsWhatHivexReads) {
  for (const char* name :
       {"real/NTUSER.DAT", "real/SYSTEM", "recovery/UnicodeHive", "recovery/CompHive",
        "recovery/ExtendedASCIIHive", "recovery/BigDataHive", "recovery/DuplicateSubkeysHive",
        "recovery/WrongOrderHive", "recovery/MultiSzHive", "recovery/StringValuesHive"}) {
    const std::string path = folder.take(name);
    std::shared_ptr<HiveFile> hive = OpenHive(path);
    ASSERT_TRUE(hive) << name;
    EXPECT_EQ(hive->state().outcome, ReplayOutcome::Clean) << name;
    std::unique_ptr<OfflineRegistry> registry = RegistryOf(hive);
    const std::vector<std::string> ours = DumpThroughBackend(*registry);
    const std::vector<std::string> theirs = DumpWithPythonHivex(path);
    ASSERT_FALSE(theirs.empty()) << name;
    ExpectSameLines(ours, theirs, name);
  }
}

TEST_F(HiveRegistry, LookUpsFoldEveryLetterAndFindTheOneKeyAsked) {
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(OpenHive(folder.take("real/SYSTEM")));
  RegKeyPtr key;
  ASSERT_EQ(registry->openKey(RootKey::LocalMachine, nullptr, "test\\select", RegAccess::Read,
                              false, key),
            RegStatus::Ok);
  RegValue current;
  ASSERT_EQ(registry->queryValue(*key, "CURRENT", current), RegStatus::Ok);
  EXPECT_EQ(current.type, kRegDword);
  // Non-ASCII names fold too (hivex's own look-up folds ASCII only).
  registry = RegistryOf(OpenHive(folder.take("recovery/UnicodeHive")));
  ASSERT_EQ(registry->openKey(RootKey::LocalMachine, nullptr, "TEST", RegAccess::Read, false, key),
            RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(registry->subkeyNames(*key, names), RegStatus::Ok);
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    RegKeyPtr child;
    EXPECT_EQ(registry->openKey(RootKey::LocalMachine, key.get(), UpperCase(name), RegAccess::Read,
                                false, child),
              RegStatus::Ok)
        << name;
  }
}

TEST_F(HiveRegistry, UndecodableNamesReadWithReplacementCharactersBesideTheirSiblings) {
  // A key name made invalid UTF-16: its first character becomes a lone
  // high surrogate. hivex cannot decode it; its subkey must still be read.
  const std::string path = folder.take("recovery/UnicodeHive");
  std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  const std::u16string stored = u"\u041F\u0440\u0438\u0432\u0435\u0442";
  const std::vector<std::uint8_t> pattern = Utf16LeBytes(stored, false);
  const auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
  ASSERT_NE(at, bytes.end());
  at[0] = 0x00;
  at[1] = 0xD8;
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(OpenHive(path));
  const std::string replaced = Utf16ToUtf8(u"\uFFFD\u0440\u0438\u0432\u0435\u0442");
  RegKeyPtr key;
  ASSERT_EQ(registry->openKey(RootKey::LocalMachine, nullptr, "TEST\\" + replaced, RegAccess::Read,
                              false, key),
            RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(registry->subkeyNames(*key, names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{Utf16ToUtf8(u"\u041A\u043B\u044E\u0447")});
  EXPECT_EQ(DumpThroughBackend(*registry).size(), 3u);  // the root and both keys
}

TEST_F(HiveRegistry, WritesAreRefusedAndNothingIsCreated) {
  std::unique_ptr<OfflineRegistry> registry = RegistryOf(OpenHive(folder.take("real/NTUSER.DAT")));
  RegKeyPtr key;
  ASSERT_EQ(registry->openKey(RootKey::LocalMachine, nullptr, "TEST\\Software", RegAccess::All,
                              false, key),
            RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(registry->subkeyNames(*key, names), RegStatus::Ok);
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(registry->setValue(*key, RegValue{"x", kRegSz, {}}), RegStatus::AccessDenied);
  EXPECT_EQ(registry->deleteValue(*key, "x"), RegStatus::AccessDenied);
  EXPECT_EQ(registry->deleteLeafKey(*key, names.front()), RegStatus::AccessDenied);
  RegKeyPtr made;
  EXPECT_EQ(registry->openKey(RootKey::LocalMachine, key.get(), "New", RegAccess::All, true, made),
            RegStatus::AccessDenied);
  EXPECT_EQ(registry->openKey(RootKey::LocalMachine, key.get(), names.front(), RegAccess::All, true,
                              made),
            RegStatus::Ok);  // an existing key opens
}

}  // namespace
}  // namespace hs::offline::test

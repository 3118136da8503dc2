#include <algorithm>
#include <chrono>
#include <thread>

#include "common/Text.h"
#include "conformance/RegistryConformance.h"
#include "platform/RegistryLinks.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryRegistry.h"

namespace hs::conformance {

void RegistryConformance::SetUp() {
  backend = GetParam().make();
  if (!backend) GTEST_SKIP() << GetParam().name << " cannot be made here";
  TRegistry registry(*backend, GetParam().root);
  registry.RemovePath("\\" + GetParam().basePath);  // leftovers of an earlier run
  ASSERT_EQ(
      backend->openKey(GetParam().root, nullptr, GetParam().basePath, RegAccess::All, true, base),
      RegStatus::Ok);
  RegKeyInfo info;
  ASSERT_EQ(backend->keyInfo(*base, info), RegStatus::Ok);
  ASSERT_EQ(info.subkeyCount + info.valueCount, 0u) << "scratch key could not be emptied";
}

RegKeyPtr RegistryConformance::open(const std::string& path, bool create, RegAccess access) {
  RegKeyPtr key;
  backend->openKey(GetParam().root, base.get(), path, access, create, key);
  return key;
}

std::string RegistryConformance::fullPath(const std::string& path) const {
  return path.empty() ? GetParam().basePath : GetParam().basePath + "\\" + path;
}

bool RegistryConformance::refusedWrites() {
  if (!GetParam().refusesWrites) return false;
  RegKeyPtr made;
  EXPECT_EQ(backend->openKey(GetParam().root, base.get(), "New", RegAccess::All, true, made),
            RegStatus::AccessDenied);
  EXPECT_FALSE(made);
  EXPECT_EQ(backend->setValue(*base, RegValue{"v", kRegSz, {0, 0}}), RegStatus::AccessDenied);
  EXPECT_EQ(backend->deleteValue(*base, "v"), RegStatus::AccessDenied);
  EXPECT_EQ(backend->deleteLeafKey(*base, "New"), RegStatus::AccessDenied);
  RegKeyInfo info;
  EXPECT_EQ(backend->keyInfo(*base, info), RegStatus::Ok);
  EXPECT_EQ(info.subkeyCount + info.valueCount, 0u);
  return true;
}

bool RegistryConformance::refusesKeyName(const std::string& name) const {
  return GetParam().hivexLimits &&
         std::any_of(name.begin(), name.end(), [](char c) { return (c & 0x80) != 0; });
}

bool RegistryConformance::makeKey(const std::string& path) {
  if (!refusesKeyName(path)) return open(path, true) != nullptr;
  RegKeyPtr made;
  EXPECT_EQ(backend->openKey(GetParam().root, base.get(), path, RegAccess::All, true, made),
            RegStatus::AccessDenied)
      << path;
  EXPECT_FALSE(open(path)) << path;
  return false;
}

void RegistryConformance::makeLink(const std::string& linkPath, const std::string& targetPath) {
  ASSERT_TRUE(
      GetParam().makeLink(*backend, GetParam().root, fullPath(linkPath), fullPath(targetPath)))
      << linkPath;
}

namespace {

using namespace std::string_view_literals;

std::vector<std::uint8_t> Wide(std::u16string_view text, bool terminate = true) {
  return Utf16LeBytes(text, terminate);
}

RegValue Value(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> data) {
  return RegValue{name, type, std::move(data)};
}

std::vector<std::string> NamesOf(const std::vector<RegValue>& values) {
  std::vector<std::string> names;
  for (const RegValue& v : values) names.push_back(v.name);
  return names;
}

}  // namespace

// Every case writes its own fixture: a backend that refuses writes shows the
// refusal instead.
#define HS_NEEDS_WRITES() \
  if (refusedWrites()) GTEST_SKIP() << GetParam().name << " refuses writes, as asserted"

TEST_P(RegistryConformance, SubkeysEnumerateSortedWithoutRegardToCase) {
  HS_NEEDS_WRITES();
  // Created out of order. Windows compares upper-cased names, so "_" (after
  // "Z") follows the letters, and accented capitals follow all of ASCII.
  for (const char* name :
       {"b", "\xC3\xA9mile", "Zeta", "_under", "c", "alpha", "A", "\xC3\x84rger", "a1"})
    ASSERT_TRUE(makeKey(name) || refusesKeyName(name)) << name;
  std::vector<std::string> names;
  ASSERT_EQ(backend->subkeyNames(*base, names), RegStatus::Ok);
  if (GetParam().subkeysFoldedToLower) {
    // Wine compares lower-cased names, which puts the characters between "Z"
    // and "a" ("[", "_", ...) first; Windows compares upper-cased names.
    EXPECT_EQ(names, (std::vector<std::string>{"_under", "A", "a1", "alpha", "b", "c", "Zeta",
                                               "\xC3\x84rger", "\xC3\xA9mile"}));
  } else {
    std::vector<std::string> expected{"A",    "a1",     "alpha",        "b",           "c",
                                      "Zeta", "_under", "\xC3\x84rger", "\xC3\xA9mile"};
    std::erase_if(expected, [&](const std::string& name) { return refusesKeyName(name); });
    EXPECT_EQ(names, expected);
  }
  RegKeyInfo info;
  ASSERT_EQ(backend->keyInfo(*base, info), RegStatus::Ok);
  EXPECT_EQ(info.subkeyCount, names.size());
}

TEST_P(RegistryConformance, ValuesEnumerateInCreationOrder) {
  HS_NEEDS_WRITES();
  for (const char* name : {"zeta", "Alpha", "", "mid", "Beta"})
    ASSERT_EQ(backend->setValue(*base, Value(name, kRegDword, {1, 0, 0, 0})), RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(backend->valueNames(*base, names), RegStatus::Ok);
  std::vector<RegValue> values;
  ASSERT_EQ(backend->values(*base, values), RegStatus::Ok);
  EXPECT_EQ(NamesOf(values), names);
  const std::vector<std::string> creationOrder{"zeta", "Alpha", "", "mid", "Beta"};
  if (GetParam().valuesSortedByName) {
    // Wine keeps values sorted by name; Windows keeps creation order (as the
    // in-memory registry does). Only the set of names can be compared here.
    std::vector<std::string> sortedNames = names, expected = creationOrder;
    std::sort(sortedNames.begin(), sortedNames.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sortedNames, expected);
  } else {
    EXPECT_EQ(names, creationOrder);
  }
  RegKeyInfo info;
  ASSERT_EQ(backend->keyInfo(*base, info), RegStatus::Ok);
  EXPECT_EQ(info.valueCount, 5u);
}

TEST_P(RegistryConformance, OverwritingAValueKeepsItsPlaceAndItsNameCase) {
  HS_NEEDS_WRITES();
  for (const char* name : {"First", "Second", "Third"})
    ASSERT_EQ(backend->setValue(*base, Value(name, kRegSz, Wide(u"old"))), RegStatus::Ok);
  std::vector<std::string> before;
  ASSERT_EQ(backend->valueNames(*base, before), RegStatus::Ok);
  ASSERT_EQ(backend->setValue(*base, Value("SECOND", kRegBinary, {9, 8, 7})), RegStatus::Ok);
  std::vector<std::string> after;
  ASSERT_EQ(backend->valueNames(*base, after), RegStatus::Ok);
  EXPECT_EQ(after, before);
  EXPECT_NE(std::find(after.begin(), after.end(), "Second"), after.end());
  RegValue read;
  ASSERT_EQ(backend->queryValue(*base, "second", read), RegStatus::Ok);
  EXPECT_EQ(read.type, kRegBinary);
  EXPECT_EQ(read.data, (std::vector<std::uint8_t>{9, 8, 7}));
}

TEST_P(RegistryConformance, KeysAndValuesAreFoundWithoutRegardToCase) {
  HS_NEEDS_WRITES();
  // Where a non-ASCII key name is refused (asserted by makeKey), an ASCII
  // one stands in.
  const bool accented = makeKey("Mixed\\Case\\\xC3\x89t\xC3\xA9");
  ASSERT_TRUE(accented || open("Mixed\\Case\\Ete", true));
  RegKeyPtr key = open(accented ? "MIXED\\case\\\xC3\xA9T\xC3\x89" : "MIXED\\case\\eTE");
  ASSERT_TRUE(key);
  ASSERT_EQ(backend->setValue(*key, Value("Value", kRegSz, Wide(u"x"))), RegStatus::Ok);
  RegValue read;
  EXPECT_EQ(backend->queryValue(*key, "VALUE", read), RegStatus::Ok);
  std::vector<std::string> names;
  ASSERT_EQ(backend->subkeyNames(*open("mixed"), names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Case"});  // stored case, not the asked one
  // Creating an existing key in another case opens it.
  RegKeyPtr again = open("MIXED\\CASE", true);
  ASSERT_TRUE(again);
  ASSERT_EQ(backend->subkeyNames(*open("Mixed"), names), RegStatus::Ok);
  EXPECT_EQ(names.size(), 1u);
}

TEST_P(RegistryConformance, NamesFoldOnlyIntoTheirCasePartners) {
  HS_NEEDS_WRITES();
  // A name stored in one spelling and asked for in another: found exactly
  // when EqualsNoCase says the names are equal. Letters whose case mapping
  // does not lead back to them (dotless i, dotted I, long s, micro, final
  // sigma, Kelvin) stay apart, and so do supplementary characters.
  struct Spelling {
    std::u16string stored, asked;
    bool same;
  };
  const Spelling spellings[] = {
      {u"\u0141", u"\u0142", true},   // L with stroke
      {u"\u0141", u"\u0140", false},  // ... is not L with middle dot
      {u"\u0139", u"\u0138", false},  // L with acute, kra
      {u"\u017B", u"\u017C", true},   // Z with dot above
      {u"\u017B", u"\u017A", false},  // ... is not z with acute
      {u"\u017D", u"\u017E", true},   // Z with caron
      {u"\u0147", u"\u0148", true},   // N with caron
      {u"\u0141\u00F3d\u017A", u"\u0142\u00D3D\u0179", true},
      {u"\u0178", u"\u00FF", true},  // y with diaeresis
      {u"I", u"\u0131", false},      // dotless i
      {u"i", u"\u0130", false},      // capital I with dot
      {u"I", u"\u0130", false},
      {u"\u0131", u"\u0130", false},
      {u"S", u"\u017F", false},       // long s
      {u"\u039C", u"\u00B5", false},  // micro sign
      {u"\u03BC", u"\u00B5", false},
      {u"\u03A3", u"\u03C3", true},   // sigma
      {u"\u03A3", u"\u03C2", false},  // final sigma
      {u"\u03C3", u"\u03C2", false},
      {u"\u0386", u"\u03AC", true},           // alpha with tonos
      {u"\u0416", u"\u0436", true},           // Cyrillic zhe
      {u"\u0401", u"\u0451", true},           // io
      {u"\u0490", u"\u0491", true},           // ghe with upturn
      {u"\u04C1", u"\u04C2", true},           // zhe with breve: capital is the odd one
      {u"\u0531", u"\u0561", true},           // Armenian ayb
      {u"k", u"\u212A", false},               // Kelvin sign
      {u"\uFF21", u"\uFF41", true},           // full-width A
      {u"\u2C6F", u"\u0250", true},           // turned a: capital takes 3 UTF-8 bytes
      {u"\U00010400", u"\U00010428", false},  // Deseret: beyond the BMP
  };
  int n = 0;
  for (const Spelling& spelling : spellings) {
    const std::string stored = Utf16ToUtf8(spelling.stored), asked = Utf16ToUtf8(spelling.asked);
    const std::string where = "case " + std::to_string(n);
    EXPECT_EQ(EqualsNoCase(stored, asked), spelling.same) << where;
    RegKeyPtr key = open("V" + std::to_string(n), true);
    ASSERT_TRUE(key) << where;
    ASSERT_EQ(backend->setValue(*key, Value(stored, kRegDword, {1, 0, 0, 0})), RegStatus::Ok);
    RegValue read;
    EXPECT_EQ(backend->queryValue(*key, asked, read) == RegStatus::Ok, spelling.same) << where;
    const std::string keyPath = "K" + std::to_string(n) + "\\";
    if (makeKey(keyPath + stored)) {
      EXPECT_EQ(open(keyPath + asked) != nullptr, spelling.same) << where;
    }
    ++n;
  }
}

TEST_P(RegistryConformance, ValueDataRoundTripsByteForByte) {
  HS_NEEDS_WRITES();
  std::vector<std::uint8_t> big(300000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7 + 3);
  std::vector<RegValue> cases = {
      Value("sz", kRegSz, Wide(u"C:\\Program Files\\x.exe")),
      Value("sz unterminated", kRegSz, Wide(u"abc", false)),
      Value("sz embedded nul", kRegSz, Wide(u"a\0b\0"sv)),
      Value("sz odd length", kRegSz, {0x61, 0x00, 0x62}),
      Value("sz empty", kRegSz, {}),
      Value("sz non-ascii", kRegSz, Wide(u"\u00C9t\u00E9 \u20AC \U0001F600")),
      Value("expand", kRegExpandSz, Wide(u"%SystemRoot%\\system32\\x.dll")),
      Value("multi", kRegMultiSz, Wide(u"one\0two\0\0"sv, false)),
      Value("dword", kRegDword, {0x78, 0x56, 0x34, 0x12}),
      Value("dword big endian", kRegDwordBigEndian, {0x12, 0x34, 0x56, 0x78}),
      Value("qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}),
      Value("none", kRegNone, {0xDE, 0xAD}),
      Value("none empty", kRegNone, {}),
      Value("binary empty", kRegBinary, {}),
      Value("binary big", kRegBinary, big),
      Value("odd type", 0x12345, {1, 2, 3}),
      Value("", kRegSz, Wide(u"default")),
  };
  if (GetParam().hivexLimits) {
    // hivex would write it as a plain cell, which Windows reads differently.
    const auto bigCase = std::find_if(cases.begin(), cases.end(),
                                      [](const RegValue& v) { return v.name == "binary big"; });
    EXPECT_EQ(backend->setValue(*base, *bigCase), RegStatus::AccessDenied);
    cases.erase(bigCase);
  }
  for (const RegValue& value : cases)
    ASSERT_EQ(backend->setValue(*base, value), RegStatus::Ok) << value.name;
  for (const RegValue& value : cases) {
    RegValue read;
    ASSERT_EQ(backend->queryValue(*base, value.name, read), RegStatus::Ok) << value.name;
    EXPECT_EQ(read.type, value.type) << value.name;
    EXPECT_EQ(read.data, value.data) << value.name;
  }
  std::vector<RegValue> listed;
  ASSERT_EQ(backend->values(*base, listed), RegStatus::Ok);
  ASSERT_EQ(listed.size(), cases.size());
  for (const RegValue& value : cases) {
    const auto it = std::find_if(listed.begin(), listed.end(),
                                 [&](const RegValue& v) { return v.name == value.name; });
    ASSERT_NE(it, listed.end()) << value.name;
    EXPECT_EQ(it->type, value.type) << value.name;
    EXPECT_EQ(it->data, value.data) << value.name;
  }
}

TEST_P(RegistryConformance, LongNamesAreEnumeratedWhole) {
  HS_NEEDS_WRITES();
  const std::string longValueName(16383, 'v');
  const std::string longKeyName(255, 'k');
  ASSERT_EQ(backend->setValue(*base, Value("short", kRegSz, Wide(u"s"))), RegStatus::Ok);
  ASSERT_EQ(backend->setValue(*base, Value(longValueName, kRegSz, Wide(u"long"))), RegStatus::Ok);
  ASSERT_TRUE(open(longKeyName, true));
  std::vector<std::string> names;
  ASSERT_EQ(backend->valueNames(*base, names), RegStatus::Ok);
  EXPECT_NE(std::find(names.begin(), names.end(), longValueName), names.end());
  std::vector<RegValue> values;
  ASSERT_EQ(backend->values(*base, values), RegStatus::Ok);
  EXPECT_EQ(NamesOf(values), names);
  ASSERT_EQ(backend->subkeyNames(*base, names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{longKeyName});
}

TEST_P(RegistryConformance, MissingKeysAndValuesAreNotFound) {
  HS_NEEDS_WRITES();
  RegKeyPtr key;
  EXPECT_EQ(
      backend->openKey(GetParam().root, base.get(), "nope\\deeper", RegAccess::Read, false, key),
      RegStatus::NotFound);
  EXPECT_FALSE(key);
  RegValue read;
  EXPECT_EQ(backend->queryValue(*base, "nope", read), RegStatus::NotFound);
  EXPECT_EQ(backend->deleteValue(*base, "nope"), RegStatus::NotFound);
  EXPECT_EQ(backend->deleteLeafKey(*base, "nope"), RegStatus::NotFound);
  EXPECT_EQ(backend->queryValue(*base, "", read), RegStatus::NotFound);  // unset default
}

TEST_P(RegistryConformance, OpenWithCreateMakesEveryMissingLevel) {
  HS_NEEDS_WRITES();
  RegKeyPtr deep = open("one\\two\\three", true);
  ASSERT_TRUE(deep);
  ASSERT_EQ(backend->setValue(*deep, Value("v", kRegDword, {5, 0, 0, 0})), RegStatus::Ok);
  EXPECT_TRUE(open("one\\two\\three"));
  EXPECT_TRUE(open("one\\two\\three", true));  // existing: opened, kept
  RegValue read;
  EXPECT_EQ(backend->queryValue(*open("one\\two\\three"), "v", read), RegStatus::Ok);
  // An empty path opens the parent itself.
  RegKeyPtr self = open("");
  ASSERT_TRUE(self);
  std::vector<std::string> names;
  ASSERT_EQ(backend->subkeyNames(*self, names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"one"});
  // From the root by full path.
  RegKeyPtr fromRoot;
  EXPECT_EQ(backend->openKey(GetParam().root, nullptr, fullPath("ONE\\two"), RegAccess::Read, false,
                             fromRoot),
            RegStatus::Ok);
}

TEST_P(RegistryConformance, DeleteLeafKeyRefusesAKeyWithSubkeys) {
  HS_NEEDS_WRITES();
  ASSERT_TRUE(open("Parent\\Child", true));
  EXPECT_EQ(backend->deleteLeafKey(*base, "Parent"), RegStatus::AccessDenied);
  EXPECT_TRUE(open("Parent\\Child"));
  RegKeyPtr parent = open("Parent");
  ASSERT_TRUE(parent);
  EXPECT_EQ(backend->deleteLeafKey(*parent, "CHILD"), RegStatus::Ok);
  EXPECT_EQ(backend->deleteLeafKey(*base, "parent"), RegStatus::Ok);
  EXPECT_FALSE(open("Parent"));
  // Only a direct subkey can be named.
  ASSERT_TRUE(open("A\\B", true));
  EXPECT_NE(backend->deleteLeafKey(*base, "A\\B"), RegStatus::Ok);
  EXPECT_NE(backend->deleteLeafKey(*base, ""), RegStatus::Ok);
  EXPECT_TRUE(open("A\\B"));
}

TEST_P(RegistryConformance, DeleteOpenKeyDeletesOnlyTheKeyItWasOpenedOn) {
  HS_NEEDS_WRITES();
  RegKeyPtr held = open("Held", true);
  ASSERT_TRUE(held);
  for (const char* name : {"a", "b", "c"})
    ASSERT_EQ(backend->setValue(*held, Value(name, kRegSz, Wide(u"x"))), RegStatus::Ok);
  std::vector<RegValue> values;
  ASSERT_EQ(backend->valuesUpTo(*held, 2, values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[1].name, "b");
  ASSERT_EQ(backend->valuesUpTo(*held, 9, values), RegStatus::Ok);
  EXPECT_EQ(values.size(), 3u);

  // Neither through a handle for reading, nor while the key has a subkey.
  RegKeyPtr readOnly = open("Held", false, RegAccess::Read);
  ASSERT_TRUE(readOnly);
  EXPECT_EQ(backend->deleteOpenKey(*readOnly), RegStatus::AccessDenied);
  ASSERT_TRUE(open("Held\\Sub", true));
  EXPECT_EQ(backend->deleteOpenKey(*held), RegStatus::AccessDenied);
  EXPECT_TRUE(open("Held\\Sub"));
  ASSERT_EQ(backend->deleteLeafKey(*held, "Sub"), RegStatus::Ok);
  EXPECT_EQ(backend->deleteOpenKey(*held), RegStatus::Ok);
  EXPECT_FALSE(open("Held"));
  // A key deleted already: NotFound, or Ok as Wine answers; either way
  // nothing else goes.
  const auto deletedAlready = [](RegStatus status) {
    return status == RegStatus::NotFound || status == RegStatus::Ok;
  };
  EXPECT_TRUE(deletedAlready(backend->deleteOpenKey(*held)));

  // A key made in the place of the one opened is never reached through it.
  RegKeyPtr first = open("Swap", true);
  ASSERT_TRUE(first);
  ASSERT_EQ(backend->deleteLeafKey(*base, "Swap"), RegStatus::Ok);
  ASSERT_TRUE(open("Swap", true));
  EXPECT_TRUE(deletedAlready(backend->deleteOpenKey(*first)));
  EXPECT_TRUE(open("Swap"));
}

TEST_P(RegistryConformance, HandleOfADeletedKeyFails) {
  HS_NEEDS_WRITES();
  RegKeyPtr doomed = open("Doomed", true);
  ASSERT_TRUE(doomed);
  ASSERT_EQ(backend->setValue(*doomed, Value("v", kRegSz, Wide(u"x"))), RegStatus::Ok);
  ASSERT_EQ(backend->deleteLeafKey(*base, "Doomed"), RegStatus::Ok);
  RegValue read;
  EXPECT_EQ(backend->queryValue(*doomed, "v", read), RegStatus::NotFound);
  EXPECT_EQ(backend->setValue(*doomed, Value("w", kRegSz, Wide(u"y"))), RegStatus::NotFound);
  std::vector<std::string> names;
  EXPECT_EQ(backend->valueNames(*doomed, names), RegStatus::NotFound);
  EXPECT_EQ(backend->subkeyNames(*doomed, names), RegStatus::NotFound);
  RegKeyInfo info;
  EXPECT_EQ(backend->keyInfo(*doomed, info), RegStatus::NotFound);
  EXPECT_FALSE(open("Doomed"));
  RegKeyPtr below;
  EXPECT_EQ(backend->openKey(GetParam().root, doomed.get(), "", RegAccess::Read, false, below),
            RegStatus::NotFound);
  EXPECT_EQ(backend->openKey(GetParam().root, doomed.get(), "x", RegAccess::All, true, below),
            RegStatus::NotFound);
  EXPECT_EQ(backend->deleteValue(*doomed, "v"), RegStatus::NotFound);
  // A new key of the same name is a different key.
  RegKeyPtr reborn = open("Doomed", true);
  ASSERT_TRUE(reborn);
  EXPECT_EQ(backend->queryValue(*reborn, "v", read), RegStatus::NotFound);
  EXPECT_EQ(backend->queryValue(*doomed, "v", read), RegStatus::NotFound);
}

TEST_P(RegistryConformance, ReadAccessRefusesWrites) {
  HS_NEEDS_WRITES();
  RegKeyPtr writable = open("R", true);
  ASSERT_TRUE(writable);
  ASSERT_EQ(backend->setValue(*writable, Value("kept", kRegSz, Wide(u"x"))), RegStatus::Ok);
  RegKeyPtr readOnly = open("R", false, RegAccess::Read);
  ASSERT_TRUE(readOnly);
  EXPECT_EQ(backend->setValue(*readOnly, Value("new", kRegSz, Wide(u"y"))),
            RegStatus::AccessDenied);
  EXPECT_EQ(backend->deleteValue(*readOnly, "kept"), RegStatus::AccessDenied);
  RegValue read;
  EXPECT_EQ(backend->queryValue(*readOnly, "kept", read), RegStatus::Ok);
  EXPECT_EQ(backend->queryValue(*readOnly, "new", read), RegStatus::NotFound);
  // Subkeys are another matter: creating and deleting them is checked against
  // the keys' own permissions, not against the handle they are reached from.
  RegKeyPtr created;
  EXPECT_EQ(backend->openKey(GetParam().root, readOnly.get(), "Made\\Below", RegAccess::All, true,
                             created),
            RegStatus::Ok);
  EXPECT_EQ(backend->setValue(*created, Value("w", kRegSz, Wide(u"z"))), RegStatus::Ok);
  RegKeyPtr readChild;
  ASSERT_EQ(
      backend->openKey(GetParam().root, readOnly.get(), "Made", RegAccess::Read, false, readChild),
      RegStatus::Ok);
  EXPECT_EQ(backend->deleteLeafKey(*readChild, "Below"), RegStatus::Ok);
  EXPECT_EQ(backend->deleteLeafKey(*readOnly, "Made"), RegStatus::Ok);
  EXPECT_FALSE(open("R\\Made"));
}

// The repair trusts a key's last-write time to show it unwritten since a
// snapshot: every kind of write must move the time past the clock read
// before it, and no read may move it.
TEST_P(RegistryConformance, EveryWriteStampsItsKeyLaterThanTheClockBeforeIt) {
  HS_NEEDS_WRITES();
  if (backend->writeClock() == 0) GTEST_SKIP() << GetParam().name << " keeps no write times";
  RegKeyPtr key = open("Stamped", true);
  ASSERT_TRUE(key);
  const auto stamp = [&] {
    RegKeyInfo info;
    EXPECT_EQ(backend->keyInfo(*key, info), RegStatus::Ok);
    return info.lastWriteTime;
  };
  const auto clockAfter = [&](std::uint64_t time) {
    std::uint64_t now = backend->writeClock();
    for (int tries = 0; now <= time && tries < 1000; ++tries) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      now = backend->writeClock();
    }
    EXPECT_GT(now, time) << "the clock stands still";
    return now;
  };
  struct Write {
    const char* name;
    std::function<RegStatus()> run;
  } writes[] = {
      {"value set", [&] { return backend->setValue(*key, Value("v", kRegSz, Wide(u"1"))); }},
      {"value set again, same size",
       [&] { return backend->setValue(*key, Value("v", kRegSz, Wide(u"2"))); }},
      {"value deleted", [&] { return backend->deleteValue(*key, "v"); }},
      {"subkey made",
       [&] {
         RegKeyPtr sub;
         return backend->openKey(GetParam().root, key.get(), "Sub", RegAccess::All, true, sub);
       }},
      {"subkey deleted", [&] { return backend->deleteLeafKey(*key, "Sub"); }},
  };
  for (const Write& write : writes) {
    SCOPED_TRACE(write.name);
    const std::uint64_t before = clockAfter(stamp());
    ASSERT_EQ(write.run(), RegStatus::Ok);
    const std::uint64_t written = stamp();
    EXPECT_GE(written, before);
    EXPECT_LE(written, backend->writeClock());
  }
  const std::uint64_t settled = stamp();
  std::vector<RegValue> values;
  std::vector<std::string> names;
  RegValue value;
  EXPECT_EQ(backend->values(*key, values), RegStatus::Ok);
  EXPECT_EQ(backend->subkeyNames(*key, names), RegStatus::Ok);
  EXPECT_EQ(backend->queryValue(*key, "v", value), RegStatus::NotFound);
  RegKeyPtr again = open("Stamped");
  EXPECT_EQ(stamp(), settled) << "a read moved the time";
}

TEST_P(RegistryConformance, LinksAreFollowedUnlessTheLastComponentIsOpenedItself) {
  HS_NEEDS_WRITES();
  if (!GetParam().makeLink) GTEST_SKIP() << GetParam().name << " cannot make links";
  ASSERT_TRUE(open("Target\\Child", true));
  ASSERT_EQ(backend->setValue(*open("Target"), Value("v", kRegSz, Wide(u"t"))), RegStatus::Ok);
  makeLink("Holder\\Link", "Target");
  std::vector<std::string> names;
  ASSERT_EQ(backend->subkeyNames(*open("Holder"), names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Link"});  // listed by its own name

  RegKeyPtr followed = open("holder\\LINK");
  ASSERT_TRUE(followed);
  ASSERT_EQ(backend->subkeyNames(*followed, names), RegStatus::Ok);
  EXPECT_EQ(names, std::vector<std::string>{"Child"});
  EXPECT_FALSE(IsLinkKey(*backend, *followed));
  // Earlier components follow whatever the last one is asked to do.
  RegKeyPtr below;
  EXPECT_EQ(backend->openKey(GetParam().root, base.get(), "Holder\\Link\\Child", RegAccess::Read,
                             false, below, LastLink::OpenLink),
            RegStatus::Ok);

  RegKeyPtr itself;
  ASSERT_EQ(backend->openKey(GetParam().root, nullptr, fullPath("Holder\\Link"), RegAccess::Read,
                             false, itself, LastLink::OpenLink),
            RegStatus::Ok);
  EXPECT_TRUE(IsLinkKey(*backend, *itself));
  ASSERT_EQ(backend->subkeyNames(*itself, names), RegStatus::Ok);
  EXPECT_TRUE(names.empty());
  std::vector<RegValue> values;
  ASSERT_EQ(backend->values(*itself, values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_TRUE(HoldsLinkValue(values));
  // The target as the kernel names it, without a final NUL: it ends in the
  // target key's own name.
  const std::string target = Utf16ToUtf8(Utf16FromLeBytes(values[0].data));
  EXPECT_TRUE(EndsWithNoCase(target, "\\" + fullPath("Target"))) << target;
}

TEST_P(RegistryConformance, DeletingALinkNeverReachesItsTarget) {
  HS_NEEDS_WRITES();
  if (!GetParam().makeLink) GTEST_SKIP() << GetParam().name << " cannot make links";
  ASSERT_TRUE(open("Target\\Child", true));
  makeLink("Holder\\Link", "Target");
  makeLink("Holder\\Loop", "Holder");  // back to its own parent
  ASSERT_TRUE(open("Holder\\Plain", true));
  RegKeyPtr holder = open("Holder");
  ASSERT_TRUE(holder);
  EXPECT_EQ(backend->deleteLeafKey(*holder, "Link"), RegStatus::Ok);
  EXPECT_TRUE(open("Target\\Child"));
  EXPECT_FALSE(open("Holder\\Link"));

  makeLink("Holder\\Link", "Target");
  TRegistry registry(*backend, GetParam().root);
  EXPECT_TRUE(registry.RemovePath("\\" + fullPath("Holder")));
  EXPECT_FALSE(open("Holder"));
  EXPECT_TRUE(open("Target\\Child"));
}

// --- the registry-access object on each backend ---

TEST_P(RegistryConformance, TRegistryOpenPathIsRelativeUnlessItStartsWithBackslash) {
  HS_NEEDS_WRITES();
  ASSERT_TRUE(open("Outer\\Inner\\Outer", true));
  TRegistry registry(*backend, GetParam().root);
  ASSERT_TRUE(registry.OpenPath("\\" + fullPath("Outer")));
  ASSERT_TRUE(registry.OpenPath("Inner"));
  EXPECT_EQ(registry.CurrentPath(), fullPath("Outer\\Inner"));
  ASSERT_TRUE(registry.OpenPath("Outer"));  // the inner one, relative
  EXPECT_EQ(registry.CurrentPath(), fullPath("Outer\\Inner\\Outer"));
  EXPECT_FALSE(registry.OpenPath("Inner"));  // no such key below, current key unchanged
  EXPECT_EQ(registry.CurrentPath(), fullPath("Outer\\Inner\\Outer"));
  ASSERT_TRUE(registry.OpenPath("\\" + fullPath("outer")));
  EXPECT_EQ(registry.SubkeyNameList(), std::vector<std::string>{"Inner"});
  ASSERT_TRUE(registry.OpenPath("New\\Level", true));
  EXPECT_TRUE(open("Outer\\New\\Level"));
}

TEST_P(RegistryConformance, TRegistryRemovePathTakesTheSubtreeAndNothingElse) {
  HS_NEEDS_WRITES();
  for (const char* path : {"Tree\\a\\x", "Tree\\a\\y\\z", "Tree\\B", "Tree\\c", "Sibling"})
    ASSERT_TRUE(open(path, true)) << path;
  ASSERT_EQ(backend->setValue(*open("Tree\\a\\y\\z"), Value("v", kRegSz, Wide(u"x"))),
            RegStatus::Ok);
  TRegistry registry(*backend, GetParam().root);
  ASSERT_TRUE(registry.OpenPath("\\" + fullPath("")));
  EXPECT_TRUE(registry.RemovePath("TREE\\A"));
  EXPECT_FALSE(registry.PathExists("Tree\\a"));
  EXPECT_EQ((std::vector<std::string>{"B", "c"}), [&] {
    std::vector<std::string> names;
    backend->subkeyNames(*open("Tree"), names);
    return names;
  }());
  EXPECT_TRUE(registry.RemovePath("Tree"));
  EXPECT_FALSE(registry.RemovePath("Tree"));  // already gone
  EXPECT_TRUE(registry.PathExists("Sibling"));
  EXPECT_EQ(registry.KeyCounts().subkeyCount, 1u);
}

TEST_P(RegistryConformance, TRegistryReadsTextCutAtNulAndCountsRawSizes) {
  HS_NEEDS_WRITES();
  RegKeyPtr key = open("Text", true);
  ASSERT_TRUE(key);
  ASSERT_EQ(backend->setValue(*key, Value("cut", kRegSz, Wide(u"left\0right"sv))), RegStatus::Ok);
  ASSERT_EQ(backend->setValue(*key, Value("bare", kRegExpandSz, Wide(u"%X%", false))),
            RegStatus::Ok);
  ASSERT_EQ(backend->setValue(*key, Value("num", kRegDword, {7, 0, 0, 0})), RegStatus::Ok);
  TRegistry registry(*backend, GetParam().root, RegAccess::Read);
  ASSERT_TRUE(registry.OpenPath("\\" + fullPath("text")));
  EXPECT_EQ(registry.ReadValueText("CUT"), "left");
  EXPECT_EQ(registry.ReadValueText("bare"), "%X%");
  EXPECT_EQ(registry.ReadValueText("missing"), "");
  EXPECT_THROW(registry.ReadValueText("num"), RegistryError);
  EXPECT_EQ(registry.ReadDword("num"), 7u);
  EXPECT_EQ(registry.ValueSize("bare"), 6);
  EXPECT_EQ(registry.ValueType("bare"), TValueType::ExpandString);
  EXPECT_FALSE(registry.WriteValueText("new", "x"));  // read access
  EXPECT_EQ(registry.KeyCounts().valueCount, 3u);
}

INSTANTIATE_TEST_SUITE_P(Memory, RegistryConformance,
                         ::testing::Values(RegistryTarget{
                             "Memory", [] { return std::make_unique<MemoryRegistry>(); },
                             RootKey::CurrentUser, "Software\\HivesweepTest\\Conformance", false,
                             false,
                             [](RegistryBackend& backend, RootKey root, const std::string& link,
                                const std::string& target) {
                               return static_cast<MemoryRegistry&>(backend).createLink(
                                   root, link, MemoryRegistry::kernelPath(root, target));
                             }}),
                         RegistryTargetName);

}  // namespace hs::conformance

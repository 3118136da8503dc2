#include <gtest/gtest.h>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"

namespace hs {
namespace {

class TRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg,
                              "REGEDIT4\n"
                              "[HKEY_CURRENT_USER\\Software\\T]\n"
                              "\"Text\"=\"abc\"\n"
                              "\"Cut\"=hex(1):61,00,00,00,62,00,00,00\n"
                              "\"Num\"=dword:00000007\n"
                              "\"Multi\"=hex(7):61,00,00,00,00,00\n"
                              "\"Empty\"=\"\"\n"
                              "[HKEY_CURRENT_USER\\Software\\T\\b]\n"
                              "[HKEY_CURRENT_USER\\Software\\T\\A]\n"
                              "[HKEY_CURRENT_USER\\Software\\T\\A\\deep]\n"
                              "[HKEY_CURRENT_USER\\Software\\T\\c]\n",
                              error));
  }
  MemoryRegistry reg;
};

TEST_F(TRegistryTest, OpenPathIsRelativeToTheCurrentKeyUnlessItStartsWithBackslash) {
  TRegistry r(reg, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(r.OpenPath("Software"));
  ASSERT_TRUE(r.OpenPath("T"));
  EXPECT_EQ(r.CurrentPath(), "Software\\T");
  EXPECT_FALSE(r.OpenPath("Software"));  // relative to Software\T
  EXPECT_EQ(r.CurrentPath(), "Software\\T");
  ASSERT_TRUE(r.OpenPath("\\Software"));
  EXPECT_EQ(r.CurrentPath(), "Software");
}

TEST_F(TRegistryTest, EnumeratesSubkeysInCaseInsensitiveOrderAndValuesInCreationOrder) {
  TRegistry r(reg, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(r.OpenPath("Software\\T"));
  EXPECT_EQ(r.SubkeyNameList(), (std::vector<std::string>{"A", "b", "c"}));
  EXPECT_EQ(r.ValueNameList(), (std::vector<std::string>{"Text", "Cut", "Num", "Multi", "Empty"}));
  EXPECT_EQ(r.KeyCounts().subkeyCount, 3u);
  EXPECT_EQ(r.KeyCounts().valueCount, 5u);
}

TEST_F(TRegistryTest, ReadValueTextCutsAtNulAndRaisesForOtherTypes) {
  TRegistry r(reg, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(r.OpenPath("Software\\T"));
  EXPECT_EQ(r.ReadValueText("text"), "abc");
  EXPECT_EQ(r.ReadValueText("Cut"), "a");
  EXPECT_EQ(r.ReadValueText("Missing"), "");
  EXPECT_EQ(r.ReadValueText("Empty"), "");
  EXPECT_THROW(r.ReadValueText("Num"), RegistryError);
  EXPECT_THROW(r.ReadValueText("Multi"), RegistryError);
  EXPECT_EQ(r.ReadDword("Num"), 7u);
  EXPECT_THROW(r.ReadDword("Text"), RegistryError);
  EXPECT_EQ(r.ValueType("Multi"), TValueType::None);
  EXPECT_EQ(r.ValueType("Num"), TValueType::Dword);
  EXPECT_LT(r.ValueSize("Missing"), 0);
  EXPECT_EQ(r.ValueSize("Text"), 8);
}

TEST_F(TRegistryTest, TextValueGivesWhatReadValueTextGivesAndNothingForOtherTypes) {
  TRegistry r(reg, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(r.OpenPath("Software\\T"));
  EXPECT_EQ(r.TextValue("text"), std::optional<std::string>("abc"));
  EXPECT_EQ(r.TextValue("Cut"), std::optional<std::string>("a"));
  EXPECT_EQ(r.TextValue("Empty"), std::optional<std::string>(""));
  EXPECT_EQ(r.TextValue("Missing"), std::nullopt);
  EXPECT_EQ(r.TextValue("Num"), std::nullopt);
  EXPECT_EQ(r.TextValue("Multi"), std::nullopt);
  r.ClosePath();
  EXPECT_EQ(r.TextValue("Text"), std::nullopt) << "no key open";
}

TEST_F(TRegistryTest, ReadAccessRefusesWrites) {
  TRegistry r(reg, RootKey::CurrentUser, RegAccess::Read);
  ASSERT_TRUE(r.OpenPath("Software\\T"));
  EXPECT_FALSE(r.WriteValueText("New", "x"));
  EXPECT_FALSE(r.RemoveValue("Text"));
  EXPECT_TRUE(r.HasValue("Text"));
}

TEST_F(TRegistryTest, RemovePathDeletesTheWholeSubtreeAndNothingElse) {
  TRegistry r(reg, RootKey::CurrentUser);
  ASSERT_TRUE(r.OpenPath("Software\\T"));
  EXPECT_TRUE(r.RemovePath("A"));
  EXPECT_FALSE(r.PathExists("A"));
  EXPECT_TRUE(r.PathExists("b"));
  EXPECT_FALSE(r.RemovePath("A"));
  EXPECT_FALSE(r.RemovePath(""));  // never the current key itself
  EXPECT_TRUE(r.HasValue("Text"));
}

TEST_F(TRegistryTest, HandleOfDeletedKeyFailsLikeTheRealRegistry) {
  TRegistry holder(reg, RootKey::CurrentUser);
  ASSERT_TRUE(holder.OpenPath("Software\\T\\c"));
  TRegistry other(reg, RootKey::CurrentUser);
  ASSERT_TRUE(other.RemovePath("Software\\T\\c"));
  EXPECT_FALSE(holder.WriteValueText("x", "y"));
  EXPECT_TRUE(holder.ValueNameList().empty());
}

// Registry text read as UTF-16LE bytes: ASCII, other characters after it
// (a pair of surrogates among them), a NUL ending the text, an odd last byte.
TEST(RegDataToTextTest, DecodesEveryShapeOfUtf16LeData) {
  using namespace std::literals;
  const auto bytes = [](std::u16string_view text) { return Utf16LeBytes(text, false); };
  EXPECT_EQ(RegDataToText(bytes(u"C:\\app.exe")), "C:\\app.exe");
  EXPECT_EQ(RegDataToText(bytes(u"C:\\\u00C9t\u00E9\\\U0001F600.exe")),
            "C:\\\xC3\x89t\xC3\xA9\\\xF0\x9F\x98\x80.exe");
  EXPECT_EQ(RegDataToText(bytes(u"ab\u20AC\0cd"sv)), "ab\xE2\x82\xAC");
  EXPECT_EQ(RegDataToText(bytes(u"ab\0\u20AC"sv)), "ab");
  std::vector<std::uint8_t> odd = bytes(u"ab");
  odd.push_back(0x63);
  EXPECT_EQ(RegDataToText(odd), "ab");
  odd = bytes(u"\u00E9");
  odd.push_back(0x63);
  EXPECT_EQ(RegDataToText(odd), "\xC3\xA9");
  EXPECT_EQ(RegDataToText({}), "");
  // An unpaired surrogate after ASCII stays one replacement character.
  EXPECT_EQ(RegDataToText({0x61, 0x00, 0x00, 0xD8, 0x62, 0x00}),
            "a\xEF\xBF\xBD"
            "b");
}

}  // namespace
}  // namespace hs

// Every name of one BMP character against Wine's registry: the names it
// takes for one are exactly those that EqualsNoCase calls equal.
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "common/Text.h"
#include "platform/win32/Win32Registry.h"
#include "win32/UnderWine.h"

namespace hs::win32 {
namespace {

constexpr const wchar_t* kScratch = L"Software\\HivesweepTest\\Fold";

std::string NameOf(std::uint32_t unit) {
  return Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(unit)));
}

std::uint32_t UnitStoredIn(const RegValue& value) {
  if (value.data.size() != 4) return 0;
  return value.data[0] | (value.data[1] << 8);
}

TEST(Win32RegistryNames, FoldExactlyAsEqualsNoCase) {
  // Windows' own table follows an older Unicode version; ours follows Wine's.
  if (!test::RunningUnderWine()) GTEST_SKIP() << "checked against Wine's registry";
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
  Win32Registry registry;
  RegKeyPtr key;
  ASSERT_EQ(registry.openKey(RootKey::CurrentUser, nullptr, "Software\\HivesweepTest\\Fold",
                             RegAccess::All, true, key),
            RegStatus::Ok);
  // One value per unit, holding the unit: a name the registry takes for an
  // earlier one overwrites that value instead of adding its own.
  const auto isSurrogate = [](std::uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; };
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    if (isSurrogate(unit)) continue;  // no UTF-8 form on their own
    const RegValue value{
        NameOf(unit),
        kRegDword,
        {static_cast<std::uint8_t>(unit), static_cast<std::uint8_t>(unit >> 8), 0, 0}};
    ASSERT_EQ(registry.setValue(*key, value), RegStatus::Ok) << std::hex << unit;
  }
  // Same capitals must mean the same stored value, other capitals another.
  std::map<std::string, std::uint32_t> valueOfCapitals;
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    if (isSurrogate(unit)) continue;
    RegValue read;
    ASSERT_EQ(registry.queryValue(*key, NameOf(unit), read), RegStatus::Ok) << std::hex << unit;
    const std::uint32_t stored = UnitStoredIn(read);
    const auto known = valueOfCapitals.emplace(UpperCase(NameOf(unit)), stored).first;
    EXPECT_EQ(known->second, stored) << std::hex << unit;
  }
  std::set<std::uint32_t> distinct;
  for (const auto& [capitals, data] : valueOfCapitals) distinct.insert(data);
  EXPECT_EQ(distinct.size(), valueOfCapitals.size());
  key.reset();
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
}

}  // namespace
}  // namespace hs::win32

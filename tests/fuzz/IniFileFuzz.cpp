// The profile-file reader on arbitrary bytes. Input: section NUL key NUL
// value NUL file bytes. Reads must not crash and a value must fit the
// profile buffer; a written value must read back the same after a save and
// a reload, whatever the file held before.
#include <cstdlib>
#include <optional>

#include "FuzzInput.h"
#include "common/Text.h"
#include "translation/IniFile.h"

namespace {

// The text the writer promises to read back: line breaks become blanks.
// Nothing for a value the promise does not cover (not UTF-8, or too long for
// the profile buffer).
std::optional<std::string> ExpectedReadBack(const std::string& value) {
  std::string utf8;
  const std::u16string wide = hs::Utf8ToUtf16(value);
  if (!hs::Utf16ToUtf8Exact(wide, utf8) || utf8 != value) return std::nullopt;
  if (wide.size() >= hs::IniFile::kValueBufferChars) return std::nullopt;
  for (char& c : utf8)
    if (c == '\r' || c == '\n') c = ' ';
  return utf8;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = hs::fuzz::AsText(data, size);
  const std::string section = hs::fuzz::TakeField(input);
  const std::string key = hs::fuzz::TakeField(input);
  const std::string value = hs::fuzz::TakeField(input);

  hs::IniFile file = hs::IniFile::FromBytes(input);
  const std::u16string read = hs::Utf8ToUtf16(file.ReadString(section, key, ""));
  if (read.size() >= hs::IniFile::kValueBufferChars) std::abort();
  file.ReadInteger(section, key, 7);
  file.ReadBool(section, key, false);
  file.HasKey(section, key);

  // The program writes under its own names; the value is what users control.
  file.WriteString("Options", "Lan", value);
  const hs::IniFile reloaded = hs::IniFile::FromBytes(file.ToBytes());
  const std::optional<std::string> expected = ExpectedReadBack(value);
  if (expected && reloaded.ReadString("Options", "Lan", "") != *expected) std::abort();
  return 0;
}

// Our profile-file reader against the system's own: every file of an awkward
// corpus is written to a temporary folder and each (section, key) is asked of
// both GetPrivateProfileStringW / GetPrivateProfileIntW and IniFile.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/Text.h"
#include "settings/SettingsFile.h"
#include "translation/IniFile.h"

namespace hs {
namespace {

using namespace std::string_literals;

std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(const wchar_t* text) {
  const std::wstring wide(text);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string Utf16LeFile(std::string_view utf8) {
  std::string bytes = "\xFF\xFE";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf16BeFile(std::string_view utf8) {
  std::string bytes = "\xFE\xFF";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return bytes;
}

// A folder under the system's temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    m_path = std::wstring(base) + L"hs-ini-oracle-" + std::to_wstring(::GetCurrentProcessId()) +
             L"-" + std::to_wstring(::GetTickCount());
    ::CreateDirectoryW(m_path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::wstring& file : m_files) ::DeleteFileW(file.c_str());
    ::RemoveDirectoryW(m_path.c_str());
  }
  // Writes the bytes to a new file; each name is used once, so the system's
  // profile cache never answers from an older file.
  std::wstring write(const std::string& name, const std::string& bytes) {
    const std::wstring path =
        m_path + L"\\" + Wide(name) + L"-" + std::to_wstring(m_files.size()) + L".ini";
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"wb"), &fclose);
    EXPECT_TRUE(file) << name;
    if (file) std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    m_files.push_back(path);
    return path;
  }

 private:
  std::wstring m_path;
  std::vector<std::wstring> m_files;
};

constexpr const char* kDefault = "<default>";
constexpr int kIntDefault = -12345;

std::string SystemString(const std::wstring& file, const std::string& section,
                         const std::string& key) {
  std::wstring buffer(IniFile::kValueBufferChars, L'\0');
  ::GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(kDefault).c_str(),
                             buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
  return Narrow(buffer.c_str());
}

int SystemInt(const std::wstring& file, const std::string& section, const std::string& key) {
  return static_cast<int>(
      ::GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), kIntDefault, file.c_str()));
}

using Query = std::pair<std::string, std::string>;  // section, key

struct CorpusCase {
  std::string name;
  std::string bytes;
  std::vector<Query> queries;
  bool needsWindows1252 = false;
};

std::string Repeat(char c, std::size_t count) {
  return std::string(count, c);
}

std::vector<CorpusCase> Corpus() {
  std::vector<CorpusCase> corpus;
  corpus.push_back({"basic",
                    "[Options]\r\nA=1\r\nb = two \r\n  C\t=\t three\t\r\n[Other]\r\nA=other\r\n",
                    {{"Options", "A"},
                     {"options", "a"},
                     {"OPTIONS", "B"},
                     {"Options", "C"},
                     {"Other", "A"},
                     {"Options", "Missing"},
                     {"Missing", "A"},
                     {" Options ", " A "},
                     {"\tOther", "a\t"}}});
  corpus.push_back({"comments",
                    "; top=comment\r\n# hash=1\r\n[S]\r\n;key=commented\r\n#key2=hash\r\n"
                    "key=real ; not a comment\r\n; trailing\r\n",
                    {{"S", "key"},
                     {"S", ";key"},
                     {"S", "#key2"},
                     {"S", "key2"},
                     {"", "# hash"},
                     {"S", "; trailing"},
                     {"", "; top"}}});
  corpus.push_back({"duplicates",
                    "[S]\r\nk=first\r\nK=second\r\n[s]\r\nk=third\r\nonly2=x\r\n[S]\r\nonly3=y\r\n",
                    {{"S", "k"}, {"s", "K"}, {"S", "only2"}, {"S", "only3"}}});
  corpus.push_back({"quotes",
                    "[Q]\r\na=\"quoted\"\r\nb='single'\r\nc=\"mismatch'\r\nd=\"\r\ne=\"\"\r\n"
                    "f=\"a\"b\"\r\ng= \"spaced\" \r\nh=\"x\r\ni=''\r\nj=\"\"\"\r\n"
                    "k=\"  inner  \"\r\nl='\r\nm=x\"\r\n",
                    {{"Q", "a"},
                     {"Q", "b"},
                     {"Q", "c"},
                     {"Q", "d"},
                     {"Q", "e"},
                     {"Q", "f"},
                     {"Q", "g"},
                     {"Q", "h"},
                     {"Q", "i"},
                     {"Q", "j"},
                     {"Q", "k"},
                     {"Q", "l"},
                     {"Q", "m"}}});
  corpus.push_back({"no-final-newline", "[S]\r\na=1\r\nlast=end", {{"S", "a"}, {"S", "last"}}});
  corpus.push_back({"line-ends",
                    "[S]\na=1\nb=2\r\nc=3\rd=4\n\n\r\n[T]\r\r\ne=5\r\r\n",
                    {{"S", "a"}, {"S", "b"}, {"S", "c"}, {"S", "d"}, {"T", "e"}}});
  corpus.push_back({"long-lines",
                    "[L]\r\nv2047=" + Repeat('a', 2047) + "\r\nv2048=" + Repeat('b', 2048) +
                        "\r\nv2049=" + Repeat('c', 2049) + "\r\nv5000=" + Repeat('d', 5000) +
                        "\r\nq2046=\"" + Repeat('e', 2046) + "\"\r\nq2047=\"" + Repeat('f', 2047) +
                        "\"\r\nq2048=\"" + Repeat('g', 2048) + "\"\r\n" + Repeat('k', 3000) +
                        "=longname\r\nafter=ok\r\n",
                    {{"L", "v2047"},
                     {"L", "v2048"},
                     {"L", "v2049"},
                     {"L", "v5000"},
                     {"L", "q2046"},
                     {"L", "q2047"},
                     {"L", "q2048"},
                     {"L", Repeat('k', 3000)},
                     {"L", "after"}}});
  corpus.push_back(
      {"no-equals-and-empty",
       "[S]\r\nnoequals\r\nempty=\r\nspaces=   \r\n=novalue\r\n  =x\r\na==b\r\n",
       {{"S", "noequals"}, {"S", "empty"}, {"S", "spaces"}, {"S", "a"}, {"S", "=novalue"}}});
  corpus.push_back({"headers",
                    "[ Spaced ]\r\na=1\r\n[Missing\r\nb=2\r\n[Good]c=3\r\nd=4\r\n[x]y]\r\ne=5\r\n"
                    "[]\r\nf=6\r\n  [Indented]  \r\ng=7\r\n[Tail] ; note\r\nh=8\r\n",
                    {{"Spaced", "a"},
                     {" Spaced ", "a"},
                     {"Spaced", "b"},
                     {"Missing", "b"},
                     {"Good", "c"},
                     {"Good", "d"},
                     {"x]y", "e"},
                     {"x", "e"},
                     {"", "f"},
                     {"Indented", "g"},
                     {"Tail", "h"},
                     {"Tail] ; note", "h"}}});
  corpus.push_back({"keys-before-any-section", "a=1\r\n[S]\r\nb=2\r\n", {{"S", "a"}, {"S", "b"}}});
  corpus.push_back({"ansi-non-ascii",
                    "[Caf\xE9]\r\nna\xEFve=\x80 \xE9t\xE9\r\nnbsp=\xA0x\xA0\r\nctl=\x81\x9D\r\n",
                    {{"Caf\xC3\xA9", "na\xC3\xAFve"},
                     {"CAF\xC3\x89", "NA\xC3\x8FVE"},
                     {"Caf\xC3\xA9", "nbsp"},
                     {"Caf\xC3\xA9", "ctl"}},
                    true});
  const std::string unicodeText =
      "[\xD0\xA0\xD1\x83\xD1\x81]\r\n\xE4\xB8\xAD=\xE6\x96\x87\xE5\xAD\x97\r\n"
      "emoji=\xF0\x9F\x98\x80 x\r\nwide=\xE3\x80\x80padded\xE3\x80\x80\r\n"
      "greek=\xCE\xB1\xCE\xB2\r\n";
  const std::vector<Query> unicodeQueries = {{"\xD0\xA0\xD1\x83\xD1\x81", "\xE4\xB8\xAD"},
                                             {"\xD1\x80\xD0\xa3\xD0\xA1", "\xE4\xB8\xAD"},
                                             {"\xD0\xA0\xD1\x83\xD1\x81", "emoji"},
                                             {"\xD0\xA0\xD1\x83\xD1\x81", "wide"},
                                             {"\xD0\xA0\xD1\x83\xD1\x81", "GREEK"}};
  corpus.push_back({"utf16le", Utf16LeFile(unicodeText), unicodeQueries});
  corpus.push_back({"utf16be", Utf16BeFile(unicodeText), unicodeQueries});
  corpus.push_back({"utf8-bom", "\xEF\xBB\xBF" + unicodeText, unicodeQueries});
  corpus.push_back({"utf8-without-bom-is-ansi", "[S]\r\nv=caf\xC3\xA9\r\n", {{"S", "v"}}, true});
  corpus.push_back(
      {"ctrl-z-and-tabs", "[S]\r\na=1\x1A\r\n\tb\t=\t2\t\r\n\x1A", {{"S", "a"}, {"S", "b"}}});
  corpus.push_back({"embedded-nul",
                    "[S]\r\na=x\0y\r\nb\0c=2\r\nd=3\r\n"s,
                    {{"S", "a"}, {"S", "b"}, {"S", "d"}}});
  corpus.push_back({"numbers",
                    "[N]\r\ndec=42\r\nneg=-7\r\nhex=0x1F\r\nHEXUP=0X1F\r\nplus=+5\r\nlead=007\r\n"
                    "big=2147483647\r\nover=2147483648\r\nmin=-2147483648\r\nhexmax=0xFFFFFFFF\r\n"
                    "text=yes\r\nmixed=12abc\r\nquoted=\" 42\"\r\nempty=\r\nfloat=1.5\r\n"
                    "bin=0b101\r\nzero=0\r\ntwo=2\r\n",
                    {{"N", "dec"},
                     {"N", "neg"},
                     {"N", "hex"},
                     {"N", "HEXUP"},
                     {"N", "plus"},
                     {"N", "lead"},
                     {"N", "big"},
                     {"N", "over"},
                     {"N", "min"},
                     {"N", "hexmax"},
                     {"N", "text"},
                     {"N", "mixed"},
                     {"N", "quoted"},
                     {"N", "empty"},
                     {"N", "float"},
                     {"N", "bin"},
                     {"N", "zero"},
                     {"N", "two"},
                     {"N", "none"}}});
  corpus.push_back({"empty-file", "", {{"S", "a"}}});
  return corpus;
}

bool AnsiIsWindows1252() {
  return ::GetACP() == 1252;
}

TEST(IniOracle, OurReaderAnswersEveryCorpusQueryLikeTheSystem) {
  TempFolder folder;
  int compared = 0;
  for (const CorpusCase& corpusCase : Corpus()) {
    if (corpusCase.needsWindows1252 && !AnsiIsWindows1252()) continue;
    const std::wstring path = folder.write(corpusCase.name, corpusCase.bytes);
    const IniFile ours = IniFile::FromBytes(corpusCase.bytes);
    for (const auto& [section, key] : corpusCase.queries) {
      SCOPED_TRACE(corpusCase.name + " [" + section + "] " + key.substr(0, 40));
      EXPECT_EQ(ours.ReadString(section, key, kDefault), SystemString(path, section, key));
      ++compared;
    }
  }
  EXPECT_GT(compared, 100);
}

// Integers agree wherever the value is a number; a value that is not a number
// reads as the default here, where the system reads its leading digits or 0.
TEST(IniOracle, IntegersAgreeForNumbersAndNonNumbersReadAsTheDefault) {
  TempFolder folder;
  for (const CorpusCase& corpusCase : Corpus()) {
    if (corpusCase.needsWindows1252 && !AnsiIsWindows1252()) continue;
    const std::wstring path = folder.write(corpusCase.name, corpusCase.bytes);
    const IniFile ours = IniFile::FromBytes(corpusCase.bytes);
    for (const auto& [section, key] : corpusCase.queries) {
      SCOPED_TRACE(corpusCase.name + " [" + section + "] " + key.substr(0, 40));
      const std::string text = ours.ReadString(section, key, kDefault);
      const bool isNumber = ParseIniInteger(Utf8ToUtf16(text)).has_value();
      if (isNumber || text == kDefault) {
        EXPECT_EQ(ours.ReadInteger(section, key, kIntDefault), SystemInt(path, section, key));
      } else {
        EXPECT_EQ(ours.ReadInteger(section, key, kIntDefault), kIntDefault);
      }
    }
  }
}

TEST(IniOracle, WhatOurWriterStoresTheSystemReadsBack) {
  TempFolder folder;
  struct Write {
    std::string section, key, value;
  };
  const std::vector<Write> writes = {
      {"Options", "OutputDirectory", "C:\\Program Files\\Corvane Hivesweep\\Backup"},
      {"Options", "Existing", "replaced"},
      {"Options", "Lan", "English"},
      {"Options", "Padded", "  two blanks  "},
      {"Options", "Quoted", "\"in quotes\""},
      {"Options", "Single", "'x'"},
      {"Options", "Empty", ""},
      {"Options", "Equals", "a=b=c"},
      {"IgnoreValue", "Value1", "HKEY_CURRENT_USER\\Software\\X\\caf\xC3\xA9"},
      {"IgnoreValue", "Value2", "line\r\nbreak"},
      {"New Section", "Count", "3"},
  };
  const std::string base =
      "; "
      "settings\r\n[Options]\r\nExisting=old\r\n\r\n[Window]\r\nState=1\r\n[options]\r\nLan=shadow";
  for (const bool forceUnicode : {false, true}) {
    IniFile file = IniFile::FromBytes(base);
    for (const Write& write : writes) file.WriteString(write.section, write.key, write.value);
    if (forceUnicode) file.WriteString("Options", "Wide", "\xE4\xB8\xAD\xE6\x96\x87");
    const std::string bytes = file.ToBytes();
    EXPECT_EQ(bytes.substr(0, 2) == "\xFF\xFE", forceUnicode);
    const std::wstring path = folder.write(forceUnicode ? "written-utf16" : "written-ansi", bytes);
    for (const Write& write : writes) {
      SCOPED_TRACE(write.section + "/" + write.key);
      const std::string expected = write.key == "Value2" ? "line  break" : write.value;
      EXPECT_EQ(SystemString(path, write.section, write.key), expected);
      EXPECT_EQ(IniFile::FromBytes(bytes).ReadString(write.section, write.key, kDefault), expected);
    }
    EXPECT_EQ(SystemString(path, "Window", "State"), "1");
    if (forceUnicode) {
      EXPECT_EQ(SystemString(path, "Options", "Wide"), "\xE4\xB8\xAD\xE6\x96\x87");
    }
  }
}

TEST(IniOracle, ASavedSettingsFileReadsTheSameThroughTheSystem) {
  TempFolder folder;
  Settings settings = Settings::Defaults("C:\\Program Files\\Corvane Hivesweep\\");
  settings.OutputDirectory = "D:\\Sicherung \xE4\xB8\xAD\\";
  settings.IgnoreValueList = {" leading blank", "\"quoted\"", "HKEY_USERS\\S-1\\x"};
  settings.IgnoreKeyList = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Caf\xC3\xA9"};
  settings.Lan = "German";
  IniFile file;
  SaveOptions(file, settings);
  const std::string bytes = file.ToBytes();
  const std::wstring path = folder.write("options", bytes);
  const IniFile reread = IniFile::FromBytes(bytes);
  const std::vector<Query> keys = {{"Options", "OutputDirectory"},
                                   {"Options", "Lan"},
                                   {"Options", "Beep"},
                                   {"IgnoreValue", "Count"},
                                   {"IgnoreValue", "Value1"},
                                   {"IgnoreValue", "Value2"},
                                   {"IgnoreValue", "Value3"},
                                   {"IgnoreKey", "Key1"},
                                   {"TreeViewNodeCheck", "23"},
                                   {"Window", "Height"}};
  for (const auto& [section, key] : keys)
    EXPECT_EQ(reread.ReadString(section, key, kDefault), SystemString(path, section, key)) << key;
  EXPECT_EQ(SystemString(path, "Options", "OutputDirectory"), settings.OutputDirectory);
  EXPECT_EQ(SystemString(path, "IgnoreValue", "Value1"), " leading blank");
  EXPECT_EQ(SystemString(path, "IgnoreValue", "Value2"), "\"quoted\"");
}

}  // namespace
}  // namespace hs

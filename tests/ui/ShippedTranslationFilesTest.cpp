// The translation files of lang/ against the English one: the same keys, the
// same shape of every text (access keys, blanks at the ends, empty or not),
// and no two items of one menu or one dialog sharing an access key. Menus are
// grouped by lang/menus.txt (checked against the program's own menus by the
// Windows tests); a dialog is the section of its window.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "translation/IniFile.h"
#include "ui/AccessKeys.h"
#include "ui/LanguageMenu.h"

namespace hs::ui {
namespace {

TEST(AccessKeysTest, AnAmpersandMarksTheNextCharacterInAnyScript) {
  using V = std::vector<std::string>;
  EXPECT_EQ(AccessKeysOf("&File"), V{"F"});
  EXPECT_EQ(AccessKeysOf("Save && &quit"), V{"Q"});
  EXPECT_EQ(AccessKeysOf("Tom && Jerry &"), V{});
  EXPECT_EQ(AccessKeysOf("&a&b"), (V{"A", "B"}));
  EXPECT_EQ(AccessKeysOf("\xD0\xA4\xD0\xB0\xD0\xB9&\xD0\xBB"), V{"\xD0\x9B"});  // Фай&л: Л
  EXPECT_EQ(AccessKeysOf("\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB(&f)"), V{"F"});
}

// One text of a file: where it is and what the program reads for it.
struct Text {
  std::string section, key, value;
};

// A file's texts in file order; its lines are read as the program reads them.
std::vector<Text> TextsOf(const std::string& bytes) {
  const IniFile file = IniFile::FromBytes(bytes);
  std::vector<Text> texts;
  std::string section;
  std::u16string all;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    all += static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                 static_cast<unsigned char>(bytes[i]));
  for (const std::string& raw : Split(Utf16ToUtf8(all), '\n')) {
    const std::string line = Trim(raw);
    if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
    } else if (const std::size_t equals = line.find('='); equals != std::string::npos) {
      const std::string key = Trim(line.substr(0, equals));
      texts.push_back({section, key, file.ReadString(section, key, "")});
    }
  }
  return texts;
}

[[maybe_unused]] std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string Where(const Text& text) {
  return "[" + text.section + "] " + text.key;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// What a translation must keep of the English text: its access keys (one
// where English has one, none where it has none), its blanks at either end
// (captions are joined to counts and names), and whether it is empty.
std::string ShapeProblem(const std::string& english, const std::string& translated) {
  const std::size_t keys = AccessKeysOf(translated).size();
  if (keys != AccessKeysOf(english).size())
    return std::to_string(keys) + " access keys where English has " +
           std::to_string(AccessKeysOf(english).size());
  if (english.empty() != translated.empty()) return english.empty() ? "not empty" : "empty";
  if (english.empty()) return {};
  if (IsBlank(english.front()) != IsBlank(translated.front()) ||
      IsBlank(english.back()) != IsBlank(translated.back()))
    return "blanks at its ends differ from English";
  for (const char* lineBreak : {"\\n", "\r", "\n"})
    if ((english.find(lineBreak) == std::string::npos) !=
        (translated.find(lineBreak) == std::string::npos))
      return "a line break differs from English";
  return {};
}

// Every fault of `translated` against `english`, one line each.
std::vector<std::string> FaultsAgainstEnglish(const std::vector<Text>& english,
                                              const std::vector<Text>& translated) {
  std::map<std::string, std::string> englishValues, values;
  for (const Text& text : english) englishValues[Where(text)] = text.value;
  std::vector<std::string> faults;
  for (const Text& text : translated) {
    if (!values.emplace(Where(text), text.value).second) faults.push_back(Where(text) + " twice");
    const auto original = englishValues.find(Where(text));
    if (original == englishValues.end()) {
      faults.push_back(Where(text) + " is not in the English file");
      continue;
    }
    const std::string problem = ShapeProblem(original->second, text.value);
    if (!problem.empty()) faults.push_back(Where(text) + "=" + text.value + ": " + problem);
  }
  for (const auto& [where, value] : englishValues)
    if (!values.count(where)) faults.push_back(where + " is missing");
  // The scan tells its tasks apart by these captions.
  const std::string prefix = "[ResourceString] RES_Scanning_Files_And_Folders_HKEY_";
  std::set<std::string> captions;
  for (const char* hive : {"LOCAL_MACHINE", "CURRENT_USER", "USERS"})
    captions.insert(values[prefix + hive]);
  if (captions.size() != 3)
    faults.push_back("the three Files and Folders captions are not distinct");
  return faults;
}

struct Group {
  std::string name, section;
  std::vector<std::string> keys;
};

// The menus of lang/menus.txt ("section opener: item item ...").
std::vector<Group> MenuGroups(const std::string& table) {
  std::vector<Group> groups;
  for (const std::string& raw : Split(table, '\n')) {
    const std::string line = Trim(raw);
    const std::size_t colon = line.find(':');
    if (line.empty() || line.front() == ';' || colon == std::string::npos) continue;
    Group group{line.substr(0, colon), line.substr(0, line.find(' ')), {}};
    for (const std::string& item : Split(line.substr(colon + 1), ' '))
      if (!item.empty()) group.keys.push_back(item);
    groups.push_back(group);
  }
  return groups;
}

// The menus, and every other section as one dialog.
std::vector<Group> AccessKeyGroups(const std::vector<Text>& texts,
                                   const std::vector<Group>& menus) {
  std::vector<Group> groups = menus;
  std::map<std::string, Group> dialogs;
  for (const Text& text : texts)
    if (!text.section.starts_with("Menu_") && text.section != "ResourceString")
      dialogs[text.section].keys.push_back(text.key);
  for (auto& [section, dialog] : dialogs) groups.push_back({section, section, dialog.keys});
  return groups;
}

std::vector<std::string> AccessKeyClashes(const std::vector<Text>& texts,
                                          const std::vector<Group>& groups) {
  std::map<std::string, std::string> values;
  for (const Text& text : texts) values[Where(text)] = text.value;
  std::vector<std::string> clashes;
  for (const Group& group : groups) {
    std::map<std::string, std::string> holders;  // key -> the first item with it
    for (const std::string& item : group.keys) {
      const std::string& caption = values["[" + group.section + "] " + item];
      for (const std::string& key : AccessKeysOf(caption)) {
        const auto [holder, isNew] = holders.emplace(key, item + "=" + caption);
        if (!isNew)
          clashes.push_back(group.name + ": " + key + " in " + holder->second + " and " + item +
                            "=" + caption);
      }
    }
  }
  return clashes;
}

[[maybe_unused]] std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

TEST(ShippedTranslationFilesTest, TheCheckFindsEachKindOfFault) {
  auto file = [](const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : Utf8ToUtf16(text)) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return TextsOf(bytes);
  };
  const std::vector<Text> english = file(
      "[frmA]\r\nbOK=&OK\r\nbNo=&No\r\nlScan=\"Scanning \"\r\nGroupBox1=\r\n"
      "[Menu_frmA]\r\nmiFile=&File\r\nmiEdit=&Edit\r\n[ResourceString]\r\n"
      "RES_Scanning_Files_And_Folders_HKEY_LOCAL_MACHINE=a\r\n"
      "RES_Scanning_Files_And_Folders_HKEY_CURRENT_USER=b\r\n"
      "RES_Scanning_Files_And_Folders_HKEY_USERS=c\r\n");
  EXPECT_EQ(FaultsAgainstEnglish(english, english), std::vector<std::string>{});
  const std::vector<Text> bad = file(
      "[frmA]\r\nbOK=&O&K\r\nbNo=&Nein\r\nlScan=Prüfe\r\nGroupBox1=x\r\nbExtra=y\r\n"
      "[Menu_frmA]\r\nmiFile=&Datei\r\nmiEdit=&Bearbeiten\r\n[ResourceString]\r\n"
      "RES_Scanning_Files_And_Folders_HKEY_LOCAL_MACHINE=a\r\n"
      "RES_Scanning_Files_And_Folders_HKEY_CURRENT_USER=a\r\n");
  EXPECT_EQ(FaultsAgainstEnglish(english, bad),
            (std::vector<std::string>{
                "[frmA] bOK=&O&K: 2 access keys where English has 1",
                "[frmA] lScan=Prüfe: blanks at its ends differ from English",
                "[frmA] GroupBox1=x: not empty", "[frmA] bExtra is not in the English file",
                "[ResourceString] RES_Scanning_Files_And_Folders_HKEY_USERS is missing",
                "the three Files and Folders captions are not distinct"}));
  const std::vector<Text> clashing = file(
      "[frmA]\r\nbOK=&OK\r\nbNo=N&o\r\n[Menu_frmA]\r\n"
      "miFile=&Datei\r\nmiEdit=&datei\r\nmiOther=&D\r\n");
  EXPECT_EQ(AccessKeyClashes(clashing,
                             AccessKeyGroups(clashing, MenuGroups("Menu_frmA bar: miFile miEdit\n"
                                                                  "Menu_frmA popup: miOther\n"))),
            (std::vector<std::string>{"Menu_frmA bar: D in miFile=&Datei and miEdit=&datei",
                                      "frmA: O in bOK=&OK and bNo=N&o"}));
}

#ifdef HS_SOURCE_ROOT
const std::filesystem::path kLanguageFolder = std::filesystem::path(HS_SOURCE_ROOT) / "lang";

std::map<std::string, std::vector<Text>> ShippedFiles() {
  std::map<std::string, std::vector<Text>> files;
  for (const auto& entry : std::filesystem::directory_iterator(kLanguageFolder)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("Lan_") && name.ends_with(".ini"))
      files[name.substr(4, name.size() - 8)] = TextsOf(ReadBytes(entry.path()));
  }
  return files;
}

TEST(ShippedTranslationFilesTest, EveryLanguageOfTheMenuShipsAFile) {
  std::set<std::string> menu;
  for (const LanguageItem& item : LanguageItems()) menu.insert(LanguageOfItem(item.component));
  std::set<std::string> shipped;
  for (const auto& [language, texts] : ShippedFiles()) shipped.insert(language);
  EXPECT_EQ(shipped, menu);
  EXPECT_EQ(shipped.size(), 33U);
}

TEST(ShippedTranslationFilesTest, EachFileHasTheKeysAndShapesOfTheEnglishTexts) {
  const std::map<std::string, std::vector<Text>> files = ShippedFiles();
  ASSERT_TRUE(files.count("English"));
  const std::vector<Text>& english = files.at("English");
  EXPECT_GT(english.size(), 200U);
  for (const auto& [language, texts] : files) {
    const std::vector<std::string> faults = FaultsAgainstEnglish(english, texts);
    EXPECT_TRUE(faults.empty()) << "Lan_" << language << ".ini:\n" << Lines(faults);
  }
}

TEST(ShippedTranslationFilesTest, NoTwoItemsOfAMenuOrDialogShareAnAccessKey) {
  const std::vector<Group> menus = MenuGroups(ReadBytes(kLanguageFolder / "menus.txt"));
  ASSERT_GE(menus.size(), 7U);
  std::set<std::string> grouped;
  for (const Group& menu : menus)
    for (const std::string& item : menu.keys) grouped.insert(menu.section + " " + item);
  for (const Text& text : ShippedFiles().at("English"))
    if (text.section.starts_with("Menu_")) {
      EXPECT_TRUE(grouped.count(text.section + " " + text.key)) << text.key << " is in no menu";
    }
  for (const auto& [language, texts] : ShippedFiles()) {
    // The English captions are the design's own texts, clashes and all
    // ("&Select All of Type" and "&Save to Text File..."); every translation
    // tells its items apart.
    if (language == "English") continue;
    const std::vector<Group> groups = AccessKeyGroups(texts, menus);
    const std::vector<std::string> clashes = AccessKeyClashes(texts, groups);
    EXPECT_TRUE(clashes.empty()) << "Lan_" << language << ".ini:\n" << Lines(clashes);
  }
}
#endif

}  // namespace
}  // namespace hs::ui

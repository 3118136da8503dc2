// The translation files shipped beside the program hold exactly the keys the
// program asks for: every text of every registered component of its real
// windows (created here under Wine and listed from their component
// registries) and every message key of the catalogue.
#include <windows.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ProgramWindows.h"
#include "common/Text.h"
#include "mainwindow/win32/RegMain.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "settings/ResourceStrings.h"
#include "translation/IniFile.h"
#include "translation/Translation.h"
#include "ui/AppContext.h"
#include "ui/LanguageMenu.h"
#include "widgets/ReadingOrder.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::test {
namespace {

using KeyTexts = std::map<std::string, std::string>;  // "[section] key" -> English text

std::string Slot(const std::string& section, const std::string& key) {
  return "[" + section + "] " + key;
}

void Add(KeyTexts& keys, const std::vector<ui::TranslationEntry>& entries) {
  for (const ui::TranslationEntry& entry : entries)
    keys.emplace(Slot(entry.key.section, entry.key.key), entry.text);
}

// The text of a shipped file, which must be UTF-16LE with its byte-order mark
// so that it reads the same whatever the system's ANSI code page; empty (with
// a failure) otherwise.
std::string TextOfShippedFile(const std::string& name, const std::string& bytes) {
  if (bytes.rfind("\xFF\xFE", 0) != 0 || bytes.size() % 2 != 0) {
    ADD_FAILURE() << name << " is not UTF-16LE with a byte-order mark";
    return {};
  }
  std::u16string text;
  for (std::size_t i = 2; i < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8 |
                                  static_cast<unsigned char>(bytes[i]));
  return Utf16ToUtf8(text);
}

// Text that was UTF-8 read as Windows-1252 somewhere on its way into the file
// ("Ã©" for "é"), or that could not be decoded at all.
bool LooksGarbled(const std::u16string& line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == u'\uFFFD') return true;
    const bool leadOfTwo = line[i] == u'\u00C2' || line[i] == u'\u00C3';
    const char16_t next = i + 1 < line.size() ? line[i + 1] : u' ';
    if (leadOfTwo && ((next >= 0x80 && next <= 0xBF) || (next >= 0x152 && next <= 0x2122)))
      return true;
  }
  return false;
}

// The keys of a file: "[section]" lines and "key=value" lines, as written.
// Every line must end in CR LF, as the other files beside the program do; the
// first line that breaks a rule is reported.
std::set<std::string> KeysOfFile(const std::string& name, const std::string& text) {
  std::set<std::string> keys;
  std::string section, badEnd, garbled;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    const bool endsInCrLf = end < text.size() && !line.empty() && line.back() == '\r';
    if (endsInCrLf) line.pop_back();
    if (badEnd.empty() && (!endsInCrLf || line.find('\r') != std::string::npos))
      badEnd = "\"" + line + "\"";
    if (garbled.empty() && LooksGarbled(Utf8ToUtf16(line))) garbled = line;
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) keys.insert(Slot(section, line.substr(0, equals)));
  }
  EXPECT_EQ(badEnd, "") << name << ": a line that does not end in CR LF";
  EXPECT_EQ(garbled, "") << name << ": a garbled line";
  return keys;
}

std::string TempPath() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  return win32::Narrow(buffer);
}

// The folder of this program, where the build puts the translation files.
std::string ProgramFolder() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::string path = win32::Narrow(buffer);
  return path.substr(0, path.rfind('\\') + 1);
}

// The windows of the program, each made as the program makes it (English,
// nothing translated) and listed.
void AddWindowKeys(KeyTexts& keys) {
  VisitProgramWindows(ProgramFolder(), "English", [&](const ui::ComponentRegistry& window) {
    Add(keys, ui::TranslationEntriesOf(window));
  });
}

// The languages shipped: those that must be, and any other file beside the
// program, so that a new translation is checked as soon as it is added.
std::set<std::string> ShippedLanguages(FileSystemBackend& fs, const std::string& folder) {
  std::set<std::string> languages{"English", "German", "French", "Spanish"};
  std::vector<DirEntry> entries;
  EXPECT_EQ(fs.listDirectory(folder, entries), FsStatus::Ok) << folder;
  for (const DirEntry& entry : entries) {
    const std::string& name = entry.name;
    if (!entry.isFolder && name.size() > 8 && StartsWithNoCase(name, "Lan_") &&
        EqualsNoCase(name.substr(name.size() - 4), ".ini"))
      languages.insert(name.substr(4, name.size() - 8));
  }
  return languages;
}

bool OfferedInLanguageMenu(FileSystemBackend& fs, const std::string& folder,
                           const std::string& language) {
  const ui::LanguageFiles files{fs, [&](const std::string& name) {
                                  return Translation(fs, folder, "English").FilePath(name);
                                }};
  const std::string component = "mi" + language;
  for (const ui::LanguageItem& item : ui::LanguageItems())
    if (item.component == component) return ui::LanguageItemVisible(component, files);
  return false;
}

// What the system's profile functions read for a key of the file at `path`.
std::string SystemProfileString(const std::string& path, const std::string& section,
                                const std::string& key) {
  std::wstring buffer(IniFile::kValueBufferChars, L'\0');
  ::GetPrivateProfileStringW(win32::Widen(section).c_str(), win32::Widen(key).c_str(), L"\x01",
                             buffer.data(), static_cast<DWORD>(buffer.size()),
                             win32::Widen(path).c_str());
  return win32::Narrow(buffer.c_str());
}

// Every key the program asks a translation file for, with its English text.
KeyTexts ProgramKeys() {
  KeyTexts keys;
  AddWindowKeys(keys);
  for (const ResourceString& message : ResourceStrings())
    keys.emplace(Slot("ResourceString", std::string(message.key)), std::string(message.english));
  keys.emplace(Slot(std::string(ui::kTranslationSection), std::string(ui::kReadingOrderKey)),
               std::string(ui::kLeftToRight));
  return keys;
}

std::string Listing(const std::vector<std::string>& slots, const KeyTexts& texts) {
  std::string listing;
  for (const std::string& slot : slots) {
    const auto text = texts.find(slot);
    listing += "  " + slot + (text != texts.end() ? "=" + text->second : "") + "\n";
  }
  return listing;
}

TEST(ShippedTranslationsTest, EachFileHoldsExactlyTheKeysTheProgramAsksFor) {
  const KeyTexts asked = ProgramKeys();
  for (const char* window :
       {"frmKeyscour", "frmRegProgressHint", "frmShowHint", "frmSystemPoint", "frmRepairWait",
        "frmOptions", "frmRegAddRegistry", "frmRestore", "frmBackupHint", "frmAbout"})
    EXPECT_TRUE(asked.count(Slot(window, window))) << window << " was not listed";
  win32::Win32FileSystem fs;
  const std::string folder = ProgramFolder();
  for (const std::string& language : ShippedLanguages(fs, folder)) {
    const std::string name = "Lan_" + language + ".ini";
    EXPECT_TRUE(OfferedInLanguageMenu(fs, folder, language)) << name;
    std::string bytes;
    ASSERT_EQ(fs.readFile(folder + name, bytes), FsStatus::Ok) << name;
    const std::set<std::string> shipped = KeysOfFile(name, TextOfShippedFile(name, bytes));
    std::vector<std::string> missing, unasked;
    for (const auto& [slot, text] : asked)
      if (!shipped.count(slot)) missing.push_back(slot);
    for (const std::string& slot : shipped)
      if (!asked.count(slot)) unasked.push_back(slot);
    EXPECT_TRUE(missing.empty()) << name << " lacks:\n" << Listing(missing, asked);
    EXPECT_TRUE(unasked.empty()) << name << " holds keys nobody asks for:\n"
                                 << Listing(unasked, {});
    // The program's reader finds every key, and reads it as the system does.
    const IniFile file = IniFile::FromBytes(bytes);
    for (const std::string& slot : shipped) {
      const std::size_t close = slot.find("] ");
      const std::string section = slot.substr(1, close - 1), key = slot.substr(close + 2);
      const std::string ours = file.ReadString(section, key, "\x01");
      EXPECT_NE(ours, "\x01") << name << " " << slot;
      EXPECT_EQ(ours, SystemProfileString(folder + name, section, key)) << name << " " << slot;
    }
  }
}

// lang/menus.txt as the program's menus give it: one line per menu, named by
// the item that opens it ("bar", "popup" for the others), its items in order.
std::string MenuTableOf(const ui::ComponentRegistry& window) {
  const HMENU bar = ::GetMenu(window.all().front().window);
  std::map<HMENU, std::string> openers;
  std::vector<HMENU> order;
  std::map<HMENU, std::vector<std::string>> items;
  for (const ui::Component& component : window.all()) {
    if (component.submenu) openers[component.submenu] = component.name;
    if (component.kind != ui::ComponentKind::MenuItem) continue;
    if (!items.count(component.menu)) order.push_back(component.menu);
    items[component.menu].push_back(component.name);
  }
  std::string table;
  for (const HMENU menu : order) {
    const std::string opener = menu == bar           ? "bar"
                               : openers.count(menu) ? openers[menu]
                                                     : std::string("popup");
    table += "Menu_" + window.windowName() + " " + opener + ":";
    for (const std::string& name : items[menu]) table += " " + name;
    table += "\n";
  }
  return table;
}

// The access-key check of the translation files groups menu items by
// lang/menus.txt; it must be the program's own menus.
TEST(ShippedTranslationsTest, TheTableOfMenusIsTheProgramsOwn) {
  win32::Win32FileSystem fs;
  MemoryRegistry registry;
  const std::string folder = TempPath();
  ui::AppContext context{fs, registry, folder, Settings::Defaults(folder), {}, {}};
  mainwindow::TfrmKeyscour main(context);
  ASSERT_TRUE(main.Create());
  std::string bytes;
  ASSERT_EQ(fs.readFile(ProgramFolder() + "menus.txt", bytes), FsStatus::Ok);
  std::string table;
  for (const std::string& line : Split(bytes, '\n'))
    if (!line.empty() && line.front() != ';') table += Trim(line) + "\n";
  EXPECT_EQ(table, MenuTableOf(main.components())) << "lang/menus.txt should read:\n"
                                                   << MenuTableOf(main.components());
}

// Switching back to English reads Lan_English.ini: it must give back the very
// texts the program was made with.
TEST(ShippedTranslationsTest, TheEnglishFileGivesBackTheBuiltInTexts) {
  win32::Win32FileSystem fs;
  std::string bytes;
  ASSERT_EQ(fs.readFile("Lan_English.ini", bytes), FsStatus::Ok);
  const IniFile english = IniFile::FromBytes(bytes);
  for (const auto& [slot, text] : ProgramKeys()) {
    const std::size_t close = slot.find("] ");
    EXPECT_EQ(english.ReadString(slot.substr(1, close - 1), slot.substr(close + 2), "\x01"), text)
        << slot;
  }
}

}  // namespace
}  // namespace hs::test

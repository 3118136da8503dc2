// The translation files shipped beside the program hold exactly the keys the
// program asks for: every text of every registered component of its real
// windows (created here under Wine and listed from their component
// registries) and every message key of the catalogue.
#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/Text.h"
#include "mainwindow/win32/AboutDialog.h"
#include "mainwindow/win32/RegMain.h"
#include "mainwindow/win32/RepairWaitDialog.h"
#include "mainwindow/win32/ShowHintDialog.h"
#include "mainwindow/win32/SystemPointDialog.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "regfile/RegFileImport.h"
#include "restore/win32/BackupHintDialog.h"
#include "restore/win32/RestoreDialog.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/IniFile.h"
#include "settings/ResourceStrings.h"
#include "settings/Translation.h"
#include "settings/win32/OptionsDialog.h"
#include "settings/win32/RegAddRegistryDialog.h"
#include "startup/win32/StartupManagerDialog.h"
#include "ui/AppContext.h"
#include "ui/win32/Dialog.h"
#include "ui/win32/GuiHandles.h"
#include "ui/win32/TranslateForm.h"

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

// The keys of a file: "[section]" lines and "key=value" lines, as written.
std::set<std::string> KeysOfFile(const std::string& bytes) {
  std::set<std::string> keys;
  std::string section;
  std::size_t start = bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) keys.insert(Slot(section, line.substr(0, equals)));
  }
  return keys;
}

// The dialog being listed by KeysOfModalDialog, and what it found.
std::vector<ui::TranslationEntry>* g_seen = nullptr;

// As a dialog of the toolkit has finished WM_INITDIALOG, its keys are listed
// and it is cancelled.
LRESULT CALLBACK ListDialogKeys(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && g_seen && g_seen->empty()) {
    if (ui::Dialog* dialog = ui::Dialog::FromWindow(call->hwnd)) {
      *g_seen = ui::TranslationEntriesOf(dialog->components());
      ::PostMessageW(call->hwnd, WM_COMMAND, IDCANCEL, 0);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs `open`, which shows a modal dialog of the toolkit, and lists its keys.
std::vector<ui::TranslationEntry> KeysOfModalDialog(const std::function<void()>& open) {
  std::vector<ui::TranslationEntry> entries;
  g_seen = &entries;
  const ui::UniqueHhook hook(
      ::SetWindowsHookExW(WH_CALLWNDPROCRET, ListDialogKeys, nullptr, ::GetCurrentThreadId()));
  open();
  g_seen = nullptr;
  return entries;
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  return win32::Narrow(buffer);
}

// Writes slowly, so that a repair lasts long enough to show its wait dialog.
class SlowWrites : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  FsStatus openForWrite(const std::string& path, bool append,
                        std::unique_ptr<FileWriter>& out) override {
    ::Sleep(2 * win32::kRepairWaitDialogDelayMs);
    return ForwardingFileSystem::openForWrite(path, append, out);
  }
};

// The windows of the program, each made as the program makes it (English,
// nothing translated yet) and listed.
void AddWindowKeys(KeyTexts& keys) {
  win32::Win32FileSystem fs;
  MemoryRegistry registry;
  const std::string folder = TempFolder();
  const Translation english(fs, folder, "English");

  ui::AppContext context{fs, registry, folder, Settings::Defaults(folder), {}, {}};
  {
    mainwindow::TfrmKeyscour main(context);
    ASSERT_TRUE(main.Create());
    Add(keys, ui::TranslationEntriesOf(main.components()));
  }

  ScanDialogInput scan;
  scan.registry = std::make_shared<MemoryRegistry>();
  scan.files = std::make_shared<win32::Win32FileSystem>();
  scan.taskList = {"1"};
  std::vector<Finding> rows;
  Add(keys, KeysOfModalDialog([&] { RunScanDialog(nullptr, scan, rows, [] {}); }));

  Add(keys, KeysOfModalDialog([&] {
        win32::StartupManagerDialog(nullptr, {registry, fs, english, "English", folder, 10});
      }));

  Add(keys, KeysOfModalDialog([&] {
        win32::ShowHintDialog(nullptr, {1, fs, english, "English", true});
      }));

  win32::WindowQuestions noQuestions;
  noQuestions.askYesNo = [](HWND, const std::string&, bool) { return false; };
  Add(keys, KeysOfModalDialog([&] {
        win32::SystemPointDialog(nullptr, {fs, english, "English", std::nullopt, noQuestions, [] {
                                             return RestorePointCall{true, true, true, 0, 1};
                                           }});
      }));

  const Settings defaults = Settings::Defaults(folder);
  Add(keys, KeysOfModalDialog([&] {
        win32::OptionsDialog(nullptr, {fs, english, "English", defaults});
      }));
  Add(keys, KeysOfModalDialog([&] {
        win32::RegAddRegistryDialog(nullptr, {fs, english, "English", ""});
      }));

  RegFileError error;
  ASSERT_TRUE(ImportRegText(registry,
                            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\HivesweepKeysProbe]"
                            "\r\n\"a\"=\"b\"\r\n",
                            error));
  std::vector<Finding> repairRows{{"probe", "HKEY_CURRENT_USER\\Software\\HivesweepKeysProbe", "",
                                   FindingKind::fkKey, true, 4}};
  SlowWrites slow(fs);
  Add(keys, KeysOfModalDialog([&] {
        win32::RepairOffWindowThread(nullptr, registry, slow, folder, repairRows);
      }));

  win32::RestoreDialogCalls calls = win32::RestoreDialogCalls::System(fs, english, "English");
  calls.tell = [](HWND, const std::string&, bool) {};
  Add(keys, KeysOfModalDialog([&] {
        win32::RestoreDialog(
            nullptr, {fs, registry, english, "English", folder + "NoSuchFolder", false, calls});
      }));
  // An export of a key that does not exist: the editor ends at once.
  Add(keys, KeysOfModalDialog([&] {
        win32::RunRegistryEditor(
            nullptr,
            "Regedit /e \"" + folder + "HivesweepKeysProbe.reg\" HKEY_CURRENT_USER\\NoSuchKeyProbe",
            "probe", {fs, english, "English"});
      }));
  Add(keys, KeysOfModalDialog([&] {
        mainwindow::AboutDialog(nullptr, {fs, english, "English", folder, nullptr});
      }));
}

// Every key the program asks a translation file for, with its English text.
KeyTexts ProgramKeys() {
  KeyTexts keys;
  AddWindowKeys(keys);
  for (const ResourceString& message : ResourceStrings())
    keys.emplace(Slot("ResourceString", std::string(message.key)), std::string(message.english));
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
  for (const char* language : {"English", "German"}) {
    std::string bytes;
    ASSERT_EQ(fs.readFile(std::string("Lan_") + language + ".ini", bytes), FsStatus::Ok)
        << language;
    const std::set<std::string> shipped = KeysOfFile(bytes);
    std::vector<std::string> missing, unasked;
    for (const auto& [slot, text] : asked)
      if (!shipped.count(slot)) missing.push_back(slot);
    for (const std::string& slot : shipped)
      if (!asked.count(slot)) unasked.push_back(slot);
    EXPECT_TRUE(missing.empty()) << "Lan_" << language << ".ini lacks:\n"
                                 << Listing(missing, asked);
    EXPECT_TRUE(unasked.empty()) << "Lan_" << language << ".ini holds keys nobody asks for:\n"
                                 << Listing(unasked, {});
  }
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

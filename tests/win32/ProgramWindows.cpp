#include "ProgramWindows.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "mainwindow/win32/AboutDialog.h"
#include "mainwindow/win32/EvidenceDialog.h"
#include "mainwindow/win32/RegMain.h"
#include "mainwindow/win32/RepairWaitDialog.h"
#include "mainwindow/win32/ShowHintDialog.h"
#include "mainwindow/win32/SystemPointDialog.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "regfile/RegFileImport.h"
#include "restore/win32/BackupHintDialog.h"
#include "restore/win32/RestoreDialog.h"
#include "restore/win32/RestoreItemsDialog.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/win32/OptionsDialog.h"
#include "settings/win32/RegAddRegistryDialog.h"
#include "startup/win32/StartupManagerDialog.h"
#include "translation/Translation.h"
#include "ui/AppContext.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/GuiHandles.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::test {
namespace {

// The dialog being looked at, in the language it should show.
struct DialogVisit {
  FileSystemBackend& fs;
  const Translation& texts;
  const std::string& language;
  const WindowVisit& visit;
  HANDLE seen = nullptr;  // set once the dialog has been looked at, if given
  bool done = false;
};
DialogVisit* g_visit = nullptr;

// As a dialog of the toolkit has finished WM_INITDIALOG it is relabelled
// (a dialog the program never relabels, such as the repair's wait, shows what
// a translation would make of it), handed to the test and cancelled.
LRESULT CALLBACK VisitDialog(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && g_visit && !g_visit->done) {
    if (ui::Dialog* dialog = ui::Dialog::FromWindow(call->hwnd)) {
      g_visit->done = true;
      ui::TranslateFormUnlessEnglish(dialog->components(), g_visit->fs, g_visit->texts,
                                     g_visit->language);
      g_visit->visit(dialog->components());
      if (g_visit->seen) ::SetEvent(g_visit->seen);
      ::PostMessageW(call->hwnd, WM_COMMAND, IDCANCEL, 0);
    }
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Runs `open`, which shows a modal dialog of the toolkit, and visits it.
void VisitModalDialog(DialogVisit visit, const std::function<void()>& open) {
  g_visit = &visit;
  const ui::UniqueHhook hook(
      ::SetWindowsHookExW(WH_CALLWNDPROCRET, VisitDialog, nullptr, ::GetCurrentThreadId()));
  open();
  g_visit = nullptr;
  EXPECT_TRUE(visit.done) << "a dialog did not open";
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, buffer);
  return win32::Narrow(buffer);
}

// Holds a repair's writes until its wait dialog has been looked at.
class WritesAfterDialog : public ForwardingFileSystem {
 public:
  WritesAfterDialog(FileSystemBackend& inner, HANDLE dialogSeen)
      : ForwardingFileSystem(inner), m_dialogSeen(dialogSeen) {}
  FsStatus openForWrite(const std::string& path, bool append,
                        std::unique_ptr<FileWriter>& out) override {
    constexpr DWORD kAtMostMs = 10000;
    ::WaitForSingleObject(m_dialogSeen, kAtMostMs);
    return ForwardingFileSystem::openForWrite(path, append, out);
  }

 private:
  HANDLE m_dialogSeen;
};

// The main window as made keeps its settings in a folder of its own (it may
// write there); its texts come from the program's folder.
void VisitMainWindowAsMade(FileSystemBackend& fs, const Translation& texts,
                           const std::string& language, const WindowVisit& visit) {
  MemoryRegistry registry;
  const std::string folder = TempFolder();
  ui::AppContext context{fs, registry, folder, Settings::Defaults(folder), {}, {}};
  mainwindow::TfrmKeyscour main(context);
  ASSERT_TRUE(main.Create());
  ui::TranslateFormUnlessEnglish(main.components(), fs, texts, language);
  visit(main.components());
}

// The main window as shown lives in the program's folder, as at a start with
// `language` chosen; it is never closed, so it writes no settings there.
void VisitMainWindowAsShown(FileSystemBackend& fs, const std::string& programFolder,
                            const std::string& language, const WindowVisit& visit) {
  MemoryRegistry registry;
  ui::AppContext context{fs, registry, programFolder, Settings::Defaults(programFolder), {}, {}};
  mainwindow::TfrmKeyscour main(context);
  ASSERT_TRUE(main.Create());
  context.settings.Lan = language;
  ::ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
  visit(main.components());
}

void VisitScanDialog(DialogVisit visit, const Translation& texts) {
  ScanDialogInput scan;
  scan.registry = std::make_shared<MemoryRegistry>();
  scan.files = std::make_shared<win32::Win32FileSystem>();
  scan.taskList = {"1"};
  scan.settings.Texts = texts;
  std::vector<Finding> rows;
  VisitModalDialog(visit, [&] { RunScanDialog(nullptr, scan, rows, [] {}); });
}

void VisitRepairWaitDialog(DialogVisit visit, FileSystemBackend& fs) {
  MemoryRegistry registry;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(registry,
                            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\HivesweepKeysProbe]"
                            "\r\n\"a\"=\"b\"\r\n",
                            error));
  std::vector<Finding> rows{{"probe", "HKEY_CURRENT_USER\\Software\\HivesweepKeysProbe", "",
                             FindingKind::fkKey, true, 4}};
  const win32::UniqueHandle seen(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  visit.seen = seen.get();
  WritesAfterDialog held(fs, seen.get());
  VisitModalDialog(
      visit, [&] { win32::RepairOffWindowThread(nullptr, registry, held, TempFolder(), rows); });
}

void VisitRestoreDialogs(DialogVisit visit, FileSystemBackend& fs, const Translation& texts,
                         const std::string& language) {
  const std::string folder = TempFolder();
  MemoryRegistry registry;
  win32::RestoreDialogCalls calls = win32::RestoreDialogCalls::System(fs, texts, language);
  calls.tell = [](HWND, const std::string&, bool) {};
  VisitModalDialog(visit, [&] {
    win32::RestoreDialog(nullptr,
                         {fs, registry, texts, language, folder + "NoSuchFolder", false, calls});
  });
  VisitModalDialog(visit, [&] {
    win32::RestoreItemsDialog(nullptr,
                              {fs, registry, texts, language, {}, {}, calls.tell, calls.runEditor});
  });
  // An export of a key that does not exist: the editor ends at once.
  VisitModalDialog(visit, [&] {
    win32::RunRegistryEditor(
        nullptr,
        "Regedit /e \"" + folder + "HivesweepKeysProbe.reg\" HKEY_CURRENT_USER\\NoSuchKeyProbe",
        "probe", {fs, texts, language});
  });
}

}  // namespace

void VisitProgramWindows(const std::string& programFolder, const std::string& language,
                         const WindowVisit& visit, MainWindowAs main) {
  win32::Win32FileSystem fs;
  const Translation texts(fs, programFolder, language);
  const DialogVisit dialog{fs, texts, language, visit};
  const std::string folder = TempFolder();
  MemoryRegistry registry;

  if (main == MainWindowAs::Shown)
    VisitMainWindowAsShown(fs, programFolder, language, visit);
  else
    VisitMainWindowAsMade(fs, texts, language, visit);
  VisitScanDialog(dialog, texts);
  VisitModalDialog(dialog, [&] {
    win32::StartupManagerDialog(nullptr, {registry, fs, texts, language, folder, 10});
  });
  VisitModalDialog(dialog, [&] { win32::ShowHintDialog(nullptr, {1, fs, texts, language, true}); });
  win32::WindowQuestions noQuestions;
  noQuestions.askYesNo = [](HWND, const std::string&, bool) { return false; };
  VisitModalDialog(dialog, [&] {
    win32::SystemPointDialog(nullptr, {fs, texts, language, std::nullopt, noQuestions, [] {
                                         return RestorePointCall{true, true, true, 0, 1};
                                       }});
  });
  const Settings defaults = Settings::Defaults(folder);
  VisitModalDialog(dialog, [&] { win32::OptionsDialog(nullptr, {fs, texts, language, defaults}); });
  VisitModalDialog(dialog, [&] {
    win32::RegAddRegistryDialog(nullptr, {fs, texts, language, ""});
  });
  VisitRepairWaitDialog(dialog, fs);
  VisitRestoreDialogs(dialog, fs, texts, language);
  VisitModalDialog(dialog, [&] {
    mainwindow::AboutDialog(nullptr, {fs, texts, language, folder, nullptr});
  });
  Finding row{"Missing Startup Programs", "HKEY_CURRENT_USER\\Run\\Tool", "\"C:\\A\\t.exe\" /x",
              FindingKind::fkValueInPath};
  row.Evidence = FindingEvidence(EvidenceRule::StartupCommand, EvidenceAnswer::MissingFolder,
                                 "C:\\A\\t.exe", "C:\\A\\");
  const EvidenceTexts words(texts);
  VisitModalDialog(dialog, [&] {
    win32::EvidenceDialog(nullptr, {row, words, fs, texts, language, {}});
  });
}

}  // namespace hs::test

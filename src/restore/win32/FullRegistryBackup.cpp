#include "restore/win32/FullRegistryBackup.h"

#include <commdlg.h>

#include <vector>

#include "platform/win32/WideText.h"
#include "restore/FullBackup.h"
#include "restore/win32/BackupHintDialog.h"

namespace hs::win32 {

namespace {

constexpr const wchar_t* kBackupTitle = L"Corvane Hivesweep";

std::optional<std::string> ChooseFile(HWND owner, const std::string& title) {
  std::vector<wchar_t> name(32768, L'\0');  // long enough for any path the system accepts
  const std::wstring wideTitle = Widen(title);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Registry backup files (*.reg)\0*.REG\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = wideTitle.c_str();
  // The overwrite question is the program's own, asked after ".reg" is added.
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
  return Narrow(name.data());
}

bool AskBackupQuestion(HWND owner, const std::string& text) {
  return ::MessageBoxW(owner, Widen(text).c_str(), kBackupTitle,
                       MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) == IDYES;
}

void TellBackupError(HWND owner, const std::string& text) {
  ::MessageBoxW(owner, Widen(text).c_str(), kBackupTitle, MB_OK | MB_ICONERROR);
}

// Why the export is not a usable backup; "" when it is. An editor that
// could not start has shown its own message.
std::string ExportFailure(FileSystemBackend& fs, const std::string& path, EditorRun run,
                          const FileStamp& before) {
  switch (run) {
    case EditorRun::NotStarted:
      return {};
    case EditorRun::Stopped:
      return "The registry editor was stopped; " + path + " is not a complete backup.";
    case EditorRun::StopUnconfirmed:
    case EditorRun::Abandoned:
      return "The wait for the registry editor was given up while it still wrote " + path +
             "; the backup is not confirmed.";
    case EditorRun::Ended:
      break;
  }
  return CheckFullBackupFile(fs, path, before);
}

}  // namespace

FullBackupCalls FullBackupCalls::System(FileSystemBackend& fs, const Translation& translation,
                                        const std::string& language) {
  FullBackupCalls calls{ChooseFile, AskBackupQuestion, TellBackupError, nullptr};
  calls.runEditor = [&fs, &translation, language](HWND owner, const std::string& commandLine,
                                                  const std::string& hint) {
    return RunRegistryEditor(owner, commandLine, hint, {fs, translation, language}).run;
  };
  return calls;
}

FullBackupResult BackupFullRegistry(HWND owner, const FullBackupInput& input) {
  FullBackupResult result;
  const Translation& texts = input.translation;
  const std::optional<std::string> chosen = input.calls.chooseFile(
      owner, texts.GetLanString("RES_SaveDialog_BackupFullRegistry", "Save full registry"));
  if (!chosen) return result;
  result.path = FullBackupFileName(*chosen);
  // The editor overwrites an existing file itself; it is not deleted first.
  if (input.fs.probe(result.path) != PathProbe::NotFound &&
      !input.calls.askYesNo(
          owner,
          result.path + " " + texts.GetLanString("RES_File_Exist", "has existed,overite it?"))) {
    result.end = FullBackupEnd::NotReplaced;
    return result;
  }
  const FileStamp before = StampOf(input.fs, result.path);
  const EditorRun run =
      input.calls.runEditor(owner, ExportCommandLine(result.path),
                            texts.GetLanString("RES_Backup_Registry", "Backup registry..."));
  result.error = ExportFailure(input.fs, result.path, run, before);
  result.end = run == EditorRun::Ended && result.error.empty() ? FullBackupEnd::Written
                                                               : FullBackupEnd::Failed;
  if (!result.error.empty())
    input.calls.tellError(owner, "The full registry backup failed.\r\n\r\n" + result.error);
  return result;
}

}  // namespace hs::win32

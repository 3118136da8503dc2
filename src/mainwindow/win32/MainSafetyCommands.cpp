// TfrmKeyscour: the restore dialog, the full registry backup, the system's
// backup tool, the help pages and the About box, one handler each.
#include <windows.h>

#include "mainwindow/win32/AboutDialog.h"
#include "mainwindow/win32/ExternalLinks.h"
#include "mainwindow/win32/RegMain.h"
#include "platform/win32/WideText.h"
#include "restore/win32/FullRegistryBackup.h"
#include "restore/win32/RestoreDialog.h"
#include "ui/ExternalLinks.h"

namespace hs::mainwindow {

using win32::Widen;

void TfrmKeyscour::onRestoreRegistry() {
  const Translation texts = m_context.texts();
  const Settings& settings = m_context.settings;
  const win32::RestoreDialogInput input{
      m_context.fs,
      m_context.registry,
      texts,
      settings.Lan,
      settings.OutputDirectory,
      settings.DeleteBackupFile,
      win32::RestoreDialogCalls::System(m_context.fs, texts, settings.Lan)};
  win32::RestoreDialog(hwnd(), input);
}

void TfrmKeyscour::onBackupFullRegistry() {
  const Translation texts = m_context.texts();
  const win32::FullBackupInput input{
      m_context.fs, texts,
      win32::FullBackupCalls::System(m_context.fs, texts, m_context.settings.Lan)};
  win32::BackupFullRegistry(hwnd(), input);
}

void TfrmKeyscour::onWindowsBackup() {
  StartWindowsBackup(
      hwnd(), m_context.fs, m_context.facts.wow64, [](HWND owner, const std::string& text) {
        ::MessageBoxW(owner, Widen(text).c_str(), L"Corvane Hivesweep", MB_OK | MB_ICONINFORMATION);
      });
}

void TfrmKeyscour::onOnlineHelp() {
  OpenAddress(hwnd(), ui::OnlineHelpAddress(m_context.settings.Lan));
}

void TfrmKeyscour::onHomePage() {
  OpenAddress(hwnd(), ui::kHomePageAddress);
}

void TfrmKeyscour::onAbout() {
  const Translation texts = m_context.texts();
  AboutDialog(hwnd(),
              {m_context.fs, texts, m_context.settings.Lan, m_context.programFolder, OpenAddress});
}

}  // namespace hs::mainwindow

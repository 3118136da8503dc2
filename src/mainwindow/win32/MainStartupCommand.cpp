// TfrmKeyscour: "Startup Manager..." (Ctrl+M) on the window's own machine.
#include "mainwindow/win32/RegMain.h"
#include "startup/win32/StartupManagerDialog.h"

namespace hs::mainwindow {

void TfrmKeyscour::onStartupManager() {
  const Translation texts = m_context.texts();
  win32::StartupManagerInput input{m_context.registry,
                                   m_context.fs,
                                   texts,
                                   m_context.settings.Lan,
                                   m_context.settings.OutputDirectory,
                                   m_context.facts.WindowsVersionCode(),
                                   m_context.facts.wow64};
  win32::StartupManagerDialog(hwnd(), input);
}

}  // namespace hs::mainwindow

#include "restore/win32/RegistryEditorProcess.h"

#include <windows.h>

#include <vector>

#include "platform/win32/WideText.h"

namespace hs::win32 {

std::wstring RegistryEditorPath() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = ::GetWindowsDirectoryW(folder, MAX_PATH);
  if (length == 0 || length > MAX_PATH) return {};
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  return path + L"regedit.exe";
}

bool RegistryEditorProcess::Start(const std::string& commandLine) {
  const std::wstring application = RegistryEditorPath();
  if (application.empty()) return false;
  std::wstring command = Widen(commandLine);
  std::vector<wchar_t> mutableCommand(command.begin(), command.end());
  mutableCommand.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  const BOOL started =
      ::CreateProcessW(application.c_str(), mutableCommand.data(), nullptr, nullptr, TRUE,
                       NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &info);
  if (!started) return false;
  UniqueHandle thread(info.hThread);
  m_process.reset(info.hProcess);
  m_processId = info.dwProcessId;
  return true;
}

bool RegistryEditorProcess::HasEnded() const {
  return !m_process || ::WaitForSingleObject(m_process.get(), 0) == WAIT_OBJECT_0;
}

void RegistryEditorProcess::WaitUntilEnded() const {
  if (m_process) ::WaitForSingleObject(m_process.get(), INFINITE);
}

bool RegistryEditorProcess::Stop(unsigned long waitMs) {
  if (!m_process) return true;
  // Termination is asynchronous: the process may still be reading until it exits.
  ::TerminateProcess(m_process.get(), 0);
  return ::WaitForSingleObject(m_process.get(), waitMs) == WAIT_OBJECT_0;
}

EditorRun Win32RegistryEditor::run(const std::string& commandLine) {
  RegistryEditorProcess process;
  if (!process.Start(commandLine)) return EditorRun::NotStarted;
  process.WaitUntilEnded();
  return EditorRun::Ended;
}

}  // namespace hs::win32

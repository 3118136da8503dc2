#include "mainwindow/win32/WindowQuestions.h"

#include <commdlg.h>

#include <vector>

#include "mainwindow/win32/ExternalLinks.h"
#include "platform/win32/WideText.h"

namespace hs::win32 {

namespace {

constexpr const wchar_t* kTitle = L"Corvane Hivesweep";

bool AskYesNo(HWND owner, const std::string& text, bool defaultNo) {
  const UINT flags = MB_YESNO | MB_ICONINFORMATION | (defaultNo ? MB_DEFBUTTON2 : MB_DEFBUTTON1);
  return ::MessageBoxW(owner, Widen(text).c_str(), kTitle, flags) == IDYES;
}

std::optional<std::string> ChooseReportFile(HWND owner) {
  // Long enough for any path the system accepts.
  std::vector<wchar_t> name(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Text files (*.txt)\0*.txt\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = L"Save as Text File";
  // The overwrite question is the program's own, asked after ".txt" is added.
  dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetSaveFileNameW(&dialog)) return std::nullopt;
  return Narrow(name.data());
}

void TellError(HWND owner, const std::string& text) {
  ::MessageBoxW(owner, Widen(text).c_str(), kTitle, MB_OK | MB_ICONERROR);
}

}  // namespace

WindowQuestions WindowQuestions::System() {
  return {AskYesNo, ChooseReportFile, TellError, mainwindow::OpenAddress};
}

}  // namespace hs::win32

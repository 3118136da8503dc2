#pragma once
// The questions the repair and the list commands put to the user, and the
// web pages the window opens, as replaceable calls: the defaults show the
// system's message boxes and save dialog and open pages through the shell;
// tests answer them directly.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace hs::win32 {

struct WindowQuestions {
  // A Yes/No question with the information icon, captioned with the
  // program's title; `defaultNo` makes No the default button. True for Yes.
  std::function<bool(HWND owner, const std::string& text, bool defaultNo)> askYesNo;
  // The save dialog of "Save to Text File"; nothing when cancelled.
  std::function<std::optional<std::string>(HWND owner)> chooseReportFile;
  // A failure the user must know about (an error icon, one OK button).
  std::function<void(HWND owner, const std::string& text)> tellError;
  // Opens a web page (unset: nothing is opened).
  std::function<void(HWND owner, const std::string& address)> openAddress;

  // The system's message boxes and common save dialog.
  static WindowQuestions System();
};

}  // namespace hs::win32

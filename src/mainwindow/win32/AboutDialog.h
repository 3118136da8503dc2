#pragma once
// TfrmAbout: the program's title, version and maker, its picture (compiled
// into the program, shown at its box's size for the dialog's DPI), and the
// web address, which opens the product page.
#include <windows.h>

#include <functional>
#include <string>

#include "platform/FileSystemBackend.h"
#include "translation/Translation.h"

namespace hs::mainwindow {

// Control ids, for tests that read the dialog through messages.
inline constexpr int kAboutTitle = 1301;
inline constexpr int kAboutVersion = 1302;
inline constexpr int kAboutWebAddress = 1304;
inline constexpr int kAboutPicture = 1305;
inline constexpr int kAboutOk = IDOK;

struct AboutInput {
  FileSystemBackend& fs;  // reads the translation file
  const Translation& translation;
  std::string language;       // relabelled from its translation file unless English
  std::string programFolder;  // with its trailing backslash
  // Opens a web address (the shell's "Open" verb by default).
  std::function<void(HWND owner, const std::string& address)> openAddress;
};

void AboutDialog(HWND owner, const AboutInput& input);

}  // namespace hs::mainwindow

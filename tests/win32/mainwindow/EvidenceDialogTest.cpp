// The Details dialog under Wine: the fields show the row's evidence, and
// Copy hands over the whole of it with the dialog's own headings.
#include <windows.h>
#include <gtest/gtest.h>

#include "mainwindow/win32/EvidenceDialog.h"
#include "platform/memory/MemoryFileSystem.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

TEST(EvidenceDialogTest, ShowsTheEvidenceAndCopiesItWhole) {
  Finding row{"Missing Startup Programs", "HKEY_CURRENT_USER\\Run\\Tool",
              "\"%ProgramFiles%\\App\\app.exe\" /min", FindingKind::fkValueInPath};
  row.Evidence = FindingEvidence(EvidenceRule::StartupCommand, EvidenceAnswer::MissingFile,
                                 "%ProgramFiles%\\App\\app.exe", "C:\\Program Files\\App\\app.exe");
  MemoryFileSystem fs;
  const Translation english;
  const EvidenceTexts words;
  std::wstring copied;
  std::vector<std::string> shown;
  test::DialogDriver driver(win32::kEvidenceCopy, [&](HWND dialog) {
    for (const int id : {win32::kEvidenceCheck, win32::kEvidenceTested, win32::kEvidencePath,
                         win32::kEvidenceAnswer})
      shown.push_back(test::DialogItemText(dialog, id));
    test::Click(dialog, win32::kEvidenceCopy);
    test::Click(dialog, win32::kEvidenceClose);
  });
  win32::EvidenceDialog(nullptr,
                        {row, words, fs, english, "English", [&](HWND, const std::wstring& text) {
                           copied = text;
                           return true;
                         }});
  ASSERT_TRUE(driver.Acted());
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "Startup Programs: the program this value starts does not exist",
                       "%ProgramFiles%\\App\\app.exe", "C:\\Program Files\\App\\app.exe",
                       "the file is not there"}));
  EXPECT_EQ(copied,
            L"Missing Startup Programs\r\nHKEY_CURRENT_USER\\Run\\Tool\r\n"
            L"\"%ProgramFiles%\\App\\app.exe\" /min\r\n\r\n"
            L"Check: Startup Programs: the program this value starts does not exist\r\n"
            L"Text tested: %ProgramFiles%\\App\\app.exe\r\n"
            L"Path asked: C:\\Program Files\\App\\app.exe\r\nAnswer: the file is not there\r\n");
}

}  // namespace
}  // namespace hs

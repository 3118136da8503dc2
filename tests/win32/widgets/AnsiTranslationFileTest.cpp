// A translation file a user saved as "ANSI" on a Cyrillic system (code page
// 1251, no byte-order mark) shows its captions and messages as the system's
// profile functions read them. tests/win32/ansi_code_page_1251.sh runs it
// with Wine in that code page; elsewhere it skips.
#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "translation/Translation.h"
#include "widgets/win32/TranslateForm.h"
#include "win32/widgets/EveryKindWindow.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

const std::wstring kWindowCaption = L"\u041F\u0440\u043E\u0432\u0435\u0440\u043A\u0430";
const std::wstring kButtonCaption =
    L"\u0421\u043A\u0430\u043D\u0438\u0440\u043E\u0432\u0430\u0442\u044C";
const std::wstring kMessage = L"\u0410\u0432\u0442\u043E\u0437\u0430\u043F\u0443\u0441\u043A";

// The bytes Notepad saves as "ANSI": the text in the machine's code page.
std::string InAnsiCodePage(const std::wstring& text) {
  std::string bytes(text.size() * 2, '\0');
  const int size =
      ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                            static_cast<int>(bytes.size()), nullptr, nullptr);
  bytes.resize(static_cast<std::size_t>(size));
  return bytes;
}

std::wstring SystemProfileString(const std::wstring& path, const wchar_t* section,
                                 const wchar_t* key) {
  wchar_t buffer[256] = {};
  ::GetPrivateProfileStringW(section, key, L"", buffer, 256, path.c_str());
  return buffer;
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[256] = {};
  ::GetWindowTextW(window, buffer, 256);
  return buffer;
}

TEST(AnsiCodePageTranslation, ARussianFileSavedAsAnsiShowsItsCaptionsAndMessages) {
  if (::GetACP() != 1251) GTEST_SKIP() << "ANSI code page " << ::GetACP();
  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"HivesweepAnsiLanguage\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"Lan_Russian.ini";
  win32::Win32FileSystem fs;
  {
    std::unique_ptr<FileWriter> file;
    ASSERT_EQ(fs.openForWrite(win32::Narrow(path), false, file), FsStatus::Ok);
    ASSERT_EQ(
        file->write("[frmTest]\r\nfrmTest=" + InAnsiCodePage(kWindowCaption) +
                    "\r\nbScan=" + InAnsiCodePage(kButtonCaption) +
                    "\r\n[ResourceString]\r\nRES_Startup=" + InAnsiCodePage(kMessage) + "\r\n"),
        FsStatus::Ok);
  }
  // The oracle: what the system reads from that file.
  ASSERT_EQ(SystemProfileString(path, L"frmTest", L"bScan"), kButtonCaption);
  ASSERT_EQ(SystemProfileString(path, L"ResourceString", L"RES_Startup"), kMessage);

  EveryKindWindow window;
  ASSERT_TRUE(window.open());
  const Translation russian(fs, win32::Narrow(folder), "Russian");
  ui::TranslateForm(window.components(), fs, russian, "Russian");
  EXPECT_EQ(WindowText(FindControl(window.components(), "bScan")), kButtonCaption);
  EXPECT_EQ(WindowText(FindControl(window.components(), "frmTest")), kWindowCaption);
  EXPECT_EQ(russian.GetLanString("RES_Startup", "Startup"), win32::Narrow(kMessage));

  ::DeleteFileW(path.c_str());
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace hs::test

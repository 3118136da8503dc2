// The Language menu in a real menu under Wine: built in table order, narrowed
// to the present languages when it opens, and checked for the chosen one.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "ui/win32/LanguageMenu.h"
#include "win32/BesideTestProgram.h"
#include "win32/widgets/EveryKindWindow.h"
#include "win32/widgets/GuiTestSupport.h"

namespace hs::test {
namespace {

constexpr UINT kFirstId = 500;

std::vector<std::wstring> ShownCaptions(HMENU menu) {
  std::vector<std::wstring> captions;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    wchar_t buffer[64] = {};
    ::GetMenuStringW(menu, static_cast<UINT>(i), buffer, 64, MF_BYPOSITION);
    captions.push_back(
        ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? L"-" : buffer);
  }
  return captions;
}

class LanguageMenuOnWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::ComponentRegistry& registry = window;
    registry.add(ui::ControlComponent("frmTest", ui::ComponentKind::Window, nullptr));
    ui::MenuBuilder menus(registry);
    menu = popup.get();
    languages = std::make_unique<ui::LanguageMenu>(menus, menu, kFirstId);
  }
  ui::ComponentRegistry window;
  ui::UniqueHmenu popup = ui::CreatePopupMenuHandle();
  HMENU menu = nullptr;
  std::unique_ptr<ui::LanguageMenu> languages;
  MemoryFileSystem fs;
  ui::LanguageFiles files{
      fs, [](const std::string& language) { return "C:\\Prog\\Lan_" + language + ".ini"; }};
};

TEST_F(LanguageMenuOnWineTest, OpeningShowsThePresentLanguagesInTableOrder) {
  const std::vector<std::wstring> all = ShownCaptions(menu);
  ASSERT_EQ(all.size(), 35U);  // 33 languages, the separator, "&Other"; Language1 hidden
  EXPECT_EQ(all.front(), L"&Afrikaans");
  EXPECT_EQ(all[32], L"&Turkish");
  EXPECT_EQ(all[33], L"-");
  EXPECT_EQ(all[34], L"&Other");

  fs.addFile("C:\\Prog\\Lan_German.ini");
  fs.addFile("C:\\Prog\\Lan_English.ini");
  languages->onOpening(window, files);
  EXPECT_EQ(ShownCaptions(menu), (std::vector<std::wstring>{L"&English", L"&German"}));

  fs.addFile("C:\\Prog\\Lan_Other.ini");
  fs.addFile("C:\\Prog\\Lan_Afrikaans.ini");
  fs.remove("C:\\Prog\\Lan_English.ini");
  languages->onOpening(window, files);
  EXPECT_EQ(ShownCaptions(menu),
            (std::vector<std::wstring>{L"&Afrikaans", L"&German", L"-", L"&Other"}));
}

// With the translation files the build puts beside the program, the menu
// offers every language of its table.
TEST_F(LanguageMenuOnWineTest, TheShippedFilesOfferEveryLanguage) {
  win32::Win32FileSystem disk;
  const std::string folder = win32::Narrow(BesideTestProgram(L""));
  const ui::LanguageFiles shipped{
      disk, [&](const std::string& language) { return folder + "Lan_" + language + ".ini"; }};
  languages->onOpening(window, shipped);
  const std::vector<std::wstring> shown = ShownCaptions(menu);
  EXPECT_EQ(shown.size(), 33U);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), L"-"), 0);
}

// The message box of a missing language, read and answered from outside as
// a user would: its text is remembered, then OK is pressed.
std::wstring g_messageText;
void CALLBACK AnswerMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  const HWND box = ::FindWindowW(L"#32770", L"Corvane Hivesweep");
  if (!box) return;
  ::KillTimer(nullptr, timer);
  wchar_t text[512] = {};
  ::GetDlgItemTextW(box, 0xFFFF, text, 512);  // the message box's text control
  g_messageText = text;
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(LanguageSwitchOnWineTest, AChosenLanguageRelabelsTheWindowAndAMissingOneIsReported) {
  EveryKindWindow window;
  ASSERT_TRUE(window.open());
  ui::MenuBuilder menus(window.components());
  const HMENU languageMenu = menus.addPopup(::GetMenu(window.hwnd()), "miLanguage", L"Language", 0);
  const ui::LanguageMenu languages(menus, languageMenu, kFirstId);

  wchar_t temp[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, temp);
  win32::Win32FileSystem fs;
  MemoryRegistry registry;
  ui::AppContext context{fs, registry, win32::Narrow(temp), Settings::Defaults(""), {}, {}};
  const std::string german = context.texts().FilePath("German");
  fs.deleteSilently(context.texts().FilePath("French"));
  {
    std::unique_ptr<FileWriter> file;
    ASSERT_EQ(fs.openForWrite(german, false, file), FsStatus::Ok);
    ASSERT_EQ(file->write("\xEF\xBB\xBF[frmTest]\r\nbScan=Pr\xC3\xBC"
                          "fen\r\n"
                          "[Menu_frmTest]\r\nmiLanguage=Sprache\r\nmiGerman=&Deutsch\r\n"),
              FsStatus::Ok);
  }
  ui::ApplyLanguageOnShow(window.components(), languages, context);  // English: nothing read
  EXPECT_EQ(ui::WindowText(FindControl(window.components(), "bScan")), L"Scan");

  const UINT germanId = window.components().find("miGerman")->id;
  EXPECT_TRUE(
      ui::OnLanguageCommand(window.hwnd(), window.components(), languages, germanId, context));
  EXPECT_EQ(context.settings.Lan, "German");
  EXPECT_EQ(ui::WindowText(FindControl(window.components(), "bScan")), L"Pr\u00FCfen");
  EXPECT_EQ(MenuItemText(languageMenu, germanId), L"&Deutsch");
  EXPECT_EQ(MenuItemText(::GetMenu(window.hwnd()), 1, MF_BYPOSITION), L"Sprache");
  EXPECT_TRUE(::GetMenuState(languageMenu, germanId, MF_BYCOMMAND) & MF_CHECKED);

  const UINT timer = static_cast<UINT>(::SetTimer(nullptr, 0, 50, AnswerMessageBox));
  EXPECT_FALSE(ui::OnLanguageCommand(window.hwnd(), window.components(), languages,
                                     window.components().find("miFrench")->id, context));
  ::KillTimer(nullptr, timer);
  EXPECT_EQ(g_messageText,
            win32::Widen(context.texts().FilePath("French")) + L" can not be found.");
  EXPECT_EQ(context.settings.Lan, "German");
  EXPECT_TRUE(::GetMenuState(languageMenu, germanId, MF_BYCOMMAND) & MF_CHECKED);
  fs.deleteSilently(german);
}

}  // namespace
}  // namespace hs::test

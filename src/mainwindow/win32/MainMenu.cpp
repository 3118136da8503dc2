#include "mainwindow/win32/MainMenu.h"

#include <string>
#include <vector>

#include "widgets/win32/Accelerators.h"
#include "widgets/win32/Menus.h"

namespace hs::mainwindow {

namespace {

using C = MainCommand;

constexpr UINT Id(C command) {
  return static_cast<UINT>(command);
}

struct MenuItemEntry {
  const char* name;  // nullptr: a separator
  const wchar_t* caption;
  C command;
};

// Names of the separators are component names too (translation skips them).
void AddItems(ui::MenuBuilder& builder, HMENU menu, const std::vector<MenuItemEntry>& items,
              UINT idOffset, const char* separatorPrefix, int& separators) {
  for (const MenuItemEntry& item : items) {
    if (!item.name) {
      builder.addSeparator(menu, separatorPrefix + std::to_string(++separators), 0);
      continue;
    }
    builder.addItem(menu, item.name, item.caption, Id(item.command) + idOffset);
  }
}

void BuildBar(ui::MenuBuilder& builder, MainMenus& menus, int& separators) {
  HMENU bar = menus.bar.get();
  HMENU file = builder.addPopup(bar, "miFile", L"&File", 0);
  AddItems(builder, file,
           {{"miBackupFullRegistry", L"&Backup Full Registry...", C::BackupFullRegistry},
            {"miWindowsBackup", L"&Windows Backup...", C::WindowsBackup},
            {"miStartupManager", L"Startup &Manager...\tCtrl+M", C::StartupManager},
            {nullptr, nullptr, C::Exit},
            {"miExit", L"&Exit", C::Exit}},
           0, "N", separators);
  HMENU action = builder.addPopup(bar, "miAction", L"&Action", 0);
  AddItems(builder, action,
           {{"miScanRegistry", L"&Scan registry issue\tCtrl+S", C::ScanRegistry},
            {"miRepairregistry", L"&Repair registry issue\tCtrl+Alt+R", C::RepairRegistry},
            {"miRestoreRegistry", L"R&estore previous registry...\tCtrl+E", C::RestoreRegistry}},
           0, "N", separators);
  HMENU edit = builder.addPopup(bar, "miEdit", L"&Edit", 0);
  AddItems(builder, edit,
           {{"miSelectAll", L"Select &All", C::SelectAll},
            {"miSelectAllOfType", L"&Select All of Type", C::SelectAllOfType},
            {"miSelectNone", L"Select &None", C::SelectNone},
            {"miSelectNoneOfType", L"S&elect None of Type", C::SelectNoneOfType},
            {nullptr, nullptr, C::Exit},
            {"miAddToIgnoreLists", L"Add to &Ignore Lists", C::AddToIgnoreLists},
            {"miSaveToTextFile", L"&Save to Text File...", C::SaveToTextFile},
            {"miOpenInRegedit", L"Open in &RegEdit...", C::OpenInRegedit},
            {nullptr, nullptr, C::Exit},
            {"miOptions", L"&Options...\tCtrl+O", C::Options}},
           0, "N", separators);
  menus.language.emplace(builder, builder.addPopup(bar, "miLanguage", L"&Language", 0),
                         kFirstLanguageId);
  HMENU help = builder.addPopup(bar, "miHelpMenu", L"&Help", 0);
  AddItems(builder, help,
           {{"miHelp", L"Online &Help", C::OnlineHelp},
            {"miHomePage", L"&Home Page", C::HomePage},
            {nullptr, nullptr, C::Exit},
            {"miAbout", L"&About...", C::About}},
           0, "N", separators);
}

void BuildListMenu(ui::MenuBuilder& builder, MainMenus& menus, int& separators) {
  AddItems(builder, menus.list.get(),
           {{"pmSelectAll", L"Select &All", C::SelectAll},
            {"pmSelectAllOfType", L"&Select All of Type", C::SelectAllOfType},
            {nullptr, nullptr, C::Exit},
            {"pmSelectNone", L"Select &None", C::SelectNone},
            {"pmSelectNoneOfType", L"S&elect None of Type", C::SelectNoneOfType},
            {nullptr, nullptr, C::Exit},
            {"pmAddToIgnoreLists", L"Add to &Ignore Lists", C::AddToIgnoreLists},
            {nullptr, nullptr, C::Exit},
            {"pmSaveToTextFile", L"&Save to Text File...", C::SaveToTextFile},
            {nullptr, nullptr, C::Exit},
            {"pmOpenInRegedit", L"Open in &RegEdit...", C::OpenInRegedit}},
           kListMenuIdOffset, "N", separators);
}

}  // namespace

MainMenus BuildMainMenus(ui::ComponentRegistry& registry) {
  MainMenus menus;
  menus.bar = ui::CreateMenuBar();
  menus.list = ui::CreatePopupMenuHandle();
  ui::MenuBuilder builder(registry);
  int separators = 0;
  BuildBar(builder, menus, separators);
  BuildListMenu(builder, menus, separators);
  menus.accelerators = ui::CreateAccelerators({
      {FCONTROL, 'M', static_cast<WORD>(Id(C::StartupManager))},
      {FCONTROL, 'S', static_cast<WORD>(Id(C::ScanRegistry))},
      {FCONTROL | FALT, 'R', static_cast<WORD>(Id(C::RepairRegistry))},
      {FCONTROL, 'E', static_cast<WORD>(Id(C::RestoreRegistry))},
      {FCONTROL, 'O', static_cast<WORD>(Id(C::Options))},
  });
  return menus;
}

std::optional<MainCommand> MainCommandOf(UINT id) {
  const UINT first = Id(C::BackupFullRegistry);
  const UINT last = Id(C::CheckForUpdate);
  if (id >= first + kListMenuIdOffset && id <= last + kListMenuIdOffset) id -= kListMenuIdOffset;
  if (id < first || id > last) return std::nullopt;
  return static_cast<MainCommand>(id);
}

}  // namespace hs::mainwindow

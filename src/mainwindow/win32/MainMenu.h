#pragma once
// The main window's menu bar, the findings list's context menu and their
// keyboard shortcuts. Every item is registered under its component name so
// that translation reaches it; each command has one id, and the context
// menu's items carry their own ids that MainCommandOf maps to the same
// commands.
#include <windows.h>

#include <optional>

#include "ui/win32/LanguageMenu.h"
#include "widgets/win32/ComponentRegistry.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::mainwindow {

enum class MainCommand : UINT {
  BackupFullRegistry = 100,
  WindowsBackup,
  StartupManager,
  Exit,
  ScanRegistry,
  RepairRegistry,
  RestoreRegistry,
  SelectAll,
  SelectAllOfType,
  SelectNone,
  SelectNoneOfType,
  AddToIgnoreLists,
  SaveToTextFile,
  OpenInRegedit,
  Options,
  OnlineHelp,
  HomePage,
  About,
  CheckForUpdate,
};

// Ids of the context menu's items: the main command's id plus this.
constexpr UINT kListMenuIdOffset = 100;
// The Language drop-down's own items take ids from here on.
constexpr UINT kFirstLanguageId = 400;

struct MainMenus {
  ui::UniqueHmenu bar;
  std::optional<ui::LanguageMenu> language;  // the "Language" drop-down and its items
  ui::UniqueHmenu list;                      // the findings list's context menu (a drop-down)
  ui::UniqueHaccel accelerators;
};

// Builds both menus and the shortcut table, registering the items in order.
MainMenus BuildMainMenus(ui::ComponentRegistry& registry);

// The command of a WM_COMMAND id from either menu or a button; nothing for
// other ids.
std::optional<MainCommand> MainCommandOf(UINT id);

}  // namespace hs::mainwindow

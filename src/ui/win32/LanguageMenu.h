#pragma once
// The items of the main window's Language menu, for the window that owns the
// menu: built into its menu and component registry, narrowed to the present
// languages when the menu opens, and checked for the current language.
#include <windows.h>

#include <string>
#include <string_view>

#include "ui/AppContext.h"
#include "ui/LanguageMenu.h"
#include "widgets/win32/ComponentRegistry.h"
#include "widgets/win32/Menus.h"

namespace hs::ui {

class LanguageMenu {
 public:
  // Adds the language items, the separator `mlOther`, "&Other" and the
  // hidden `Language1` to `menu`, with the command ids from `firstId` on.
  LanguageMenu(MenuBuilder& menus, HMENU menu, UINT firstId);

  HMENU menu() const { return m_menu; }
  // True for the command ids of the menu's shown kinds of items (the
  // separator's id among them, which never arrives as a command).
  bool owns(UINT id) const { return id >= m_firstId && id < m_endId; }

  // WM_INITMENUPOPUP of this menu: each item, from last to first, is shown
  // only while its language's file exists.
  void onOpening(ComponentRegistry& window, const LanguageFiles& files) const;
  // Checks the item of `language` (any letter case), unchecks the others.
  void check(ComponentRegistry& window, std::string_view language) const;
  // The item `id` was chosen. When its file exists its item is checked and
  // the caller makes the language current and relabels; otherwise the
  // caller shows the message (ShowLanguageNotFound) and nothing changes.
  LanguageChoice choose(ComponentRegistry& window, UINT id, const LanguageFiles& files) const;

 private:
  HMENU m_menu;
  UINT m_firstId;
  UINT m_endId;
};

// The message box of a language whose file is missing: the program's name as
// caption, an OK button, no icon.
void ShowLanguageNotFound(HWND owner, const std::string& message);

// The main window's part, in one place. As the window is first shown: the
// current language's item is checked and the window relabelled unless the
// language is English.
void ApplyLanguageOnShow(ComponentRegistry& window, const LanguageMenu& menu,
                         const AppContext& context);
// A command from the menu: a language whose file exists becomes the setting
// `Lan`, its item is checked and the window relabelled from its file (English
// included); a missing file is reported and nothing changes. True when the
// window was relabelled (the caller then fits its buttons to their captions).
bool OnLanguageCommand(HWND owner, ComponentRegistry& window, const LanguageMenu& menu, UINT id,
                       AppContext& context);

}  // namespace hs::ui

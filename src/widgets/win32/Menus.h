#pragma once
// Menus built in code: every item gets a command id and a component name and
// is registered in the window's component registry, drop-down items
// included, so translation reaches them. An item can be hidden (taken out of
// its menu, keeping its caption and check mark) and shown again in its place.
#include <windows.h>

#include <string>

#include "widgets/win32/ComponentRegistry.h"
#include "widgets/win32/GuiHandles.h"

namespace hs::ui {

class MenuBuilder {
 public:
  explicit MenuBuilder(ComponentRegistry& registry) : m_registry(registry) {}

  // A new drop-down menu under `parent` (a menu bar or a drop-down), named
  // and captioned like an item; `parent` owns and destroys it.
  HMENU addPopup(HMENU parent, const std::string& name, const std::wstring& caption, UINT id);
  void addItem(HMENU parent, const std::string& name, const std::wstring& caption, UINT id);
  void addSeparator(HMENU parent, const std::string& name, UINT id);
  // An item registered for `parent` but not shown in it.
  void addHiddenItem(HMENU parent, const std::string& name, const std::wstring& caption, UINT id);

 private:
  void insert(const Component& component, HMENU popup);
  ComponentRegistry& m_registry;
};

UniqueHmenu CreateMenuBar();
UniqueHmenu CreatePopupMenuHandle();

// Shows or hides the named menu item; a shown item goes back to its place
// among the shown items of its menu. False for an unknown name.
bool SetMenuItemVisible(ComponentRegistry& registry, const std::string& name, bool visible);
// Sets the check mark of an item, shown or hidden.
void SetMenuItemChecked(Component& item, bool checked);
// Sets the caption of an item, shown or hidden.
void SetMenuItemCaption(Component& item, const std::wstring& caption);

}  // namespace hs::ui

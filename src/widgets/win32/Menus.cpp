#include "widgets/win32/Menus.h"

namespace hs::ui {

namespace {

bool IsMenuComponent(const Component& component) {
  return component.kind == ComponentKind::MenuItem ||
         component.kind == ComponentKind::MenuSeparator;
}

// Where a hidden item goes back: after the shown items registered before it
// in the same menu.
UINT ShownPosition(const ComponentRegistry& registry, const Component& item) {
  UINT position = 0;
  for (const Component& other : registry.all()) {
    if (&other == &item) break;
    if (IsMenuComponent(other) && other.menu == item.menu && !other.hidden) ++position;
  }
  return position;
}

// What the menu shows: the caption, then the shortcut after a tab.
std::wstring ShownText(const Component& item) {
  return item.shortcut.empty() ? item.caption : item.caption + L"\t" + item.shortcut;
}

void InsertInto(HMENU menu, UINT position, const Component& item, HMENU popup) {
  std::wstring text = ShownText(item);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE;
  info.wID = item.id;
  info.fState = item.checked ? MFS_CHECKED : MFS_UNCHECKED;
  if (item.kind == ComponentKind::MenuSeparator) {
    info.fType = MFT_SEPARATOR;
  } else {
    info.fType = MFT_STRING;
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
  }
  if (popup) {
    info.fMask |= MIIM_SUBMENU;
    info.hSubMenu = popup;
  }
  ::InsertMenuItemW(menu, position, TRUE, &info);
}

// Where SetMenuItemInfo and friends find the item: a drop-down by its
// position (drop-downs often share the id 0), any other item by its id.
struct ItemAddress {
  UINT item;
  BOOL byPosition;
};
ItemAddress AddressOf(const Component& item) {
  if (item.submenu) {
    for (int i = 0; i < ::GetMenuItemCount(item.menu); ++i)
      if (::GetSubMenu(item.menu, i) == item.submenu) return {static_cast<UINT>(i), TRUE};
  }
  return {item.id, FALSE};
}

}  // namespace

HMENU MenuBuilder::addPopup(HMENU parent, const std::string& name, const std::wstring& caption,
                            UINT id) {
  const HMENU popup = ::CreatePopupMenu();
  Component item = MenuComponent(name, ComponentKind::MenuItem, parent, id, caption);
  item.submenu = popup;
  insert(item, popup);
  return popup;
}

void MenuBuilder::addItem(HMENU parent, const std::string& name, const std::wstring& caption,
                          UINT id) {
  insert(MenuComponent(name, ComponentKind::MenuItem, parent, id, caption), nullptr);
}

void MenuBuilder::addSeparator(HMENU parent, const std::string& name, UINT id) {
  insert(MenuComponent(name, ComponentKind::MenuSeparator, parent, id, L"-"), nullptr);
}

void MenuBuilder::addHiddenItem(HMENU parent, const std::string& name, const std::wstring& caption,
                                UINT id) {
  m_registry.add(MenuComponent(name, ComponentKind::MenuItem, parent, id, caption, true));
}

void MenuBuilder::insert(const Component& component, HMENU popup) {
  if (!m_registry.add(component)) {
    if (popup) ::DestroyMenu(popup);
    return;
  }
  InsertInto(component.menu, static_cast<UINT>(::GetMenuItemCount(component.menu)), component,
             popup);
}

UniqueHmenu CreateMenuBar() {
  return UniqueHmenu(::CreateMenu());
}
UniqueHmenu CreatePopupMenuHandle() {
  return UniqueHmenu(::CreatePopupMenu());
}

bool SetMenuItemVisible(ComponentRegistry& registry, const std::string& name, bool visible) {
  Component* item = registry.find(name);
  if (!item || !IsMenuComponent(*item)) return false;
  if (item->hidden == !visible) return true;
  if (visible) {
    item->hidden = false;
    InsertInto(item->menu, ShownPosition(registry, *item), *item, nullptr);
  } else {
    // Hiding drop-downs is not needed; their items hide one by one.
    if (item->submenu) return false;
    ::RemoveMenu(item->menu, item->id, MF_BYCOMMAND);
    item->hidden = true;
  }
  return true;
}

void SetMenuItemChecked(Component& item, bool checked) {
  item.checked = checked;
  if (item.hidden) return;
  const ItemAddress address = AddressOf(item);
  ::CheckMenuItem(
      item.menu, address.item,
      (address.byPosition ? MF_BYPOSITION : MF_BYCOMMAND) | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetMenuItemCaption(Component& item, const std::wstring& caption) {
  // A shortcut written into a translation is dropped: the keys are the
  // program's, whatever the language.
  item.caption = caption.substr(0, caption.find(L'\t'));
  if (item.hidden || item.kind != ComponentKind::MenuItem) return;
  std::wstring text = ShownText(item);
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = text.data();
  const ItemAddress address = AddressOf(item);
  ::SetMenuItemInfoW(item.menu, address.item, address.byPosition, &info);
}

}  // namespace hs::ui

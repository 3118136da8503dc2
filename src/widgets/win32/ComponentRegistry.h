#pragma once
// Every control and menu item of a window, under its component name and
// kind, in creation order; the window itself comes first. Translation walks
// this list, and tests find controls in it by name.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "widgets/ComponentKind.h"

namespace hs::ui {

struct Component {
  std::string name;
  ComponentKind kind = ComponentKind::Untranslated;
  HWND window = nullptr;  // the window or control; null for menu items
  // Menu items: the menu that holds the item while it is shown, its command
  // id, and its caption and check state, kept here so that a hidden item
  // (taken out of its menu) keeps them. The shortcut's text is shown after
  // the caption (a tab between) and is never translated.
  HMENU menu = nullptr;
  UINT id = 0;
  HMENU submenu = nullptr;  // a drop-down's own menu: found by it, whatever its id
  std::wstring caption;
  std::wstring shortcut;
  bool hidden = false;
  bool checked = false;
};

// A window or control.
Component ControlComponent(std::string name, ComponentKind kind, HWND window, UINT id = 0);
// A menu item or separator of `menu`; a caption "text\tshortcut" is split
// into the two.
Component MenuComponent(std::string name, ComponentKind kind, HMENU menu, UINT id,
                        std::wstring caption, bool hidden = false);

class ComponentRegistry {
 public:
  // Appends a component. Names are unique within a window: a second
  // component of a taken name is refused (false), since translation files
  // could not tell the two apart.
  bool add(Component component);

  const std::vector<Component>& all() const { return m_components; }
  std::vector<Component>& all() { return m_components; }
  // The component of that name (compared exactly), or null.
  Component* find(std::string_view name);
  const Component* find(std::string_view name) const;
  // The menu item with that command id, or null.
  Component* findMenuItem(UINT id);
  // The window's own component name: the first component's, "" when empty.
  std::string windowName() const;

 private:
  std::vector<Component> m_components;
};

}  // namespace hs::ui

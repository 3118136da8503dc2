#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

Component ControlComponent(std::string name, ComponentKind kind, HWND window, UINT id) {
  Component component;
  component.name = std::move(name);
  component.kind = kind;
  component.window = window;
  component.id = id;
  return component;
}

Component MenuComponent(std::string name, ComponentKind kind, HMENU menu, UINT id,
                        std::wstring caption, bool hidden) {
  Component component;
  component.name = std::move(name);
  component.kind = kind;
  component.menu = menu;
  component.id = id;
  const std::size_t tab = caption.find(L'\t');
  if (tab != std::wstring::npos) {
    component.shortcut = caption.substr(tab + 1);
    caption.resize(tab);
  }
  component.caption = std::move(caption);
  component.hidden = hidden;
  return component;
}

bool ComponentRegistry::add(Component component) {
  if (component.name.empty() || find(component.name)) return false;
  m_components.push_back(std::move(component));
  return true;
}

Component* ComponentRegistry::find(std::string_view name) {
  for (Component& component : m_components)
    if (component.name == name) return &component;
  return nullptr;
}

const Component* ComponentRegistry::find(std::string_view name) const {
  return const_cast<ComponentRegistry*>(this)->find(name);
}

Component* ComponentRegistry::findMenuItem(UINT id) {
  for (Component& component : m_components)
    if (component.kind == ComponentKind::MenuItem && component.id == id) return &component;
  return nullptr;
}

std::string ComponentRegistry::windowName() const {
  return m_components.empty() ? std::string() : m_components.front().name;
}

}  // namespace hs::ui

#include "widgets/TranslationKeys.h"

namespace hs::ui {

namespace {

// The suffix before the index of kinds with one text per element; nullptr
// for kinds whose key is the bare name.
const char* IndexedSuffix(ComponentKind kind) {
  switch (kind) {
    case ComponentKind::ListBox:
      return "_Item";
    case ComponentKind::StatusBarPanels:
      return "_Panel";
    case ComponentKind::ListView:
      return "_Column";
    case ComponentKind::PageControl:
      return "_Page";
    case ComponentKind::TreeView:
      return "_";
    default:
      return nullptr;
  }
}

bool HasNoTexts(ComponentKind kind) {
  return kind == ComponentKind::MenuSeparator || kind == ComponentKind::Untranslated;
}

}  // namespace

std::vector<TranslationKey> TranslationKeysFor(std::string_view windowName, ComponentKind kind,
                                               std::string_view name, std::size_t count) {
  std::vector<TranslationKey> keys;
  if (HasNoTexts(kind) || count == 0) return keys;
  const std::string section =
      kind == ComponentKind::MenuItem ? "Menu_" + std::string(windowName) : std::string(windowName);
  const char* suffix = IndexedSuffix(kind);
  if (!suffix) {
    keys.push_back({section, std::string(name)});
    return keys;
  }
  for (std::size_t i = 0; i < count; ++i)
    keys.push_back({section, std::string(name) + suffix + std::to_string(i)});
  return keys;
}

void TranslateTexts(const IniFile& file, std::string_view windowName, ComponentKind kind,
                    std::string_view name, std::vector<std::string>& texts) {
  const std::vector<TranslationKey> keys = TranslationKeysFor(windowName, kind, name, texts.size());
  for (std::size_t i = 0; i < keys.size(); ++i)
    texts[i] = file.ReadString(keys[i].section, keys[i].key, texts[i]);
}

}  // namespace hs::ui

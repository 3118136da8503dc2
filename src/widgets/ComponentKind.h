#pragma once
// What a registered component is, as far as translation cares: the kind
// decides which keys of a translation file hold its texts.
namespace hs::ui {

enum class ComponentKind {
  Window,           // the window itself: its caption
  Captioned,        // label, button, group box, check box, panel: one caption
  ListBox,          // one text per item
  StatusBarSimple,  // a status bar showing one simple text
  StatusBarPanels,  // a status bar with panels: one text per panel
  ListView,         // one caption per column
  PageControl,      // one caption per page
  MenuItem,         // one caption, kept in the window's menu section
  MenuSeparator,    // a separator line: no key
  TreeView,         // one text per node, in tree order
  Untranslated,     // edit boxes, images, timers...: keep their texts
};

}  // namespace hs::ui

#include "widgets/win32/ButtonRow.h"

#include <commctrl.h>

#include "widgets/win32/Controls.h"

namespace hs::ui {

namespace {

constexpr int kMargin = 8;

void AddButton(HWND dialog, ComponentRegistry& registry, const ButtonRowLayout& layout,
               const RowButton& button, int left) {
  AddControl(
      dialog, registry,
      {WC_BUTTONW, button.name, ComponentKind::Captioned, button.caption,
       BS_PUSHBUTTON | WS_TABSTOP, 0, left, layout.clientHeight - kMargin - layout.buttonHeight,
       layout.buttonWidth, layout.buttonHeight, button.id});
}

}  // namespace

void AddButtonRow(HWND dialog, ComponentRegistry& registry, const ButtonRowLayout& layout,
                  std::span<const RowButton> fromLeft, std::span<const RowButton> fromRight) {
  const int step = layout.buttonWidth + kMargin;
  int left = kMargin;
  for (const RowButton& button : fromLeft) {
    AddButton(dialog, registry, layout, button, left);
    left += step;
  }
  left = layout.clientWidth - static_cast<int>(fromRight.size()) * step;
  for (const RowButton& button : fromRight) {
    AddButton(dialog, registry, layout, button, left);
    left += step;
  }
}

}  // namespace hs::ui

#pragma once
// A dialog's row of push buttons along its bottom edge: some from the left
// margin one after another, the others ending at the right margin, all of
// one size and 8 pixels apart (sizes at 96 DPI), each registered under its
// component name.
#include <windows.h>

#include <span>

#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

struct RowButton {
  const char* name;
  const wchar_t* caption;
  int id;
};

struct ButtonRowLayout {
  int clientWidth = 0;
  int clientHeight = 0;
  int buttonWidth = 0;
  int buttonHeight = 0;
};

void AddButtonRow(HWND dialog, ComponentRegistry& registry, const ButtonRowLayout& layout,
                  std::span<const RowButton> fromLeft, std::span<const RowButton> fromRight);

}  // namespace hs::ui

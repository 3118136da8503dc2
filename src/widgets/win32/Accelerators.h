#pragma once
// Keyboard shortcuts of a window as an accelerator table built in code.
#include <windows.h>

#include <vector>

#include "widgets/win32/GuiHandles.h"

namespace hs::ui {

// One shortcut: FVIRTKEY is always added, so `key` is a virtual-key code and
// `modifiers` any of FCONTROL, FALT, FSHIFT.
struct Shortcut {
  BYTE modifiers = 0;
  WORD key = 0;
  WORD command = 0;
};

UniqueHaccel CreateAccelerators(const std::vector<Shortcut>& shortcuts);

}  // namespace hs::ui

#pragma once
// The reading order of a translation put on a window: right-to-left reading
// and right alignment on the window, its controls that show translated texts
// and its menus (not under Wine, which would draw them empty), or both taken
// off again; positions and sizes stay.
#include "widgets/win32/ComponentRegistry.h"

namespace hs::ui {

void ApplyReadingOrder(ComponentRegistry& window, bool rightToLeft);

}  // namespace hs::ui

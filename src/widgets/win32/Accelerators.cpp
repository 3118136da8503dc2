#include "widgets/win32/Accelerators.h"

namespace hs::ui {

UniqueHaccel CreateAccelerators(const std::vector<Shortcut>& shortcuts) {
  std::vector<ACCEL> table;
  for (const Shortcut& shortcut : shortcuts)
    table.push_back(
        {static_cast<BYTE>(FVIRTKEY | shortcut.modifiers), shortcut.key, shortcut.command});
  if (table.empty()) return UniqueHaccel();
  return UniqueHaccel(::CreateAcceleratorTableW(table.data(), static_cast<int>(table.size())));
}

}  // namespace hs::ui

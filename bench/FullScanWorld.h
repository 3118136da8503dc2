#pragma once
// What a full scan reads besides the generated trees: a few thousand entries
// in each area a scan task looks at (classes, interfaces, type libraries,
// application identifiers, file types, uninstall entries, shared libraries,
// application paths, services, sound schemes, recent-file lists, usage
// counters, start menu, shortcuts...), some of them naming missing files.
#include <random>

#include "bench/BenchWorld.h"

namespace hs::bench {

// Fills those areas of `world` from `random`. The classes are written under
// HKLM\Software\Classes, where Windows keeps them, and again under the
// in-memory classes root, which is a view of them on Windows.
void AddFullScanAreas(World& world, std::mt19937& random);

}  // namespace hs::bench

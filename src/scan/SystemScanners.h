#pragma once
// System-wide registrations: empty top-level software keys (task 14),
// services whose program is gone (15), sound events naming missing sound
// files (18), installer records (21) and the empty-keys placeholder (23).
#include <string>

namespace hs {

class ScanContext;

void ScanObsoleteSoftware(ScanContext& context);  // task 14
void ScanWindowsServices(ScanContext& context);   // task 15
void ScanSoundEvents(ScanContext& context);       // task 18
void ScanInstaller(ScanContext& context);         // task 21
void ScanEmptyKeys(ScanContext& context);         // task 23

}  // namespace hs

#pragma once
#include <string>

namespace hs::win32 {

// The folder of the running executable with a trailing backslash, in UTF-8;
// "" when the system cannot tell.
std::string ProgramFolder();

}  // namespace hs::win32

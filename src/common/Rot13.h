#pragma once
// The shell keeps usage-counter value names with every letter moved 13 places
// round its alphabet; the same routine encodes and decodes.
#include <string>
#include <string_view>

namespace hs {

// Letters A-Z and a-z move 13 places, case kept; every other byte (UTF-8
// sequences included) is copied unchanged.
std::string Rot13(std::string_view text);

}  // namespace hs

#pragma once
// The registry links of a hive image: every allocated key cell with
// KEY_SYM_LINK set, found in one pass over the hive bins. Offsets are from
// the start of the file, as hivex numbers its nodes.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hs::offline {

// Sorted; nothing when a bin or cell does not add up (then each key's own
// flags must be read instead).
std::optional<std::vector<std::uint64_t>> FindLinkKeys(std::span<const std::uint8_t> image);

}  // namespace hs::offline

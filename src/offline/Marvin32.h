#pragma once
// Marvin32, the keyed hash of the new transaction-log format's entries.
#include <cstdint>
#include <span>

namespace hs::offline {

// The seed every log entry is hashed with: its low half 0x7A4E55C5, its
// high half 0x82EF4D88 (checked against the hashes in real logs).
inline constexpr std::uint64_t kLogEntrySeed = 0x82EF4D887A4E55C5ull;

std::uint64_t Marvin32(std::span<const std::uint8_t> data, std::uint64_t seed);

}  // namespace hs::offline

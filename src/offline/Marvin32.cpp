#include "offline/Marvin32.h"

#include <bit>

#include "offline/BaseBlock.h"

namespace hs::offline {

namespace {

struct State {
  std::uint32_t lo;
  std::uint32_t hi;

  void mix(std::uint32_t word) {
    lo += word;
    hi ^= lo;
    lo = std::rotl(lo, 20);
    lo += hi;
    hi = std::rotl(hi, 9);
    hi ^= lo;
    lo = std::rotl(lo, 27);
    lo += hi;
    hi = std::rotl(hi, 19);
  }
};

// The last 0 to 3 bytes, closed by a 0x80 byte, as one word.
std::uint32_t FinalWord(std::span<const std::uint8_t> tail) {
  std::uint32_t word = 0x80u << (8 * tail.size());
  for (std::size_t i = 0; i < tail.size(); ++i)
    word |= static_cast<std::uint32_t>(tail[i]) << (8 * i);
  return word;
}

}  // namespace

std::uint64_t Marvin32(std::span<const std::uint8_t> data, std::uint64_t seed) {
  State state{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32)};
  std::size_t at = 0;
  for (; at + 4 <= data.size(); at += 4) state.mix(ReadU32(data, at));
  state.mix(FinalWord(data.subspan(at)));
  state.mix(0);
  return static_cast<std::uint64_t>(state.hi) << 32 | state.lo;
}

}  // namespace hs::offline

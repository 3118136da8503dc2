// The transaction-log replay on arbitrary bytes: a primary file and up to
// two logs, each preceded by its length (4 bytes, little-endian). It must
// never crash nor read outside its inputs, and a replayed image must hold
// whole hive bins up to the size its base block gives.
#include <cstdlib>

#include "FuzzInput.h"
#include "offline/BaseBlock.h"
#include "offline/LogReplay.h"

namespace {

std::span<const std::uint8_t> TakePart(std::span<const std::uint8_t>& input) {
  if (input.size() < 4) return {};
  const std::size_t length =
      std::min<std::size_t>(hs::offline::ReadU32(input, 0), input.size() - 4);
  const std::span<const std::uint8_t> part = input.subspan(4, length);
  input = input.subspan(4 + length);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hs::offline;
  std::span<const std::uint8_t> input(data, size);
  const std::span<const std::uint8_t> primary = TakePart(input);
  std::vector<LogFile> logs;
  logs.push_back({"LOG1", TakePart(input)});
  logs.push_back({"LOG2", input});
  ReplayLimits limits;
  limits.maxHiveBinsSize = 1u << 22;
  const ReplayResult result = ReplayLogs(primary, logs, limits);
  if (result.outcome == ReplayOutcome::Replayed) {
    const std::optional<BaseBlock> block = ReadBaseBlock(result.image);
    if (!block || block->dirty() || result.image.size() < kBaseBlockSize + block->hiveBinsSize)
      std::abort();
  } else if (!result.image.empty()) {
    std::abort();
  }
  return 0;
}

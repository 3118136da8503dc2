#pragma once
// The creeping progress bar of a running task (range 0..1000). A task's real
// progress is not measured: each tick advances by a step that shrinks as the
// bar fills, so a long task creeps towards 999 and never reaches the end.

namespace hs {

constexpr int kProgressMax = 1000;
constexpr int kProgressTickMs = 500;

// The position after one timer tick.
int NextProgressPosition(int position);

}  // namespace hs

#pragma once
// The wait dialog's bar shows only that the program waits: each tick moves it
// by a step that shrinks as it fills, and it stops just past its end.

namespace hs {

inline constexpr int kBackupHintBarMax = 500;
inline constexpr unsigned kBackupHintTickMs = 500;

// The position after one tick from `position`.
int NextBackupHintPosition(int position);

}  // namespace hs

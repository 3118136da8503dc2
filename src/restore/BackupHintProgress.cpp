#include "restore/BackupHintProgress.h"

namespace hs {

int NextBackupHintPosition(int position) {
  if (position <= 300) return position + 10;
  if (position <= 400) return position + 5;
  if (position <= 450) return position + 3;
  if (position <= 490) return position + 2;
  if (position <= kBackupHintBarMax) return position + 1;
  return position;
}

}  // namespace hs

#include "restore/RestorePointOutcome.h"

namespace hs {

namespace {

std::string StatusReason(std::uint32_t status) {
  switch (status) {
    case kSrStatusDisabled:
      return "System Restore is turned off";
    case kSrStatusSafeMode:
      return "restore points cannot be made in safe mode";
    case kSrStatusDiskFull:
      return "System Restore is in standby: the disk is nearly full";
    case kSrStatusTimeout:
      return "System Restore did not answer in time";
    case kSrStatusInvalidData:
      return "System Restore refused the request";
    case kSrStatusInternal:
      return "System Restore failed inside";
    default:
      return "System Restore answered with status " + std::to_string(status);
  }
}

}  // namespace

RestorePointVerdict JudgeRestorePoint(const RestorePointCall& call,
                                      std::optional<std::int64_t> earlierSequence) {
  if (!call.libraryFound) return {false, "System Restore is not available on this system"};
  if (!call.functionFound) return {false, "System Restore does not offer restore points here"};
  if (call.status != kSrStatusSuccess) return {false, StatusReason(call.status)};
  if (!call.returned) return {false, "System Restore did not make the restore point"};
  if (earlierSequence && *earlierSequence == call.sequenceNumber)
    return {false,
            "a restore point was made less than a day ago, so System Restore made no new one"};
  return {true, {}};
}

RestorePointClose CloseRestorePointAs(std::size_t itemsDeleted) {
  return itemsDeleted > 0 ? RestorePointClose::End : RestorePointClose::Cancel;
}

int NextRestorePointProgress(int position) {
  if (position < 0) return 0;
  if (position <= 30) return position + 10;
  if (position <= 50) return position + 5;
  if (position <= 60) return position + 3;
  if (position <= 80) return position + 2;
  if (position <= 99) return position + 1;
  return 100;
}

}  // namespace hs

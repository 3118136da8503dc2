#pragma once
// What the system's answer to a restore-point request means, and the creeping
// progress shown while the request runs. The call's own result is not enough:
// System Restore answers "success" with the number of an earlier point when it
// skips a new one (one point a day), so a point counts as created only when
// the call succeeded, its status says so and its number is a new one.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace hs {

// The status codes STATEMGRSTATUS.nStatus may carry.
inline constexpr std::uint32_t kSrStatusSuccess = 0;       // ERROR_SUCCESS
inline constexpr std::uint32_t kSrStatusSafeMode = 10;     // ERROR_BAD_ENVIRONMENT
inline constexpr std::uint32_t kSrStatusInvalidData = 13;  // ERROR_INVALID_DATA
inline constexpr std::uint32_t kSrStatusDiskFull = 112;    // ERROR_DISK_FULL
inline constexpr std::uint32_t kSrStatusDisabled = 1058;   // ERROR_SERVICE_DISABLED
inline constexpr std::uint32_t kSrStatusInternal = 1359;   // ERROR_INTERNAL_ERROR
inline constexpr std::uint32_t kSrStatusTimeout = 1460;    // ERROR_TIMEOUT

struct RestorePointCall {
  bool libraryFound = false;   // the System Restore client library loaded
  bool functionFound = false;  // it exports the request function
  bool returned = false;       // the call's result
  std::uint32_t status = 0;    // STATEMGRSTATUS.nStatus
  std::int64_t sequenceNumber = 0;
};

struct RestorePointVerdict {
  bool created = false;
  std::string reason;  // why not, in the user's words; "" when created
};

// `earlierSequence`: the number of the last point this program saw created,
// when there is one; the same number again means no new point was made.
RestorePointVerdict JudgeRestorePoint(const RestorePointCall& call,
                                      std::optional<std::int64_t> earlierSequence = std::nullopt);

// How a restore point opened before a repair is closed afterwards: ended
// (END_SYSTEM_CHANGE), so the system keeps it, when the run deleted anything;
// cancelled (CANCELLED_OPERATION) when it deleted nothing, so no point is
// left that marks a change which never happened.
enum class RestorePointClose { End, Cancel };
RestorePointClose CloseRestorePointAs(std::size_t itemsDeleted);

// The progress bar's next position on a timer tick: +10 up to 30, +5 up to
// 50, +3 up to 60, +2 up to 80, +1 up to 99; 100 stays.
int NextRestorePointProgress(int position);

}  // namespace hs

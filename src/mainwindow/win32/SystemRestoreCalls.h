#pragma once
// The two calls to System Restore around a repair: the request that opens a
// restore point (BEGIN_SYSTEM_CHANGE) and the call that closes it with the
// number the request returned (END_SYSTEM_CHANGE, or CANCELLED_OPERATION when
// the repair changed nothing). Both go through SRSetRestorePointW of
// srclient.dll in the system folder, loaded for the call only, on a thread
// whose COM security lets the System Restore service call back.
#include <cstdint>
#include <functional>

#include "restore/RestorePointOutcome.h"

namespace hs::win32 {

// APPLICATION_INSTALL, "Made by Corvane Hivesweep".
RestorePointCall RequestRestorePoint();

// Closes the point `sequenceNumber` as `how` says.
void CloseRestorePoint(std::int64_t sequenceNumber, RestorePointClose how);

using RestorePointRequest = std::function<RestorePointCall()>;
using RestorePointCloser = std::function<void(std::int64_t sequenceNumber, RestorePointClose how)>;

// The pair as the window uses it; tests replace both.
struct RestorePointCalls {
  RestorePointRequest request = RequestRestorePoint;
  RestorePointCloser close = CloseRestorePoint;
};

}  // namespace hs::win32

#pragma once
// Switching a startup entry off and on as the system's own startup list does
// (Task Manager's Startup page, the Settings app), so that list agrees. The
// state lives beside the entry, under the same hive, in a subkey of
// kStartupApprovedKey:
//     Run            for the Run key's values
//     Run32          for the 32-bit view's Run key (below Wow6432Node)
//     StartupFolder  for the Startup folder's shortcuts (the user's folder
//                    under HKEY_CURRENT_USER, the common one under
//                    HKEY_LOCAL_MACHINE)
// The system reads these lists in the 64-bit view, so a 32-bit process on
// 64-bit Windows opens them there, and the Run key it sees below
// HKEY_LOCAL_MACHINE (the 32-bit view's) has its state under Run32.
// One REG_BINARY value per entry, named as the entry (the value's name or
// the shortcut's file name), of 12 bytes: a little-endian DWORD of flags
// whose lowest bit set means disabled (02 enabled, 03 disabled; 06 and 07
// the same for entries the system marks otherwise), then the FILETIME (UTC)
// of the moment it was disabled, zero while enabled. No value means enabled.
// Nothing is deleted, so switching needs no backup.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"
#include "startup/StartupEntries.h"
#include "startup/StartupRemoval.h"

namespace hs {

inline constexpr const char* kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";

// Where an entry's state is kept; nothing for an entry the system does not switch.
struct ApprovalPlace {
  RootKey root = RootKey::CurrentUser;
  std::string keyPath;
  std::string valueName;
  RegView view = RegView::Own;
};
std::optional<ApprovalPlace> ApprovalPlaceOf(const StartupEntry& entry);

// The entry's state as the system reads it. A value that is not REG_BINARY
// of at least 4 bytes is not the system's and counts as none (enabled).
StartupState ReadStartupState(RegistryBackend& registry, const StartupEntry& entry);

// The value's bytes after a switch: disabled sets the lowest flag bit and
// the time; enabled clears both. `current` is the value now (empty: none);
// what is not the documented layout is replaced by the plain form (02...).
std::vector<std::uint8_t> DisabledApproval(const std::vector<std::uint8_t>& current,
                                           std::uint64_t fileTime);
std::vector<std::uint8_t> EnabledApproval(const std::vector<std::uint8_t>& current);

// Writes the entry's state (an entry already in it is left as it is). False
// with `reason` for an entry the system does not switch or a value that
// could not be written.
bool SetStartupState(RegistryBackend& registry, const StartupEntry& entry, bool enabled,
                     std::uint64_t fileTimeNow, std::string& reason);

// Switches every ticked row and reads its state back; the rows keep their
// order and ticks. Returns the rows that could not be switched, top to bottom.
std::vector<StartupFailure> SwitchTickedRows(RegistryBackend& registry,
                                             std::vector<StartupRow>& rows, bool enabled,
                                             std::uint64_t fileTimeNow);

// The system's clock as a FILETIME: 100-nanosecond steps since 1601-01-01 UTC.
std::uint64_t FileTimeNow();

}  // namespace hs

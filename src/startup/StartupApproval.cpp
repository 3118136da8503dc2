#include "startup/StartupApproval.h"

#include <chrono>

#include "common/Text.h"

namespace hs {
namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRun32Key = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr std::size_t kFlagsSize = 4;
constexpr std::uint8_t kDisabledBit = 1;

bool IsSystemsForm(const RegValue& value) {
  return value.type == kRegBinary && value.data.size() >= kFlagsSize;
}

std::vector<std::uint8_t> Flags(const std::vector<std::uint8_t>& current) {
  if (current.size() >= kFlagsSize) return {current.begin(), current.begin() + kFlagsSize};
  return {2, 0, 0, 0};
}

std::vector<std::uint8_t> WithTime(std::vector<std::uint8_t> flags, std::uint64_t fileTime) {
  for (int i = 0; i < 8; ++i) flags.push_back(static_cast<std::uint8_t>(fileTime >> (8 * i)));
  return flags;
}

std::string PlaceText(const ApprovalPlace& place) {
  return RootKeyToHiveName(place.root) + "\\" + place.keyPath;
}

// The value the system keeps for the entry, if it is in the system's form.
std::optional<RegValue> CurrentApproval(RegistryBackend& registry, const RegKeyHandle& key,
                                        const std::string& name) {
  RegValue value;
  if (registry.queryValue(key, name, value) != RegStatus::Ok || !IsSystemsForm(value))
    return std::nullopt;
  return value;
}

StartupState StateOf(const std::optional<RegValue>& approval) {
  return approval && (approval->data[0] & kDisabledBit) ? StartupState::Disabled
                                                        : StartupState::Enabled;
}

}  // namespace

std::optional<ApprovalPlace> ApprovalPlaceOf(const StartupEntry& entry) {
  const std::string approved = std::string(kStartupApprovedKey) + "\\";
  const RegView view = entry.listedByWow64Process ? RegView::SixtyFourBit : RegView::Own;
  if (entry.kind == StartupKind::Shortcut)
    return ApprovalPlace{entry.allUsers ? RootKey::LocalMachine : RootKey::CurrentUser,
                         approved + "StartupFolder", entry.caption, view};
  const bool redirected = entry.listedByWow64Process && entry.root == RootKey::LocalMachine;
  if (EqualsNoCase(entry.keyPath, kRunKey))
    return ApprovalPlace{entry.root, approved + (redirected ? "Run32" : "Run"), entry.caption,
                         view};
  if (EqualsNoCase(entry.keyPath, kRun32Key))
    return ApprovalPlace{entry.root, approved + "Run32", entry.caption, view};
  return std::nullopt;
}

StartupState ReadStartupState(RegistryBackend& registry, const StartupEntry& entry) {
  const std::optional<ApprovalPlace> place = ApprovalPlaceOf(entry);
  if (!place) return StartupState::NotSwitchable;
  RegKeyPtr key;
  if (registry.openKey(place->root, nullptr, place->keyPath, RegAccess::Read, false, key,
                       LastLink::Follow, place->view) != RegStatus::Ok)
    return StartupState::Enabled;
  return StateOf(CurrentApproval(registry, *key, place->valueName));
}

std::vector<std::uint8_t> DisabledApproval(const std::vector<std::uint8_t>& current,
                                           std::uint64_t fileTime) {
  std::vector<std::uint8_t> flags = Flags(current);
  flags[0] |= kDisabledBit;
  return WithTime(std::move(flags), fileTime);
}

std::vector<std::uint8_t> EnabledApproval(const std::vector<std::uint8_t>& current) {
  std::vector<std::uint8_t> flags = Flags(current);
  flags[0] &= static_cast<std::uint8_t>(~kDisabledBit);
  return WithTime(std::move(flags), 0);
}

bool SetStartupState(RegistryBackend& registry, const StartupEntry& entry, bool enabled,
                     std::uint64_t fileTimeNow, std::string& reason) {
  const std::optional<ApprovalPlace> place = ApprovalPlaceOf(entry);
  if (!place) {
    reason = "the system's startup list does not switch entries of " + entry.location +
             "; only the Run keys and the Startup folders";
    return false;
  }
  RegKeyPtr key;
  const RegStatus opened = registry.openKey(place->root, nullptr, place->keyPath, RegAccess::All,
                                            true, key, LastLink::Follow, place->view);
  if (opened != RegStatus::Ok) {
    reason = PlaceText(*place) + " cannot be opened for writing" +
             (opened == RegStatus::AccessDenied ? " (access denied)" : "");
    return false;
  }
  const std::optional<RegValue> current = CurrentApproval(registry, *key, place->valueName);
  const bool disabledNow = StateOf(current) == StartupState::Disabled;
  if (disabledNow == !enabled) return true;  // already so: its time stays
  const std::vector<std::uint8_t> before = current ? current->data : std::vector<std::uint8_t>{};
  const RegValue written{place->valueName, kRegBinary,
                         enabled ? EnabledApproval(before) : DisabledApproval(before, fileTimeNow)};
  const RegStatus status = registry.setValue(*key, written);
  if (status == RegStatus::Ok) return true;
  reason = "the value \"" + place->valueName + "\" of " + PlaceText(*place) +
           " could not be written" + (status == RegStatus::AccessDenied ? " (access denied)" : "");
  return false;
}

std::vector<StartupFailure> SwitchTickedRows(RegistryBackend& registry,
                                             std::vector<StartupRow>& rows, bool enabled,
                                             std::uint64_t fileTimeNow) {
  std::vector<StartupFailure> failures;
  for (StartupRow& row : rows) {
    if (!row.ticked) continue;
    std::string reason;
    if (!SetStartupState(registry, row.entry, enabled, fileTimeNow, reason))
      failures.push_back({row.entry, reason});
    row.entry.state = ReadStartupState(registry, row.entry);
  }
  return failures;
}

std::uint64_t FileTimeNow() {
  constexpr std::uint64_t kUnixEpochIn100ns = 116444736000000000ULL;
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  const auto ticks =
      std::chrono::duration_cast<std::chrono::duration<std::int64_t, std::ratio<1, 10000000>>>(
          sinceEpoch)
          .count();
  return kUnixEpochIn100ns + static_cast<std::uint64_t>(ticks);
}

}  // namespace hs

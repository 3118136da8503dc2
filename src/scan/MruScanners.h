#pragma once
// What the shell remembers of the user's documents and programs: the open/save
// dialogs' recent files and the program-usage counters (task 20), and "open
// with" applications whose command names a missing program (task 22).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hs {

class ScanContext;
class RegistryBackend;
enum class RootKey;

void ScanMruLists(ScanContext& context);      // task 20
void ScanApplications(ScanContext& context);  // task 22

// The run counter of a usage-counter record (bytes 4 to 7, little-endian);
// nothing when the record is too short to hold one.
std::optional<std::uint32_t> UsageRunCounter(const std::vector<std::uint8_t>& record);

// A key below an application key that has a "command" subkey.
struct CommandKey {
  std::string keyPath;      // the key holding "command", below the root
  std::string commandLine;  // the command's default value; "" when absent
};

// The command keys below (and including) `appKeyPath`, in depth-first
// pre-order of the key tree. A command subkey whose default value exists but
// is not text gives no command. Keys that cannot be opened are passed over.
std::vector<CommandKey> FindCommandKeys(ScanContext& context, RootKey root,
                                        const std::string& appKeyPath);

}  // namespace hs

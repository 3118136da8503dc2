#pragma once
// A Windows installation on a mounted volume, read offline: where its
// folders are, its hive files (each opened once, logs replayed), its user
// profiles, and the registry they make up as the running system would show
// it (OfflineRegistry mounts). SAM and SECURITY are never opened.
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "offline/posix/OfflineRegistry.h"
#include "platform/SystemFacts.h"

namespace hs::offline {

struct Profile {
  std::string sid;
  std::string name;          // the profile folder's name
  std::string windowsPath;   // ProfileImagePath, expanded
  std::string hostPath;      // "" when the folder is not on the volume
  std::string ntuserPath;    // "" when NTUSER.DAT is missing
  std::string usrClassPath;  // "" when UsrClass.dat is missing
  bool system = false;       // S-1-5-18/19/20
};

// One hive file as the installation uses it, with how it read.
struct HiveUse {
  std::string role;  // "SOFTWARE", "SYSTEM", "DEFAULT", "NTUSER.DAT of S-1-5-..."
  std::string path;
  std::shared_ptr<HiveFile> hive;  // null when it could not be read
  HiveState state;
  std::string error;  // why it could not be read
};

class OfflineInstallation {
 public:
  // `dir` is the volume root or its Windows folder. Nothing, with `error`
  // set, when no Windows folder with System32\config is found there.
  static std::unique_ptr<OfflineInstallation> Locate(const std::string& dir, std::string& error);

  const std::string& volumeRoot() const { return volumeRoot_; }
  const std::string& windowsFolder() const { return windowsFolder_; }
  char driveLetter() const { return driveLetter_; }

  const std::string& configFolder() const { return configFolder_; }
  // Hives opened from now on are opened for writing (a stale one stays
  // read-only). SAM and SECURITY are never opened at all.
  void openForWriting() { forWriting_ = true; }

  // Opens SOFTWARE, SYSTEM and DEFAULT, then reads the profiles. False,
  // with `error`, when SOFTWARE or SYSTEM cannot be read at all.
  bool openMachineHives(std::string& error);
  const std::vector<Profile>& profiles() const { return profiles_; }
  // The chosen user by SID or folder name; "" picks the only profile that is
  // not the system's. Nothing, with `error` naming the candidates, else.
  std::optional<Profile> chooseUser(const std::string& wanted, std::string& error) const;
  // Opens every profile's hives and mounts the whole registry, `user` as
  // HKEY_CURRENT_USER (and its classes in HKEY_CLASSES_ROOT).
  void mountRegistry(const std::optional<Profile>& user);

  OfflineRegistry& registry() { return registry_; }
  const std::vector<HiveUse>& hives() const { return hives_; }
  // The version, 64-bit and user SID from the hives.
  SystemFacts facts(const std::optional<Profile>& user) const;
  bool windows64() const;
  // A machine value as text ("" when missing): HKLM path and value name.
  std::string machineText(const std::string& path, const std::string& name);
  std::optional<std::uint32_t> machineDword(const std::string& path, const std::string& name);

 private:
  std::shared_ptr<HiveFile> open(const std::string& role, const std::string& path);
  std::string expand(const std::string& text) const;
  void readProfiles();
  HiveLayer root(const std::shared_ptr<HiveFile>& hive) const;
  void mountCurrentConfig();
  void mountUser(RootKey root, const std::string& path, const Profile& profile);

  std::string volumeRoot_, windowsFolder_, configFolder_;
  char driveLetter_ = 'C';
  bool forWriting_ = false;
  std::string systemRootWindows_ = "C:\\Windows";
  std::vector<HiveUse> hives_;
  std::map<std::string, std::shared_ptr<HiveFile>> byPath_;
  std::shared_ptr<HiveFile> software_, system_, default_;
  std::vector<Profile> profiles_;
  OfflineRegistry registry_;
};

}  // namespace hs::offline

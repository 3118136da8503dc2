#include "offline/posix/OfflineInstallation.h"

#include <filesystem>

#include "common/Text.h"
#include "offline/posix/NoCasePath.h"

namespace hs::offline {

namespace fs = std::filesystem;

namespace {

constexpr const char* kProfileListKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr const char* kNtCurrentVersion = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

bool IsSystemSid(const std::string& sid) {
  return sid == "S-1-5-18" || sid == "S-1-5-19" || sid == "S-1-5-20";
}

std::string TextOf(const RegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz) return "";
  std::u16string text = Utf16FromLeBytes(value.data);
  if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  return Utf16ToUtf8(text);
}

}  // namespace

std::unique_ptr<OfflineInstallation> OfflineInstallation::Locate(const std::string& dir,
                                                                 std::string& error) {
  auto installation = std::unique_ptr<OfflineInstallation>(new OfflineInstallation);
  std::error_code ec;
  const std::string absolute = fs::absolute(dir, ec).lexically_normal().string();
  const std::string folder = !absolute.empty() && absolute.back() == '/' && absolute.size() > 1
                                 ? absolute.substr(0, absolute.size() - 1)
                                 : absolute;
  if (auto config = FindNoCase(folder, {"System32", "config"})) {
    installation->windowsFolder_ = folder;
    installation->volumeRoot_ = fs::path(folder).parent_path().string();
    installation->configFolder_ = *config;
  } else if (auto windows = FindNoCase(folder, {"Windows"})) {
    if (auto config2 = FindNoCase(*windows, {"System32", "config"})) {
      installation->windowsFolder_ = *windows;
      installation->volumeRoot_ = folder;
      installation->configFolder_ = *config2;
    }
  }
  if (installation->configFolder_.empty()) {
    error = dir + " holds no Windows installation (no Windows\\System32\\config folder)";
    return nullptr;
  }
  return installation;
}

std::shared_ptr<HiveFile> OfflineInstallation::open(const std::string& role,
                                                    const std::string& path) {
  if (auto known = byPath_.find(path); known != byPath_.end()) return known->second;
  HiveUse use{role, path, nullptr, {}, ""};
  std::optional<LoadedHive> loaded = LoadHive(path, use.error);
  if (loaded) {
    use.state = loaded->state;
    if (loaded->state.outcome == ReplayOutcome::NotAHive)
      use.error = loaded->state.detail;
    else
      use.hive = HiveFile::Open(std::move(*loaded), use.error);
  }
  if (use.hive) use.error.clear();
  hives_.push_back(use);
  byPath_[path] = use.hive;
  return use.hive;
}

HiveLayer OfflineInstallation::root(const std::shared_ptr<HiveFile>& hive) const {
  return {hive, hive->root()};
}

bool OfflineInstallation::openMachineHives(std::string& error) {
  auto file = [&](const char* name) {
    std::optional<std::string> path = FindNoCase(configFolder_, {name});
    return path ? open(name, *path) : nullptr;
  };
  software_ = file("SOFTWARE");
  system_ = file("SYSTEM");
  default_ = file("DEFAULT");
  if (!software_ || !system_) {
    error = "the SOFTWARE and SYSTEM hives in " + configFolder_ + " cannot be read";
    for (const HiveUse& use : hives_)
      if (!use.hive) error += "; " + use.role + ": " + (use.error.empty() ? "missing" : use.error);
    return false;
  }
  registry_.mount(RootKey::LocalMachine, "SOFTWARE", {root(software_)});
  registry_.mount(RootKey::LocalMachine, "SYSTEM", {root(system_)});
  const std::string systemRoot = machineText(kNtCurrentVersion, "SystemRoot");
  if (systemRoot.size() >= 2 && systemRoot[1] == ':') {
    systemRootWindows_ = systemRoot;
    driveLetter_ = static_cast<char>(std::toupper(static_cast<unsigned char>(systemRoot[0])));
  }
  readProfiles();
  return true;
}

std::string OfflineInstallation::machineText(const std::string& path, const std::string& name) {
  RegKeyPtr key;
  RegValue value;
  if (registry_.openKey(RootKey::LocalMachine, nullptr, path, RegAccess::Read, false, key) !=
          RegStatus::Ok ||
      registry_.queryValue(*key, name, value) != RegStatus::Ok)
    return "";
  return TextOf(value);
}

std::optional<std::uint32_t> OfflineInstallation::machineDword(const std::string& path,
                                                               const std::string& name) {
  RegKeyPtr key;
  RegValue value;
  if (registry_.openKey(RootKey::LocalMachine, nullptr, path, RegAccess::Read, false, key) !=
          RegStatus::Ok ||
      registry_.queryValue(*key, name, value) != RegStatus::Ok || value.type != kRegDword ||
      value.data.size() != 4)
    return std::nullopt;
  return static_cast<std::uint32_t>(value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                    value.data[3] << 24);
}

// The few variables profile paths use, from the hives.
std::string OfflineInstallation::expand(const std::string& text) const {
  std::string out = text;
  const std::pair<const char*, std::string> known[] = {
      {"%SystemRoot%", systemRootWindows_},
      {"%windir%", systemRootWindows_},
      {"%SystemDrive%", std::string(1, driveLetter_) + ":"}};
  for (const auto& [name, value] : known)
    for (std::size_t at; (at = hs::FindNoCase(out, name)) != std::string::npos;)
      out.replace(at, std::string_view(name).size(), value);
  return out;
}

void OfflineInstallation::readProfiles() {
  RegKeyPtr list;
  std::vector<std::string> sids;
  if (registry_.openKey(RootKey::LocalMachine, nullptr, kProfileListKey, RegAccess::Read, false,
                        list) != RegStatus::Ok ||
      registry_.subkeyNames(*list, sids) != RegStatus::Ok)
    return;
  for (const std::string& sid : sids) {
    Profile profile;
    profile.sid = sid;
    profile.system = IsSystemSid(sid);
    profile.windowsPath =
        expand(machineText(std::string(kProfileListKey) + "\\" + sid, "ProfileImagePath"));
    const std::size_t slash = profile.windowsPath.rfind('\\');
    profile.name =
        slash == std::string::npos ? profile.windowsPath : profile.windowsPath.substr(slash + 1);
    if (auto host = HostPathOf(volumeRoot_, driveLetter_, profile.windowsPath)) {
      profile.hostPath = *host;
      profile.ntuserPath = FindNoCase(*host, {"NTUSER.DAT"}).value_or("");
      profile.usrClassPath =
          FindNoCase(*host, {"AppData", "Local", "Microsoft", "Windows", "UsrClass.dat"})
              .value_or("");
    }
    profiles_.push_back(std::move(profile));
  }
}

std::optional<Profile> OfflineInstallation::chooseUser(const std::string& wanted,
                                                       std::string& error) const {
  std::vector<const Profile*> candidates;
  for (const Profile& profile : profiles_) {
    if (profile.system) continue;
    if (wanted.empty() || EqualsNoCase(profile.sid, wanted) || EqualsNoCase(profile.name, wanted))
      candidates.push_back(&profile);
  }
  if (candidates.size() == 1) {
    if (candidates.front()->ntuserPath.empty()) {
      error = "the profile of " + candidates.front()->name + " (" + candidates.front()->sid +
              ") has no NTUSER.DAT at " + candidates.front()->windowsPath;
      return std::nullopt;
    }
    return *candidates.front();
  }
  if (candidates.empty()) {
    error = wanted.empty() ? "the installation has no user profile"
                           : "no user profile is named " + wanted + " (see 'users')";
    return std::nullopt;
  }
  error = "several user profiles; choose one with --user:";
  for (const Profile* profile : candidates)
    error += " " + profile->name + " (" + profile->sid + ")";
  return std::nullopt;
}

void OfflineInstallation::mountUser(RootKey rootKey, const std::string& path,
                                    const Profile& profile) {
  std::shared_ptr<HiveFile> ntuser = open("NTUSER.DAT of " + profile.sid, profile.ntuserPath);
  if (!ntuser) return;
  registry_.mount(rootKey, path, {root(ntuser)});
  if (profile.usrClassPath.empty()) return;
  if (std::shared_ptr<HiveFile> classes =
          open("UsrClass.dat of " + profile.sid, profile.usrClassPath))
    registry_.mount(rootKey, path.empty() ? "Software\\Classes" : path + "\\Software\\Classes",
                    {root(classes)});
}

// HKEY_CURRENT_CONFIG is Hardware Profiles\Current, a volatile link made at
// boot: offline it is the profile IDConfigDB names (0001 on current Windows).
void OfflineInstallation::mountCurrentConfig() {
  const std::string profiles = "SYSTEM\\CurrentControlSet\\Hardware Profiles\\";
  std::optional<std::vector<HiveLayer>> config =
      registry_.layersAt(RootKey::LocalMachine, profiles + "Current");
  if (!config) {
    const std::optional<std::uint32_t> number =
        machineDword("SYSTEM\\CurrentControlSet\\Control\\IDConfigDB", "CurrentConfig");
    if (!number || *number > 9999) return;
    std::string name = std::to_string(*number);
    name.insert(0, 4 - name.size(), '0');
    config = registry_.layersAt(RootKey::LocalMachine, profiles + name);
  }
  if (config) registry_.mount(RootKey::CurrentConfig, "", *config);
}

void OfflineInstallation::mountRegistry(const std::optional<Profile>& user) {
  // CurrentControlSet is made at boot from Select\Current.
  if (std::optional<std::uint32_t> current = machineDword("SYSTEM\\Select", "Current")) {
    std::string number = std::to_string(*current);
    number.insert(0, 3 - std::min<std::size_t>(3, number.size()), '0');
    if (auto set = registry_.layersAt(RootKey::LocalMachine, "SYSTEM\\ControlSet" + number)) {
      registry_.mount(RootKey::LocalMachine, "SYSTEM\\CurrentControlSet", *set);
      mountCurrentConfig();
    }
  }
  if (default_) {
    registry_.mount(RootKey::Users, ".DEFAULT", {root(default_)});
    registry_.mount(RootKey::Users, "S-1-5-18", {root(default_)});
  }
  for (const Profile& profile : profiles_) {
    if (profile.ntuserPath.empty() || profile.sid == "S-1-5-18") continue;
    mountUser(RootKey::Users, profile.sid, profile);
    if (std::shared_ptr<HiveFile> classes =
            profile.usrClassPath.empty()
                ? nullptr
                : open("UsrClass.dat of " + profile.sid, profile.usrClassPath))
      registry_.mount(RootKey::Users, profile.sid + "_Classes", {root(classes)});
  }
  std::vector<HiveLayer> classesRoot;
  if (user) {
    mountUser(RootKey::CurrentUser, "", *user);
    if (auto userClasses = registry_.layersAt(RootKey::Users, user->sid + "_Classes"))
      classesRoot = *userClasses;
  }
  if (auto machineClasses = registry_.layersAt(RootKey::LocalMachine, "SOFTWARE\\Classes"))
    classesRoot.insert(classesRoot.end(), machineClasses->begin(), machineClasses->end());
  if (!classesRoot.empty()) registry_.mount(RootKey::ClassesRoot, "", classesRoot);
}

bool OfflineInstallation::windows64() const {
  return FindNoCase(windowsFolder_, {"SysWOW64"}).has_value() ||
         const_cast<OfflineInstallation*>(this)
             ->registry_.layersAt(RootKey::LocalMachine, "SOFTWARE\\Wow6432Node")
             .has_value();
}

SystemFacts OfflineInstallation::facts(const std::optional<Profile>& user) const {
  auto& self = const_cast<OfflineInstallation&>(*this);
  SystemFacts facts;
  facts.version.platformId = kPlatformWin32Nt;
  if (auto major = self.machineDword(kNtCurrentVersion, "CurrentMajorVersionNumber")) {
    facts.version.major = *major;
    facts.version.minor =
        self.machineDword(kNtCurrentVersion, "CurrentMinorVersionNumber").value_or(0);
  } else {
    const std::vector<std::string> parts =
        Split(self.machineText(kNtCurrentVersion, "CurrentVersion"), '.');
    if (parts.size() == 2) {
      facts.version.major = static_cast<std::uint32_t>(std::atoi(parts[0].c_str()));
      facts.version.minor = static_cast<std::uint32_t>(std::atoi(parts[1].c_str()));
    }
  }
  // On a 64-bit Windows the hives hold 32-bit programs' paths that Windows
  // redirects (System32 -> SysWOW64, Program Files -> Program Files (x86));
  // the scan leaves such paths unjudged, as the 32-bit build does there,
  // rather than report a file missing that is only elsewhere.
  facts.wow64 = windows64();
  if (user) facts.userSid = user->sid;
  return facts;
}

}  // namespace hs::offline

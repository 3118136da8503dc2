// The offline layout on a volume made of real hives (SYSTEM, a user's
// NTUSER.DAT and dirty UsrClass.dat) and a SOFTWARE hive written here with
// python3-hivex from the empty recovery hive.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "offline/posix/HiveTestFiles.h"
#include "offline/posix/OfflineInstallation.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAnn = "S-1-5-21-1-2-3-1001";

// SOFTWARE with the version, two profiles (one of them the system's, unless
// `withSystem` is false, as Wine has it) and machine classes; `extraUser`
// adds a second user profile.
void WriteSoftware(const std::string& empty, const std::string& out, bool extraUser,
                   bool withSystem = true) {
  const std::string script = R"PY(
import hivex, sys
h = hivex.Hivex(sys.argv[1], write=True)
def key(path):
    node = h.root()
    for part in path.split("\\"):
        child = h.node_get_child(node, part)
        node = child if child else h.node_add_child(node, part)
    return node
def sz(text, t=1): return {"key": "", "t": t, "value": (text + "\0").encode("utf-16le")}
def named(name, v): v["key"] = name; return v
h.node_set_values(key("Microsoft\\Windows NT\\CurrentVersion"), [
    named("SystemRoot", sz("C:\\Windows")),
    {"key": "CurrentMajorVersionNumber", "t": 4, "value": (10).to_bytes(4, "little")}])
pl = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\"
h.node_set_values(key(pl + "S-1-5-21-1-2-3-1001"), [named("ProfileImagePath", sz("%SystemDrive%\\Users\\Ann", 2))])
if "system" in sys.argv[3:]:
    h.node_set_values(key(pl + "S-1-5-18"), [named("ProfileImagePath", sz("%systemroot%\\system32\\config\\systemprofile", 2))])
if "bob" in sys.argv[3:]:
    h.node_set_values(key(pl + "S-1-5-21-1-2-3-1002"), [named("ProfileImagePath", sz("C:\\Users\\Bob", 2))])
h.node_set_values(key("Classes\\.machineonly"), [sz("machine")])
key("Wow6432Node")
h.commit(sys.argv[2])
)PY";
  std::ofstream(out + ".py") << script;
  const std::string command = "/usr/bin/python3 '" + out + ".py' '" + empty + "' '" + out + "'" +
                              (extraUser ? " bob" : "") + (withSystem ? " system" : "");
  ASSERT_EQ(std::system(command.c_str()), 0);
}

class OfflineLayout : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
    volume = folder.path() + "/volume";
    const std::string config = volume + "/Windows/System32/config";
    const std::string profile = volume + "/USERS/ann";  // other letter cases than recorded
    fs::create_directories(config);
    fs::create_directories(profile + "/AppData/Local/Microsoft/Windows");
    fs::rename(folder.take("real/SYSTEM"), config + "/SYSTEM");
    fs::copy_file(folder.take("recovery/EmptyHive"), config + "/DEFAULT");
    fs::rename(folder.take("real/NTUSER.DAT"), profile + "/ntuser.dat");
    for (const char* file : {"UsrClass.dat", "UsrClass.dat.LOG1", "UsrClass.dat.LOG2"})
      fs::rename(folder.take(std::string("real/") + file),
                 profile + "/AppData/Local/Microsoft/Windows/" + file);
  }

  std::unique_ptr<OfflineInstallation> open(const std::string& dir, bool extraUser = false,
                                            bool withSystem = true) {
    WriteSoftware(folder.path() + "/EmptyHive", volume + "/Windows/System32/config/SOFTWARE",
                  extraUser, withSystem);
    std::string error;
    std::unique_ptr<OfflineInstallation> installation = OfflineInstallation::Locate(dir, error);
    EXPECT_TRUE(installation) << error;
    if (installation) {
      EXPECT_TRUE(installation->openMachineHives(error)) << error;
    }
    return installation;
  }

  bool opens(OfflineInstallation& installation, RootKey root, const std::string& path) {
    RegKeyPtr key;
    return installation.registry().openKey(root, nullptr, path, RegAccess::Read, false, key) ==
           RegStatus::Ok;
  }

  std::vector<std::string> subkeys(OfflineInstallation& installation, RootKey root,
                                   const std::string& path) {
    RegKeyPtr key;
    std::vector<std::string> names;
    if (installation.registry().openKey(root, nullptr, path, RegAccess::Read, false, key) ==
        RegStatus::Ok)
      installation.registry().subkeyNames(*key, names);
    return names;
  }

  HiveFolder folder;
  std::string volume;
};

TEST_F(OfflineLayout, TheRegistryIsMountedAsTheRunningSystemShowsIt) {
  std::unique_ptr<OfflineInstallation> installation = open(volume);
  ASSERT_TRUE(installation);
  std::string error;
  const std::optional<Profile> user = installation->chooseUser("", error);
  ASSERT_TRUE(user) << error;
  EXPECT_EQ(user->sid, kAnn);
  EXPECT_EQ(user->name, "Ann");
  installation->mountRegistry(user);

  EXPECT_EQ(subkeys(*installation, RootKey::LocalMachine, ""),
            (std::vector<std::string>{"SOFTWARE", "SYSTEM"}));  // SAM, SECURITY never opened
  EXPECT_TRUE(opens(*installation, RootKey::LocalMachine, "system\\CurrentControlSet\\Services"));
  const std::vector<std::string> system = subkeys(*installation, RootKey::LocalMachine, "SYSTEM");
  EXPECT_NE(std::find(system.begin(), system.end(), "CurrentControlSet"), system.end());
  EXPECT_TRUE(opens(*installation, RootKey::CurrentConfig, ""));
  EXPECT_TRUE(opens(*installation, RootKey::CurrentUser, "Software"));
  EXPECT_TRUE(opens(*installation, RootKey::CurrentUser, "Software\\Classes\\Local Settings"));
  EXPECT_TRUE(opens(*installation, RootKey::Users, std::string(kAnn) + "_Classes\\Local Settings"));
  const std::string ann = kAnn;
  EXPECT_EQ(subkeys(*installation, RootKey::Users, ""),
            (std::vector<std::string>{".DEFAULT", "S-1-5-18", ann, ann + "_Classes"}));
  // The classes root: the union, the user's classes first.
  EXPECT_TRUE(opens(*installation, RootKey::ClassesRoot, ".machineonly"));
  EXPECT_TRUE(opens(*installation, RootKey::ClassesRoot, "Local Settings"));

  // One open file per hive, though the user's hives appear under two roots.
  int ntuser = 0;
  for (const HiveUse& use : installation->hives()) {
    EXPECT_TRUE(use.hive) << use.role << ": " << use.error;
    ntuser += fs::path(use.path).filename() == "ntuser.dat";
    if (fs::path(use.path).filename() == "UsrClass.dat") {
      EXPECT_EQ(use.state.outcome, ReplayOutcome::Replayed);
    }
  }
  EXPECT_EQ(ntuser, 1);

  const SystemFacts facts = installation->facts(user);
  EXPECT_EQ(facts.version.major, 10u);
  EXPECT_EQ(facts.userSid, kAnn);
  EXPECT_TRUE(installation->windows64());
}

// Wine lists no profile for the system account and shows no key for it.
TEST_F(OfflineLayout, TheSystemAccountsKeyIsShownOnlyWhenItHasAProfile) {
  std::unique_ptr<OfflineInstallation> installation = open(volume, false, false);
  ASSERT_TRUE(installation);
  std::string error;
  installation->mountRegistry(installation->chooseUser("", error));
  const std::string ann = kAnn;
  EXPECT_EQ(subkeys(*installation, RootKey::Users, ""),
            (std::vector<std::string>{".DEFAULT", ann, ann + "_Classes"}));
}

TEST_F(OfflineLayout, TheWindowsFolderWorksAsWellAndSeveralUsersMustBeChosenAmong) {
  std::unique_ptr<OfflineInstallation> installation = open(volume + "/Windows", true);
  ASSERT_TRUE(installation);
  EXPECT_EQ(installation->volumeRoot(), volume);
  std::string error;
  EXPECT_FALSE(installation->chooseUser("", error));
  EXPECT_NE(error.find("Ann"), std::string::npos) << error;
  EXPECT_NE(error.find("Bob"), std::string::npos) << error;
  EXPECT_TRUE(installation->chooseUser("ann", error)) << error;
  EXPECT_FALSE(installation->chooseUser("bob", error));  // no NTUSER.DAT on the volume
  EXPECT_NE(error.find("NTUSER.DAT"), std::string::npos);

  std::string missing;
  EXPECT_FALSE(OfflineInstallation::Locate(folder.path(), missing));
  EXPECT_NE(missing.find("no Windows installation"), std::string::npos);
}

}  // namespace
}  // namespace hs::offline::test

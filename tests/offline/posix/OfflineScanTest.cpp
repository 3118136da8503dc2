// hivesweep-offline scan and backups on a small Windows volume in a
// temporary folder: hives written with python3-hivex from the empty recovery
// hive, files present and missing in other letter cases, the installed
// program's options.ini with an ignore list and a backup folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "findings/posix/ScanJsonSchema.h"
#include "offline/posix/HiveTestFiles.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

// argv: empty hive, output folder[, "x86": the program's uninstall entry in
// the 32-bit view]. Writes SOFTWARE, SYSTEM, NTUSER.DAT.
constexpr const char* kMakeHives = R"PY(
import hivex, shutil, sys
empty, out = sys.argv[1], sys.argv[2]
def hive(name, build):
    shutil.copy(empty, out + "/" + name)
    h = hivex.Hivex(out + "/" + name, write=True)
    def key(path):
        node = h.root()
        for part in path.split("\\"):
            child = h.node_get_child(node, part)
            node = child if child else h.node_add_child(node, part)
        return node
    build(h, key)
    h.commit(None)
def sz(name, text, t=1): return {"key": name, "t": t, "value": (text + "\0").encode("utf-16le")}
def dword(name, n): return {"key": name, "t": 4, "value": n.to_bytes(4, "little")}
def software(h, key):
    cv = "Microsoft\\Windows\\CurrentVersion"
    h.node_set_values(key("Microsoft\\Windows NT\\CurrentVersion"), [
        sz("SystemRoot", "C:\\Windows"), dword("CurrentMajorVersionNumber", 10)])
    pl = "Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\"
    h.node_set_values(key(pl + "S-1-5-21-1-2-3-1001"), [sz("ProfileImagePath", "%SystemDrive%\\Users\\Ann", 2)])
    h.node_set_values(key(pl[:-1]), [sz("ProgramData", "%SystemDrive%\\ProgramData", 2)])
    h.node_set_values(key(cv), [sz("ProgramFilesDir", "C:\\Program Files")])
    h.node_set_values(key(cv + "\\Run"), [
        sz("Gone", "C:\\Gone\\run.exe"), sz("Here", "C:\\tools\\present.exe"),
        sz("InProgramFiles", "%ProgramFiles%\\Acme\\acme.exe", 2),
        sz("GoneFromProgramFiles", "C:\\Program Files\\Old\\old.exe")])
    h.node_set_values(key(cv + "\\SharedDlls"), [
        dword("C:\\Tools\\present.dll", 1), dword("C:\\Tools\\absent.dll", 1),
        dword("C:\\Tools\\unused.dll", 0)])
    view = "Wow6432Node\\" if sys.argv[3:] == ["x86"] else ""
    h.node_set_values(key(view + cv + "\\Uninstall\\Corvane Hivesweep"), [
        sz("InstallLocation", "%ProgramFiles%\\Corvane Hivesweep", 2)])
def system(h, key):
    h.node_set_values(key("Select"), [dword("Current", 1)])
    h.node_set_values(key("ControlSet001\\Control\\Session Manager\\Environment"), [
        sz("TOOLS", "%SystemDrive%\\Tools", 2)])
    h.node_set_values(key("ControlSet001\\Control\\Nls\\CodePage"), [sz("ACP", "1252")])
def ntuser(h, key):
    h.node_set_values(key("Environment"), [sz("MINE", "%USERPROFILE%\\Mine", 2)])
    h.node_set_values(key("Software\\Microsoft\\Windows\\CurrentVersion\\Run"), [
        sz("UserGone", "%MINE%\\gone.exe", 2), sz("UserHere", "%Mine%\\here.exe", 2),
        sz("MachineVar", "%tools%\\present.exe", 2)])
    h.node_set_values(key("Software\\Vendor\\Tool"), [sz("Path", "C:\\Gone\\tool.exe")])
    h.node_set_values(key("Software\\Vendor\\Ignored"), [sz("Path", "C:\\Gone\\x.exe")])
hive("SOFTWARE", software)
hive("SYSTEM", system)
hive("NTUSER.DAT", ntuser)
)PY";

std::string RunCommand(const std::string& command, int& exitCode) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = ::pclose(pipe);
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

void Touch(const fs::path& path, const std::string& content = "x") {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << content;
}

class OfflineScan : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
    volume = folder.path() + "/volume";
    const std::string config = volume + "/WINDOWS/system32/Config";
    fs::create_directories(config);
    fs::create_directories(volume + "/Users/ann");
    std::ofstream(folder.path() + "/make.py") << kMakeHives;
    folder.take("recovery/EmptyHive");
    makeHives("");
    Touch(volume + "/TOOLS/Present.EXE");
    Touch(volume + "/TOOLS/present.dll");
    Touch(volume + "/Program Files/ACME/Acme.EXE");
    Touch(volume + "/Users/ann/mine/HERE.exe");
    const std::string program = volume + "/Program Files/Corvane Hivesweep";
    Touch(program + "/hivesweep.exe");
    Touch(program + "/options.ini",
          "[Options]\r\nOutputDirectory=C:\\Program Files\\Corvane Hivesweep\\Saved\r\n"
          "[IgnoreKey]\r\nCount=1\r\nKey1=HKEY_CURRENT_USER\\Software\\Vendor\\Ignored\r\n");
  }

  void makeHives(const std::string& extra) {
    const std::string make = "/usr/bin/python3 '" + folder.path() + "/make.py' '" + folder.path() +
                             "/EmptyHive' '" + folder.path() + "' " + extra;
    ASSERT_EQ(std::system(make.c_str()), 0);
    const std::string config = volume + "/WINDOWS/system32/Config";
    fs::rename(folder.path() + "/SOFTWARE", config + "/SOFTWARE");
    fs::rename(folder.path() + "/SYSTEM", config + "/system");
    fs::rename(folder.path() + "/NTUSER.DAT", volume + "/Users/ann/NTUSER.DAT");
  }

  // The rows' keys in scan order.
  std::vector<std::string> rowKeys(const std::string& args, int& exitCode) {
    json = offline(args + " --json-v1", exitCode);
    std::vector<std::string> keys;
    for (std::size_t at = 0; (at = json.find("\"key\": \"", at)) != std::string::npos;) {
      at += 8;
      keys.push_back(json.substr(at, json.find('"', at) - at));
    }
    return keys;
  }

  std::string offline(const std::string& args, int& exitCode) {
    return RunCommand(
        std::string(HS_OFFLINE_PROGRAM) + " " + args + " 2>'" + folder.path() + "/err'", exitCode);
  }
  std::string errors() {
    std::ifstream file(folder.path() + "/err");
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  HiveFolder folder;
  std::string volume;
  std::string json;  // of the last rowKeys
};

TEST_F(OfflineScan, FindsExactlyTheMissingReferencesWithTheInstallationsEnvironmentAndSettings) {
  int exitCode = -1;
  // Each present file (other letter case, reached through the hives'
  // variables) and the ignored key give no row.
  const std::vector<std::string> keys =
      rowKeys("scan --windows '" + volume + "' --sections startup,shared-dlls,4", exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  const std::string run = "\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\\\\";
  const std::string dlls =
      "HKEY_LOCAL_MACHINE\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\SharedDlls";
  const std::vector<std::string> expected = {
      "HKEY_CURRENT_USER" + run + "UserGone",
      "HKEY_LOCAL_MACHINE" + run + "Gone",
      "HKEY_LOCAL_MACHINE" + run + "GoneFromProgramFiles",
      dlls,
      dlls,
      "HKEY_CURRENT_USER\\\\Software\\\\Vendor\\\\Tool\\\\Path"};
  EXPECT_EQ(keys, expected) << json;
  EXPECT_NE(json.find("C:\\\\Tools\\\\absent.dll"), std::string::npos);
  EXPECT_NE(json.find("C:\\\\Tools\\\\unused.dll"), std::string::npos);

  // Schema 2: the same rows with their evidence, valid against the schema.
  const std::string json2 =
      offline("scan --windows '" + volume + "' --sections startup,shared-dlls,4 --json", exitCode);
  EXPECT_EQ(hs::test::ScanJsonSchemaComplaint(json2), "") << json2;
  const auto rows = nlohmann::json::parse(json2)["rows"];
  ASSERT_EQ(rows.size(), expected.size());
  EXPECT_EQ(rows.back()["evidence"]["path"], "C:\\Gone\\") << json2;
  EXPECT_EQ(rows.back()["evidence"]["answer"], "missing-folder");

  // The text report is hivesweep-cli's, written to the file named.
  const std::string report = folder.path() + "/report.txt";
  offline("scan --windows '" + volume + "/WINDOWS' --sections 9 --report '" + report + "'",
          exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  std::ifstream file(report, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(file), {});
  EXPECT_EQ(text.rfind("This file was generated by Corvane Hivesweep\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("absent.dll"), std::string::npos);
}

// On a 64-bit Windows the x86 build leaves Program Files paths to
// redirection; the x64 build judges them. The offline scan is the installed
// build's.
TEST_F(OfflineScan, OnA64BitWindowsTheInstalledBuildDecidesWhetherProgramFilesIsJudged) {
  fs::create_directories(volume + "/WINDOWS/SysWOW64");
  const std::string scan = "scan --windows '" + volume + "' --sections startup";
  const std::string run = "\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run\\\\";
  const std::string userGone = "HKEY_CURRENT_USER" + run + "UserGone";
  const std::string gone = "HKEY_LOCAL_MACHINE" + run + "Gone";
  int exitCode = -1;
  EXPECT_EQ(rowKeys(scan, exitCode),
            (std::vector<std::string>{userGone, gone, gone + "FromProgramFiles"}));
  makeHives("x86");
  EXPECT_EQ(rowKeys(scan, exitCode), (std::vector<std::string>{userGone, gone})) << errors();
}

TEST_F(OfflineScan, RefusesBadUsageAndSaysWhy) {
  int exitCode = -1;
  offline("scan --windows '" + volume + "' --sections nonsense", exitCode);
  EXPECT_EQ(exitCode, 2);
  EXPECT_NE(errors().find("unknown section 'nonsense'"), std::string::npos) << errors();
  offline("scan --windows '" + volume + "' --user nobody", exitCode);
  EXPECT_EQ(exitCode, 2);
  EXPECT_NE(errors().find("no user profile is named nobody"), std::string::npos) << errors();
  offline("scan --windows '" + volume + "' --drive C=" + folder.path(), exitCode);
  EXPECT_EQ(exitCode, 2);
  offline("scan --windows '" + folder.path() + "'", exitCode);
  EXPECT_EQ(exitCode, 3);
  offline("scan --windows '" + volume + "' --report /nonexistent/folder/r.txt", exitCode);
  EXPECT_EQ(exitCode, 3);
  EXPECT_NE(errors().find("cannot write the report to /nonexistent/folder/r.txt"),
            std::string::npos)
      << errors();
}

TEST_F(OfflineScan, BackupsListsTheFolderOfTheInstalledProgramsSettingsNewestFirst) {
  const std::string saved = volume + "/Program Files/Corvane Hivesweep/Saved/";
  // Backup files are named by their time: the newest has the greatest name.
  Touch(saved + "2026-01-01 0800.reg", "REGEDIT4\r\n");
  Touch(saved + "2026-01-02 0800.reg", "REGEDIT4\r\n\r\n");
  int exitCode = -1;
  const std::string list = offline("backups --windows '" + volume + "'", exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  EXPECT_EQ(list.rfind("2026-01-02 0800.reg\t", 0), 0u) << list;
  EXPECT_NE(list.find("\n2026-01-01 0800.reg\t"), std::string::npos) << list;
  const std::string json = offline("backups --windows '" + volume + "' --json", exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  EXPECT_NE(json.find("\"file\": \"2026-01-02 0800.reg\""), std::string::npos) << json;
}

}  // namespace
}  // namespace hs::offline::test

#include "offline/posix/SmallInstallation.h"

#include <sys/wait.h>

#include <filesystem>
#include <fstream>

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
    h.node_set_values(key("Software\\Vendor\\Tool"), [sz("Path", "C:\\Gone\\tool.exe"),
        {"key": "Blob", "t": 3, "value": b"b" * 20000}])
    h.node_set_values(key("Software\\Vendor\\Ignored"), [sz("Path", "C:\\Gone\\x.exe")])
hive("SOFTWARE", software)
hive("SYSTEM", system)
hive("NTUSER.DAT", ntuser)
)PY";

}  // namespace

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

void Touch(const std::string& path, const std::string& content) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << content;
}

void SmallInstallation::SetUp() {
  if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  volume = folder.path() + "/volume";
  fs::create_directories(configFolder());
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

void SmallInstallation::makeHives(const std::string& extra) {
  const std::string make = "/usr/bin/python3 '" + folder.path() + "/make.py' '" + folder.path() +
                           "/EmptyHive' '" + folder.path() + "' " + extra;
  ASSERT_EQ(std::system(make.c_str()), 0);
  fs::rename(folder.path() + "/SOFTWARE", configFolder() + "/SOFTWARE");
  fs::rename(folder.path() + "/SYSTEM", configFolder() + "/system");
  fs::rename(folder.path() + "/NTUSER.DAT", volume + "/Users/ann/NTUSER.DAT");
}

std::string SmallInstallation::offline(const std::string& args, int& exitCode) {
  return RunCommand(std::string(HS_OFFLINE_PROGRAM) + " " + args + " 2>'" + folder.path() + "/err'",
                    exitCode);
}

std::string SmallInstallation::errors() {
  std::ifstream file(folder.path() + "/err");
  return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace hs::offline::test

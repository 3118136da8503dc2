#include "repair/ProtectedKeys.h"

#include <cctype>
#include <string>
#include <vector>

#include "common/Text.h"

namespace hs {
namespace {

using PathList = std::vector<std::string>;

std::string Join(const std::string& a, const std::string& b) {
  if (a.empty()) return b;
  return b.empty() ? a : a + "\\" + b;
}

PathList Prefixed(const std::string& prefix, const PathList& list) {
  PathList out;
  for (const std::string& entry : list) out.push_back(Join(prefix, entry));
  return out;
}

PathList Both(PathList a, const PathList& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Below a classes root (HKEY_CLASSES_ROOT, ...\Software\Classes, a user's
// _Classes hive): the registration roots and the shell's own types.
const PathList& ClassesPaths() {
  static const PathList base = {"",        "CLSID",   "INTERFACE", "TYPELIB", "APPID",
                                "*",       "FOLDER",  "DIRECTORY", "DRIVE",   ".EXE",
                                "EXEFILE", ".LNK",    "LNKFILE",   ".BAT",    "BATFILE",
                                ".CMD",    "CMDFILE", ".REG",      "REGFILE"};
  static const PathList all = Both(base, Prefixed("WOW6432NODE", base));
  return all;
}

// Below a Software key, machine or user, and its 32-bit view.
const PathList& SoftwarePaths() {
  static const PathList base = Both(
      {"", "POLICIES", "MICROSOFT\\WINDOWS NT\\CURRENTVERSION",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\UNINSTALL", "MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCE",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNONCEEX",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICES",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUNSERVICESONCE",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\POLICIES\\EXPLORER\\RUN",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\APP PATHS",
       "MICROSOFT\\WINDOWS\\CURRENTVERSION\\SHAREDDLLS"},
      Prefixed("CLASSES", ClassesPaths()));
  static const PathList all = Both(base, Prefixed("WOW6432NODE", base));
  return all;
}

// Below HKEY_LOCAL_MACHINE\SYSTEM; numbered control sets are matched as the
// current one.
const PathList& SystemPaths() {
  static const PathList list = {"",
                                "SELECT",
                                "SETUP",
                                "MOUNTEDDEVICES",
                                "CURRENTCONTROLSET\\SERVICES",
                                "CURRENTCONTROLSET\\CONTROL",
                                "CURRENTCONTROLSET\\ENUM",
                                "CURRENTCONTROLSET\\HARDWARE PROFILES"};
  return list;
}

const PathList& UserPaths() {
  static const PathList list = Prefixed("SOFTWARE", SoftwarePaths());
  return list;
}

const PathList& MachinePaths() {
  static const PathList list =
      Both(Prefixed("SOFTWARE", SoftwarePaths()), Prefixed("SYSTEM", SystemPaths()));
  return list;
}

// The path's components, upper-cased, empty ones dropped.
std::vector<std::string> KeyPathComponents(std::string_view keyPath) {
  std::vector<std::string> parts;
  for (const std::string& part : Split(UpperCase(keyPath), '\\'))
    if (!part.empty()) parts.push_back(part);
  return parts;
}

bool IsNumberedControlSet(const std::string& part) {
  if (part.size() != 13 || part.compare(0, 10, "CONTROLSET") != 0) return false;
  for (std::size_t i = 10; i < 13; ++i)
    if (!std::isdigit(static_cast<unsigned char>(part[i]))) return false;
  return true;
}

std::string JoinFrom(const std::vector<std::string>& parts, std::size_t first) {
  std::string joined;
  for (std::size_t i = first; i < parts.size(); ++i) joined = Join(joined, parts[i]);
  return joined;
}

// The path is one of the list or lies above one of them.
bool CoversListed(const std::string& path, const PathList& list) {
  for (const std::string& entry : list) {
    if (entry == path) return true;
    if (path.empty() || (entry.size() > path.size() && entry.compare(0, path.size(), path) == 0 &&
                         entry[path.size()] == '\\'))
      return true;
  }
  return false;
}

bool IsProtectedUserHive(const std::vector<std::string>& parts) {
  if (parts.size() <= 1) return true;  // HKEY_USERS itself or a profile
  const std::string rest = JoinFrom(parts, 1);
  if (EndsWithNoCase(parts[0], "_CLASSES")) return CoversListed(rest, ClassesPaths());
  return parts.size() == 2 || CoversListed(rest, UserPaths());
}

}  // namespace

bool IsProtectedKey(RootKey root, std::string_view keyPath) {
  std::vector<std::string> parts = KeyPathComponents(keyPath);
  switch (root) {
    case RootKey::ClassesRoot:
      return CoversListed(JoinFrom(parts, 0), ClassesPaths());
    case RootKey::CurrentUser:
      return parts.size() <= 1 || CoversListed(JoinFrom(parts, 0), UserPaths());
    case RootKey::LocalMachine:
      if (parts.size() >= 2 && parts[0] == "SYSTEM" && IsNumberedControlSet(parts[1]))
        parts[1] = "CURRENTCONTROLSET";
      return parts.size() <= 1 || CoversListed(JoinFrom(parts, 0), MachinePaths());
    case RootKey::Users:
      return IsProtectedUserHive(parts);
    case RootKey::CurrentConfig:
    case RootKey::PerformanceData:
    case RootKey::DynData:
      return parts.size() <= 1;
  }
  return true;
}

}  // namespace hs

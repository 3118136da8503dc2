#include "offline/posix/HiveTestFiles.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/Sha256.h"
#include "common/Text.h"

namespace hs::offline::test {

namespace fs = std::filesystem;

std::string HiveFolder::Source() {
  const char* env = std::getenv("HS_HIVES");
  return env && *env ? env : HS_HIVES;
}

bool HiveFolder::Available() {
  return fs::exists(Source() + "/real/SYSTEM.xz");
}

HiveFolder::HiveFolder() {
  std::string pattern = (fs::temp_directory_path() / "hivesweep-hives.XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

HiveFolder::~HiveFolder() {
  std::error_code ec;
  if (!path_.empty()) fs::remove_all(path_, ec);
}

std::string HiveFolder::take(const std::string& relative) {
  const std::string target = path_ + "/" + fs::path(relative).filename().string();
  const std::string command = "xz -dc '" + Source() + "/" + relative + ".xz' > '" + target + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return target;
}

std::shared_ptr<HiveFile> OpenHive(const std::string& path, bool forWriting) {
  std::string error;
  std::optional<LoadedHive> loaded = LoadHive(path, error);
  EXPECT_TRUE(loaded) << path << ": " << error;
  if (!loaded) return nullptr;
  std::unique_ptr<HiveFile> hive = HiveFile::Open(std::move(*loaded), error, forWriting);
  EXPECT_TRUE(hive) << path << ": " << error;
  return hive;
}

bool RunHivexScript(const std::string& folder, const std::string& script,
                    const std::vector<std::string>& args) {
  const std::string path =
      folder + "/script-" + std::to_string(std::hash<std::string>{}(script)) + ".py";
  std::ofstream(path) << script;
  std::string command = "/usr/bin/python3 '" + path + "'";
  for (const std::string& arg : args) command += " '" + arg + "'";
  return std::system(command.c_str()) == 0;
}

std::vector<ExportSection> ExportWithHivexregedit(const std::string& path) {
  const std::string out = path + ".export.reg";
  const std::string command =
      "hivexregedit --export '" + path + "' '\\' > '" + out + "' 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream file(out);
  std::vector<ExportSection> sections;
  for (std::string line; std::getline(file, line);) {
    if (line.rfind("[", 0) == 0)
      sections.push_back({line, {}});
    else if (!line.empty() && !sections.empty())
      sections.back().lines.push_back(line);
  }
  return sections;
}

std::unique_ptr<OfflineRegistry> RegistryOf(std::shared_ptr<HiveFile> hive) {
  auto registry = std::make_unique<OfflineRegistry>();
  const HiveNode root = hive->root();
  registry->mount(RootKey::LocalMachine, "TEST", {{std::move(hive), root}});
  return registry;
}

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += digits[static_cast<unsigned char>(c) >> 4];
    out += digits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

namespace {

void Walk(RegistryBackend& registry, const RegKeyHandle& key, const std::string& path,
          std::vector<std::string>& lines) {
  lines.push_back("K " + Hex(path));
  std::vector<RegValue> values;
  ASSERT_EQ(registry.values(key, values), RegStatus::Ok) << path;
  for (const RegValue& value : values) {
    const std::string_view data(reinterpret_cast<const char*>(value.data.data()),
                                value.data.size());
    lines.push_back("V " + Hex(path) + " " + Hex(value.name) + " " + std::to_string(value.type) +
                    " " + std::to_string(value.data.size()) + " " + DigestHex(Sha256Of(data)));
  }
  std::vector<std::string> names;
  ASSERT_EQ(registry.subkeyNames(key, names), RegStatus::Ok) << path;
  for (std::size_t i = 1; i < names.size(); ++i)
    EXPECT_LE(CompareNoCase(names[i - 1], names[i]), 0) << path << ": " << names[i];
  for (const std::string& name : names) {
    RegKeyPtr child;
    ASSERT_EQ(registry.openKey(RootKey::LocalMachine, &key, name, RegAccess::Read, false, child,
                               LastLink::OpenLink),
              RegStatus::Ok)
        << path << "\\" << name;
    Walk(registry, *child, path + "\\" + name, lines);
  }
}

}  // namespace

std::vector<std::string> DumpThroughBackend(RegistryBackend& registry) {
  std::vector<std::string> lines;
  RegKeyPtr root;
  EXPECT_EQ(registry.openKey(RootKey::LocalMachine, nullptr, "TEST", RegAccess::Read, false, root),
            RegStatus::Ok);
  if (root) Walk(registry, *root, "", lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> DumpWithPythonHivex(const std::string& path, bool asImported) {
  const std::string script = R"PY(
import hivex, hashlib, sys
h = hivex.Hivex(sys.argv[1])
imported = len(sys.argv) > 2
out = sys.stdout
def walk(node, path):
    out.write("K " + path.encode().hex() + "\n")
    for v in h.node_values(node):
        t, data = h.value_value(v)
        if imported and t in (1, 2, 7) and len(data) >= 2 and data[-2:] != b"\0\0":
            data += b"\0\0"
        out.write("V %s %s %d %d %s\n" % (path.encode().hex(), h.value_key(v).encode().hex(),
                  t, len(data), hashlib.sha256(data).hexdigest()))
    for c in h.node_children(node):
        walk(c, path + "\\" + h.node_name(c))
sys.setrecursionlimit(10000)
walk(h.root(), "")
)PY";
  const std::string scriptPath = path + ".dump.py";
  std::ofstream(scriptPath) << script;
  std::vector<std::string> lines;
  FILE* pipe = popen(
      ("/usr/bin/python3 '" + scriptPath + "' '" + path + "'" + (asImported ? " imported" : ""))
          .c_str(),
      "r");
  if (!pipe) return lines;
  std::string line;
  for (int c; (c = std::fgetc(pipe)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    lines.push_back(std::move(line));
    line.clear();
  }
  EXPECT_EQ(pclose(pipe), 0) << "python3-hivex could not read " << path;
  std::sort(lines.begin(), lines.end());
  return lines;
}

void ExpectSameLines(const std::vector<std::string>& ours, const std::vector<std::string>& theirs,
                     const std::string& what) {
  std::vector<std::string> onlyOurs, onlyTheirs;
  std::set_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(),
                      std::back_inserter(onlyOurs));
  std::set_difference(theirs.begin(), theirs.end(), ours.begin(), ours.end(),
                      std::back_inserter(onlyTheirs));
  EXPECT_EQ(ours.size(), theirs.size()) << what;
  for (std::size_t i = 0; i < std::min<std::size_t>(5, onlyOurs.size()); ++i)
    ADD_FAILURE() << what << ": only in ours: " << onlyOurs[i];
  for (std::size_t i = 0; i < std::min<std::size_t>(5, onlyTheirs.size()); ++i)
    ADD_FAILURE() << what << ": only in theirs: " << onlyTheirs[i];
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace hs::offline::test

// hivesweep-offline export, run as a program: every key and value of each
// real hive comes back from the .reg file (read by our own .reg reader) as
// python3-hivex reads the hive; damaged and stale hives say so by exit code.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "common/CodePage.h"
#include "common/Sha256.h"
#include "offline/posix/HiveTestFiles.h"
#include "regfile/RegFileReader.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

struct ProgramRun {
  int exitCode = -1;
  std::string err;
};

ProgramRun Export(const std::string& arguments, const std::string& folder) {
  const std::string errFile = folder + "/stderr.txt";
  const int status = std::system(
      (std::string(HS_OFFLINE_PROGRAM) + " export " + arguments + " 2>" + errFile).c_str());
  const std::vector<std::uint8_t> err = ReadFileBytes(errFile);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

// The dump lines of a .reg file whose keys start with `rootName`.
std::vector<std::string> DumpRegFile(const std::string& path, const std::string& rootName) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  RegFile file;
  RegFileError error;
  EXPECT_TRUE(
      ParseRegFile(std::string(bytes.begin(), bytes.end()), Windows1252CodePage(), file, error))
      << error.line << ": " << error.message;
  EXPECT_TRUE(file.unicode);
  std::vector<std::string> lines;
  for (const RegFileSection& section : file.sections) {
    const std::string path = section.keyPath.substr(rootName.size());
    lines.push_back("K " + Hex(path));
    for (const RegFileValue& entry : section.values) {
      const RegValue& value = entry.value;
      const std::string_view data(reinterpret_cast<const char*>(value.data.data()),
                                  value.data.size());
      lines.push_back("V " + Hex(path) + " " + Hex(value.name) + " " + std::to_string(value.type) +
                      " " + std::to_string(value.data.size()) + " " + DigestHex(Sha256Of(data)));
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HiveFolder::Available()) GTEST_SKIP() << "no hive files at " << HiveFolder::Source();
  }
  HiveFolder folder;
};

TEST_F(ExportCommand, EveryRealHiveExportsWhole) {
  const struct {
    const char* hive;
    const char* root;
    bool dirty;
  } cases[] = {{"real/NTUSER.DAT", "HKEY_CURRENT_USER", false},
               {"real/SYSTEM", "HKEY_LOCAL_MACHINE\\SYSTEM", false},
               {"real/UsrClass.dat", "HKEY_CURRENT_USER\\Software\\Classes", true}};
  folder.take("real/UsrClass.dat.LOG1");
  folder.take("real/UsrClass.dat.LOG2");
  for (const auto& c : cases) {
    const std::string hive = folder.take(c.hive);
    const std::string out = folder.path() + "/out.reg";
    const ProgramRun run = Export("--hive '" + hive + "' --out '" + out + "'", folder.path());
    ASSERT_EQ(run.exitCode, 0) << c.hive << ": " << run.err;
    // Against python3-hivex reading the file (the dirty one: its replayed
    // image), string data as the registry editor's import stores it.
    std::string readable = hive;
    if (c.dirty) {
      std::string error;
      std::optional<LoadedHive> loaded = LoadHive(hive, error);
      ASSERT_TRUE(loaded && loaded->state.outcome == ReplayOutcome::Replayed) << error;
      readable = folder.path() + "/replayed";
      std::ofstream(readable, std::ios::binary)
          .write(reinterpret_cast<const char*>(loaded->image.bytes().data()),
                 static_cast<std::streamsize>(loaded->image.bytes().size()));
    }
    ExpectSameLines(DumpRegFile(out, c.root), DumpWithPythonHivex(readable, true), c.hive);
    fs::remove(out);
  }
}

TEST_F(ExportCommand, DamagedStaleAndForeignFilesSaySo) {
  const std::string out = folder.path() + "/out.reg";
  ProgramRun run =
      Export("--hive '" + folder.take("real/corrupted_system_hive") + "' --out '" + out + "'",
             folder.path());
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("damaged"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out));  // no partial file left to pass for a whole one

  // Dirty, its logs missing: the primary as it stands, with a warning.
  run = Export(
      "--hive '" + folder.take("recovery/NewDirtyHive1/NewDirtyHive") + "' --out '" + out + "'",
      folder.path());
  EXPECT_EQ(run.exitCode, 4);
  EXPECT_NE(run.err.find("out of date"), std::string::npos) << run.err;
  EXPECT_TRUE(fs::exists(out));

  for (const char* broken : {"recovery/GarbageHive", "recovery/TruncatedHive"}) {
    run = Export("--hive '" + folder.take(broken) + "' --out '" + out + "'", folder.path());
    EXPECT_TRUE(run.exitCode == 3 || run.exitCode == 4) << broken << ": " << run.err;
    EXPECT_FALSE(run.err.empty()) << broken;
  }
  run = Export("--hive '" + folder.path() + "/stderr.txt'", folder.path());
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find("not a registry hive"), std::string::npos) << run.err;
}

}  // namespace
}  // namespace hs::offline::test

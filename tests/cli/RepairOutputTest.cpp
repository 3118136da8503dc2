#include <gtest/gtest.h>

#include "cli/RepairCommand.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"

namespace hs {
namespace {

// A memory file system that words its failures as Windows does.
class WordedFileSystem : public MemoryFileSystem {
 public:
  std::string lastErrorText() override { return "Access is denied."; }
};

class RepairOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg,
                              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
                              "\"Gone\"=\"C:\\\\gone.exe\"\r\n",
                              error));
    const Finding gone{"p",
                       "HKEY_CURRENT_USER\\Software\\Demo\\Gone",
                       "C:\\gone.exe",
                       FindingKind::fkValueInPath,
                       false,
                       3};
    const Finding missing{
        "p", "HKEY_CURRENT_USER\\Software\\Demo", "Missing", FindingKind::fkNamedValue, false, 3};
    // The same row twice: only one of them can be repaired.
    findings = {missing, gone, gone};
    hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
  }
  MemoryRegistry reg;
  std::vector<Finding> findings;
  RepairHooks hooks;
};

TEST_F(RepairOutputTest, JsonIsOneDocumentWithEveryRowItsOutcomeAndTheBackupFile) {
  MemoryFileSystem fs;
  const CommandOutput output = RunRepairCommand(reg, fs, findings, "C:\\B", hooks, true);
  EXPECT_EQ(output.exitCode, 0);
  EXPECT_EQ(output.err, "");
  const std::string row = "{\"problem\": \"p\", \"key\": \"HKEY_CURRENT_USER\\\\Software\\\\Demo";
  EXPECT_EQ(output.out,
            "{\"processed\": 3, \"backupFile\": \"C:\\\\B\\\\Backup20240307091502.reg\", "
            "\"backupNotRecorded\": null, \"recycledFilesNote\": null, "
            "\"completed\": true, \"error\": null, \"rows\": [\n  " +
                row +
                "\", \"value\": \"Missing\", \"kind\": 2, \"task\": 3, \"outcome\": \"not "
                "repaired\", \"reason\": \"the HKEY_CURRENT_USER\\\\Software\\\\Demo value "
                "\\\"Missing\\\" no longer exists\"},\n  " +
                row +
                "\\\\Gone\", \"value\": \"C:\\\\gone.exe\", \"kind\": 1, \"task\": 3, "
                "\"outcome\": \"not repaired\", \"reason\": \"the HKEY_CURRENT_USER\\\\Software"
                "\\\\Demo value \\\"Gone\\\" no longer exists\"},\n  " +
                row +
                "\\\\Gone\", \"value\": \"C:\\\\gone.exe\", \"kind\": 1, \"task\": 3, "
                "\"outcome\": \"repaired\", \"reason\": null}\n]}\n");
}

TEST_F(RepairOutputTest, AFolderThatCannotBeMadeLeavesEveryRowUnattemptedAndSaysWhy) {
  WordedFileSystem fs;
  fs.makeReadOnly("C:\\");
  for (const bool json : {false, true}) {
    const CommandOutput output = RunRepairCommand(reg, fs, findings, "C:\\B", hooks, json);
    EXPECT_EQ(output.exitCode, 3);
    EXPECT_EQ(output.err, "Cannot create C:\\B: Access is denied.\n");
    if (!json) {
      EXPECT_EQ(output.out, "");
      continue;
    }
    EXPECT_EQ(output.out.rfind("{\"processed\": 0, \"backupFile\": null, \"backupNotRecorded\": "
                               "null, \"recycledFilesNote\": null, \"completed\": false, "
                               "\"error\": \"Cannot create C:\\\\B: Access is denied.\", ",
                               0),
              0u)
        << output.out;
    std::size_t unattempted = 0;
    for (std::size_t at = 0; (at = output.out.find("\"outcome\": \"not repaired\", \"reason\": "
                                                   "\"not attempted: Cannot create",
                                                   at)) != std::string::npos;
         ++at)
      ++unattempted;
    EXPECT_EQ(unattempted, 3u);
  }
}

TEST_F(RepairOutputTest, ABackupFileThatCannotBeWrittenStopsTheRunWithTheSystemsReasonOnce) {
  WordedFileSystem fs;
  fs.addFolder("C:\\B");
  fs.makeReadOnly("C:\\B");
  const CommandOutput output = RunRepairCommand(reg, fs, findings, "C:\\B", hooks);
  EXPECT_EQ(output.exitCode, 3);
  EXPECT_EQ(output.err,
            "The repair stopped: Opening of the backup file C:\\B\\Backup20240307091502.reg "
            "failed: Access is denied.\n");
}

}  // namespace
}  // namespace hs

#include <gtest/gtest.h>

#include "cli/RepairCommand.h"
#include "cli/RestoreCommand.h"
#include "common/Sha256.h"
#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "restore/BackupRecord.h"
#include "restore/FakeEditor.h"

namespace hs {
namespace {

TEST(RepairCommand, Arguments) {
  struct Case {
    std::vector<std::string> args;
    bool ok;
  } cases[] = {
      {{}, true},
      {{"--sections", "3,4"}, true},
      {{"--backup-dir", "C:\\B", "--sections", "5"}, true},
      {{"--sections"}, false},
      {{"--backup-dir", ""}, false},
      {{"--sections", "3", "--sections", "4"}, false},
      {{"--json", "--quiet"}, true},
      {{"--json", "--json"}, false},
      {{"--backup-dir", "--json"}, false},
      {{"extra"}, false},
  };
  for (const Case& c : cases) {
    const RepairArgumentsResult result = ParseRepairArguments(c.args);
    EXPECT_EQ(result.options.has_value(), c.ok) << (c.args.empty() ? "" : c.args[0]);
    EXPECT_EQ(result.error.empty(), c.ok);
  }
  const auto parsed = ParseRepairArguments({"--backup-dir", "D:\\x", "--sections", "7"});
  EXPECT_EQ(parsed.options->backupDir, "D:\\x");
  EXPECT_EQ(parsed.options->scanArgs, (std::vector<std::string>{"--sections", "7"}));
}

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg,
                              "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Demo]\r\n"
                              "\"Gone\"=\"C:\\\\gone.exe\"\r\n\"Locked\"=\"x\"\r\n",
                              error));
    findings = {
        {"p", "HKEY_CURRENT_USER\\Software\\Demo\\Gone", "", FindingKind::fkValueInPath, false, 3},
        {"p", "HKEY_CURRENT_USER\\Software", "", FindingKind::fkKey, false, 3},
        {"p", "HKEY_CURRENT_USER\\Software\\Demo", "Missing", FindingKind::fkNamedValue, false, 3}};
    hooks.clock = [] { return LocalDateTime{2024, 3, 7, 9, 15, 2}; };
  }
  MemoryRegistry reg;
  MemoryFileSystem fs;
  std::vector<Finding> findings;
  RepairHooks hooks;
};

TEST_F(CommandTest, RepairPrintsSummaryBackupAndEveryRowNotRepaired) {
  const CommandOutput output = RunRepairCommand(reg, fs, findings, "C:\\Out\\Backup", hooks);
  EXPECT_EQ(output.exitCode, 0) << output.err;
  EXPECT_EQ(
      output.out,
      "There are total 3 problems to be repaired.\n"
      "Backup file: C:\\Out\\Backup\\Backup20240307091502.reg\n"
      "Not repaired: HKEY_CURRENT_USER\\Software\\Demo [Missing]: the "
      "HKEY_CURRENT_USER\\Software\\Demo "
      "value \"Missing\" no longer exists\n"
      "Not repaired: HKEY_CURRENT_USER\\Software: HKEY_CURRENT_USER\\Software is a protected key; "
      "it is never deleted\n");
  EXPECT_EQ(fs.probe("C:\\Out\\Backup\\Backup20240307091502.reg"), PathProbe::File);
}

TEST_F(CommandTest, RepairIntoAnUnwritableFolderIsAnEnvironmentError) {
  fs.makeReadOnly("C:\\");
  CommandOutput output = RunRepairCommand(reg, fs, findings, "C:\\Out", hooks);
  EXPECT_EQ(output.exitCode, 3);
  EXPECT_EQ(output.err, "Cannot create C:\\Out\n");

  MemoryFileSystem readOnly;
  readOnly.addFolder("C:\\Out");
  readOnly.makeReadOnly("C:\\Out");
  output = RunRepairCommand(reg, readOnly, findings, "C:\\Out", hooks);
  EXPECT_EQ(output.exitCode, 3);
  EXPECT_NE(output.out.find("Backup file: none written"), std::string::npos);
  EXPECT_NE(output.out.find("Not repaired: HKEY_CURRENT_USER\\Software\\Demo\\Gone: "),
            std::string::npos);
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\Demo"));
  EXPECT_TRUE(key.HasValue("Gone"));
}

using ImportingEditor = FakeEditor;

TEST_F(CommandTest, RestoreAndBackupsCommands) {
  RunRepairCommand(reg, fs, findings, "C:\\Out", hooks);
  fs.addFile("C:\\Out\\Backup20200101000000.reg", std::string(2000, 'x'));
  fs.addFile("C:\\Out\\readme.txt", "x");
  CommandOutput listed = RunBackupsCommand({}, fs, reg, "C:\\Out");
  EXPECT_EQ(listed.exitCode, 0);
  const std::vector<std::string> lines = Split(listed.out, '\n');
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Backup20240307091502.reg\t", 0), 0u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 5), "\t2 KB");
  EXPECT_EQ(RunBackupsCommand({"x"}, fs, reg, "C:\\Out").exitCode, 2);
  EXPECT_NE(
      RunBackupsCommand({}, fs, reg, "C:\\None").err.find("The backup directory does not exist."),
      std::string::npos);

  ImportingEditor editor(fs, reg);
  EXPECT_EQ(RunRestoreCommand({}, fs, reg, editor, true, "C:\\Out").exitCode, 2);
  EXPECT_EQ(RunRestoreCommand({"C:\\Out\\readme.txt"}, fs, reg, editor, true, "C:\\Out").exitCode,
            2);
  const CommandOutput restored =
      RunRestoreCommand({"C:\\Out\\Backup20240307091502.reg"}, fs, reg, editor, true, "C:\\Out");
  EXPECT_EQ(restored.exitCode, 0) << restored.err << restored.out;
  EXPECT_EQ(
      restored.out,
      "Restored and verified: C:\\Out\\Backup20240307091502.reg\nThe backup file was deleted.\n");
  TRegistry key(reg, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath("Software\\Demo"));
  EXPECT_EQ(key.ReadValueText("Gone"), "C:\\gone.exe");
}

TEST_F(CommandTest, RestoreExitCodesAndJsonOutcomes) {
  RunRepairCommand(reg, fs, findings, "C:\\Out", hooks);
  const std::string ours = "C:\\Out\\Backup20240307091502.reg";
  std::string bytes;
  ASSERT_EQ(fs.readFile(ours, bytes), FsStatus::Ok);
  // The same items in other bytes: no record vouches for them.
  fs.addFile("C:\\Out\\planted.reg", "REGEDIT4\r\n\r\n" + bytes.substr(10));
  fs.addFile("C:\\Out\\hostile.reg", "REGEDIT4\r\n\r\n[-HKEY_CURRENT_USER\\Software]\r\n");
  ImportingEditor editor(fs, reg);
  const auto restore = [&](std::vector<std::string> args) {
    return RunRestoreCommand(args, fs, reg, editor, false, "C:\\Out");
  };

  CommandOutput output = restore({"C:\\Out\\hostile.reg"});
  EXPECT_EQ(output.exitCode, 2);
  EXPECT_NE(output.err.find("line 3 \"[-HKEY_CURRENT_USER\\Software]\" deletes a key"),
            std::string::npos)
      << output.err;
  EXPECT_EQ(output.err.find("--force"), std::string::npos)
      << "force never overrides the line rules";
  output = restore({"--force", "--json", "C:\\Out\\hostile.reg"});
  EXPECT_EQ(output.exitCode, 2);
  EXPECT_EQ(
      output.out.rfind("{\"file\": \"C:\\\\Out\\\\hostile.reg\", \"outcome\": \"refused\"", 0), 0u)
      << output.out;

  output = restore({"C:\\Out\\planted.reg"});
  EXPECT_EQ(output.exitCode, 2);
  EXPECT_NE(output.err.find("restore --force C:\\Out\\planted.reg"), std::string::npos)
      << output.err;
  EXPECT_NE(restore({"--json", "C:\\Out\\planted.reg"}).out.find("\"needsForce\": true"),
            std::string::npos);
  EXPECT_EQ(restore({"--force", "C:\\Out\\planted.reg"}).exitCode, 0);

  fs.addFile(ours, bytes + "\"Half\"=hex:01,\\\r\n");
  output = restore({"--json", ours});
  EXPECT_EQ(output.exitCode, kExitPartiallyRestored) << output.out;
  EXPECT_NE(output.out.find("\"needsForce\": false"), std::string::npos) << output.out;
  EXPECT_NE(output.out.find("\"outcome\": \"partially restored\""), std::string::npos);
  EXPECT_NE(output.out.find("\"provenance\": \"recorded in part\""), std::string::npos)
      << output.out;
  EXPECT_EQ(fs.probe(ours), PathProbe::File);

  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--force"}, {"--json", "--json", ours}, {ours, ours}, {"--all", ours}})
    EXPECT_EQ(restore(bad).exitCode, 2);

  output = RunBackupsCommand({"--json"}, fs, reg, "C:\\Out");
  EXPECT_EQ(output.exitCode, 0);
  const std::vector<std::string> lines = Split(output.out, '\n');
  ASSERT_EQ(lines.size(), 6u) << output.out;  // "[", three files, "]", ""
  EXPECT_NE(lines[1].find("\"file\": \"planted.reg\", "), std::string::npos) << lines[1];
  EXPECT_NE(lines[1].find("\"outcome\": \"needs --force\", \"reason\": \"it is not recorded"),
            std::string::npos);
  EXPECT_NE(lines[1].find("\"keys\": 1, \"values\": 1, \"hives\": [\"HKEY_CURRENT_USER\"]"),
            std::string::npos)
      << lines[1];
  EXPECT_NE(lines[2].find("\"outcome\": \"refused\""), std::string::npos) << lines[2];
  EXPECT_NE(lines[3].find("\"outcome\": \"partly restorable\""), std::string::npos) << lines[3];
}

TEST_F(CommandTest, ItemsAreListedAndRestoredByNumberOrKey) {
  const std::string file = "C:\\Out\\Backup20240307091502.reg";
  const std::string bytes =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\One]\r\n\"A\"=\"a\"\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Two]\r\n\"B\"=dword:00000002\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Two\\Deeper]\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Three]\r\n";
  fs.addFile(file, bytes);
  ASSERT_TRUE(BackupRecord(reg, fs).record(file, {bytes.size(), Sha256Of(bytes)}));
  ImportingEditor editor(fs, reg);
  const auto restore = [&](std::vector<std::string> args) {
    args.push_back(file);
    return RunRestoreCommand(args, fs, reg, editor, true, "C:\\Out");
  };

  CommandOutput output = RunBackupsCommand({"--items", "--json"}, fs, reg, "C:\\Out");
  EXPECT_NE(output.out.find("\"items\": [\n   {\"number\": 1, \"key\": "
                            "\"HKEY_CURRENT_USER\\\\Software\\\\One\", \"value\": \"A\", "
                            "\"putsBack\": \"REG_SZ \\\"a\\\"\", \"inRegistry\": \"no\"},\n   "
                            "{\"number\": 2, \"key\": \"HKEY_CURRENT_USER\\\\Software\\\\Two\", "
                            "\"value\": null, \"putsBack\": \"2 keys, 1 value\""),
            std::string::npos)
      << output.out;

  output = restore({"--item", "3", "--json"});
  EXPECT_EQ(output.exitCode, 0) << output.out;
  EXPECT_NE(output.out.find("\"items\": [3], \"itemCount\": 3, \"itemsNotBack\": [1,2]"),
            std::string::npos)
      << output.out;
  EXPECT_NE(output.out.find("\"keptBecause\": \"2 of its 3 items are not in the registry\""),
            std::string::npos);
  output = restore({"--key", "HKEY_CURRENT_USER\\Software\\Nowhere"});
  EXPECT_EQ(output.exitCode, 2);
  EXPECT_NE(output.err.find("no item of " + file + " is at or below"), std::string::npos);
  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--item", "0"}, {"--item", "1,,2"}, {"--item", "x"}, {"--item"}, {"--item", "4"}})
    EXPECT_EQ(restore(bad).exitCode, 2) << bad.back();
  EXPECT_TRUE(TRegistry(reg, RootKey::CurrentUser).PathExists("Software\\Three"));
  EXPECT_FALSE(TRegistry(reg, RootKey::CurrentUser).PathExists("Software\\One"));

  output = restore({"--key", "hkey_current_user\\software\\"});
  EXPECT_EQ(output.exitCode, 0) << output.err;
  EXPECT_EQ(output.out, "Restored and verified: " + file +
                            "\nItems restored: 1,2,3 of 3\nThe backup file was deleted.\n");
}

TEST(RestoreCommand, DateText) {
  const std::string text = LocalDateTimeText(1700000000);
  ASSERT_EQ(text.size(), 19u);
  EXPECT_EQ(text[4], '-');
  EXPECT_EQ(text[13], ':');
}

}  // namespace
}  // namespace hs

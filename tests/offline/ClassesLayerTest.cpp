// HKEY_CLASSES_ROOT rows named by their layer before an offline repair, so
// that the backup puts each class key back into the hive it came from.
#include <gtest/gtest.h>

#include "offline/ClassesLayer.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "repair/Repair.h"

namespace hs::offline {
namespace {

// A machine's class, a user's class, one in both layers; the user has a
// CLSID key of their own, as most Windows users do.
const char* const kClassesLayerFixture =
    "REGEDIT4\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{M}\\InprocServer32]\r\n"
    "@=\"C:\\\\gone\\\\machine.dll\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.machine]\r\n"
    "@=\"\"\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{B}]\r\n"
    "\"Shared\"=\"machine\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{U}]\r\n"
    "@=\"user\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{B}]\r\n"
    "\"Shared\"=\"user\"\r\n";

TEST(ClassesLayer, EachRowIsNamedByTheLayerHoldingItsItemAndTheRepairTakesItFromThere) {
  MemoryRegistry reg;
  RegFileError error;
  ASSERT_TRUE(ImportRegText(reg, kClassesLayerFixture, error)) << error.message;
  std::vector<Finding> rows = NameClassesRowsByLayer(
      reg,
      {Finding{"test", "HKEY_CLASSES_ROOT\\CLSID\\{M}", "", FindingKind::fkKey, true},
       Finding{"test", "HKEY_CLASSES_ROOT\\clsid\\{U}", "", FindingKind::fkKey, true},
       Finding{"test", "HKEY_CLASSES_ROOT\\CLSID\\{B}", "", FindingKind::fkKey, true},
       Finding{"test", "HKEY_CLASSES_ROOT\\CLSID\\{B}", "Shared", FindingKind::fkNamedValue, true},
       Finding{"test", "HKEY_CLASSES_ROOT", ".machine", FindingKind::fkSubkey, true},
       Finding{"test", "HKEY_CLASSES_ROOT\\CLSID\\{M}\\InprocServer32\\", "",
               FindingKind::fkValueInPath, true},
       Finding{"test", "HKEY_CLASSES_ROOT\\CLSID\\{Neither}", "", FindingKind::fkKey, true},
       Finding{"test", "HKEY_CLASSES_ROOTS\\CLSID\\{M}", "", FindingKind::fkKey, true},
       Finding{"test", "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{U}", "", FindingKind::fkKey,
               true}});
  const std::vector<std::string> expected = {
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{M}",
      "HKEY_CURRENT_USER\\Software\\Classes\\clsid\\{U}",
      "HKEY_CLASSES_ROOT\\CLSID\\{B}",                     // both layers: no one name gives it back
      "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{B}",  // the value the merged view reads
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{M}\\InprocServer32\\",
      "HKEY_CLASSES_ROOT\\CLSID\\{Neither}",
      "HKEY_CLASSES_ROOTS\\CLSID\\{M}",
      "HKEY_CURRENT_USER\\Software\\Classes\\CLSID\\{U}"};
  ASSERT_EQ(rows.size(), expected.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].KeyPath, expected[i]) << i;

  // The repair of the renamed rows: the machine's class leaves the machine's
  // layer, and its backup names that layer, not HKEY_CLASSES_ROOT.
  MemoryFileSystem fs;
  fs.addFolder("C:\\Backup");
  std::vector<Finding> machineRows = {rows[0], rows[4]};
  RepairRun run(reg, fs, "C:\\Backup", false);
  const RepairOutcome outcome = run.Run(machineRows);
  EXPECT_TRUE(outcome.notRepaired.empty());
  std::string backup;
  ASSERT_EQ(fs.readFile(outcome.backupFile, backup), FsStatus::Ok);
  EXPECT_NE(backup.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{M}\\InprocServer32]"),
            std::string::npos)
      << backup;
  EXPECT_EQ(backup.find("HKEY_CLASSES_ROOT"), std::string::npos) << backup;
  TRegistry machine(reg, RootKey::LocalMachine);
  EXPECT_FALSE(machine.PathExists("SOFTWARE\\Classes\\CLSID\\{M}"));
  EXPECT_FALSE(machine.PathExists("SOFTWARE\\Classes\\.machine"));
  EXPECT_TRUE(TRegistry(reg, RootKey::CurrentUser).PathExists("Software\\Classes\\CLSID\\{U}"));
}

}  // namespace
}  // namespace hs::offline

// hivesweep-offline repair, restore and undo-commit on a small Windows
// volume (SmallInstallation), compared through hivexregedit exports.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "offline/posix/HiveCommit.h"
#include "offline/posix/SmallInstallation.h"

namespace hs::offline::test {
namespace {

namespace fs = std::filesystem;

// Values compared by name, type and data: a restore adds them at the end.
std::vector<ExportSection> Unordered(std::vector<ExportSection> sections) {
  for (ExportSection& section : sections) std::sort(section.lines.begin(), section.lines.end());
  return sections;
}

bool HasLine(const std::vector<ExportSection>& sections, const std::string& start) {
  return std::any_of(sections.begin(), sections.end(), [&](const ExportSection& section) {
    return std::any_of(section.lines.begin(), section.lines.end(),
                       [&](const std::string& line) { return line.rfind(start, 0) == 0; });
  });
}

// Every file of the volume with its bytes.
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const std::string& volume) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(volume))
    if (entry.is_regular_file()) files[entry.path().string()] = ReadFileBytes(entry.path());
  return files;
}

// The number "backups --items" gives the item whose line holds `text`.
std::string ItemNumberOf(const std::string& listing, const std::string& text) {
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);)
    if (line.find(text) != std::string::npos) return line.substr(2, line.find('\t') - 2);
  return "";
}

class OfflineWrite : public SmallInstallation {
 protected:
  std::string software() const { return configFolder() + "/SOFTWARE"; }
  std::string ntuser() const { return volume + "/Users/ann/NTUSER.DAT"; }
  std::string windows() const { return "--windows '" + volume + "'"; }
};

TEST_F(OfflineWrite, ARepairCommitsAndItsBackupRestoredOfflineGivesTheRegistryBack) {
  const auto softwareBefore = ExportWithHivexregedit(software());
  const auto ntuserBefore = ExportWithHivexregedit(ntuser());
  int exitCode = -1;
  const std::string repaired =
      offline("repair " + windows() + " --sections startup --json", exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  EXPECT_NE(
      repaired.find("\"backupFile\": \"C:\\\\Program Files\\\\Corvane Hivesweep\\\\Saved\\\\"),
      std::string::npos)
      << repaired;
  EXPECT_NE(errors().find("committed: " + software()), std::string::npos) << errors();
  const auto softwareRepaired = ExportWithHivexregedit(software());
  EXPECT_FALSE(HasLine(softwareRepaired, "\"Gone\"="));
  EXPECT_TRUE(HasLine(softwareRepaired, "\"Here\"="));
  EXPECT_FALSE(HasLine(ExportWithHivexregedit(ntuser()), "\"UserGone\"="));
  EXPECT_TRUE(fs::exists(KeptFileOf(software())));
  // The backup is the program's own: the offline record vouches for it.
  const std::string listed = offline("backups " + windows() + " --json", exitCode);
  EXPECT_NE(listed.find("\"outcome\": \"restorable\""), std::string::npos) << listed;

  const std::string restored = offline("restore " + windows() + " --latest", exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  EXPECT_NE(restored.find("Restored and verified: "), std::string::npos) << restored;
  EXPECT_NE(restored.find("The backup file is kept"), std::string::npos) << restored;
  EXPECT_EQ(Unordered(ExportWithHivexregedit(ntuser())), Unordered(ntuserBefore));
  // SOFTWARE also holds the record of the backup now.
  std::vector<ExportSection> software_ = ExportWithHivexregedit(software());
  std::erase_if(software_, [](const ExportSection& s) {
    return s.header.find("Corvane Hivesweep\\Backup Record") != std::string::npos ||
           s.header == "[\\Corvane Hivesweep]";
  });
  EXPECT_EQ(Unordered(software_), Unordered(softwareBefore));

  // The restore's commit taken back: the repaired hive returns.
  offline("undo-commit " + windows(), exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  EXPECT_EQ(ExportWithHivexregedit(software()), softwareRepaired);
  EXPECT_FALSE(fs::exists(KeptFileOf(software())));
  const std::string nothing = offline("undo-commit " + windows(), exitCode);
  EXPECT_EQ(exitCode, 0);
  EXPECT_NE(nothing.find("Nothing to undo"), std::string::npos) << nothing;
}

TEST_F(OfflineWrite, ChosenItemsOfABackupComeBackAndTheOthersStayAway) {
  int exitCode = -1;
  offline("repair " + windows() + " --sections startup", exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  const std::string listed = offline("backups " + windows() + " --items", exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  const std::string gone = ItemNumberOf(listed, "\t\"Gone\"\t");
  ASSERT_FALSE(gone.empty()) << listed;

  // A choice that names nothing restores nothing.
  const auto before = Snapshot(volume);
  offline("restore " + windows() + " --latest --item 99", exitCode);
  EXPECT_EQ(exitCode, 2) << errors();
  EXPECT_NE(errors().find("there is no item 99"), std::string::npos) << errors();
  offline("restore " + windows() + " --latest --key 'HKEY_CURRENT_USER\\Software\\Nowhere'",
          exitCode);
  EXPECT_EQ(exitCode, 2);
  EXPECT_EQ(Snapshot(volume), before);

  // By key: only the user's Run value comes back.
  std::string restored = offline(
      "restore " + windows() +
          " --latest --key 'HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run'",
      exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  EXPECT_NE(restored.find("Items not in the registry: "), std::string::npos) << restored;
  EXPECT_TRUE(HasLine(ExportWithHivexregedit(ntuser()), "\"UserGone\"="));
  EXPECT_FALSE(HasLine(ExportWithHivexregedit(software()), "\"Gone\"="));

  // By number: "Gone" comes back, its neighbour stays deleted, the file stays.
  restored = offline("restore " + windows() + " --latest --item " + gone, exitCode);
  ASSERT_EQ(exitCode, 0) << errors();
  const auto softwareAfter = ExportWithHivexregedit(software());
  EXPECT_TRUE(HasLine(softwareAfter, "\"Gone\"="));
  EXPECT_FALSE(HasLine(softwareAfter, "\"GoneFromProgramFiles\"="));
  EXPECT_NE(restored.find("The backup file is kept"), std::string::npos) << restored;
}

TEST_F(OfflineWrite, AnItemHivexWouldWriteWronglyIsRefusedKeptAndReported) {
  int exitCode = -1;
  offline("repair " + windows() + " --sections startup,4", exitCode);
  EXPECT_EQ(exitCode, 4) << errors();
  EXPECT_NE(errors().find("refused: HKEY_CURRENT_USER\\Software\\Vendor\\Tool [Path]: the value "
                          "\"Blob\" holds 20000 bytes"),
            std::string::npos)
      << errors();
  const auto ntuserAfter = ExportWithHivexregedit(ntuser());
  EXPECT_TRUE(HasLine(ntuserAfter, "\"Path\"="));
  EXPECT_FALSE(HasLine(ntuserAfter, "\"UserGone\"="));
}

TEST_F(OfflineWrite, ADryRunAndARefusedRunTouchNothing) {
  const auto before = Snapshot(volume);
  int exitCode = -1;
  offline("repair " + windows() + " --sections startup --dry-run", exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  EXPECT_NE(errors().find("would commit: " + software()), std::string::npos) << errors();
  EXPECT_EQ(Snapshot(volume), before);

  Touch(volume + "/hiberfil.sys", "HIBR" + std::string(4092, '\0'));
  const auto hibernated = Snapshot(volume);
  offline("repair " + windows() + " --sections startup", exitCode);
  EXPECT_EQ(exitCode, 3);
  EXPECT_NE(errors().find("holds a hibernation image"), std::string::npos) << errors();
  offline("restore " + windows() + " --latest", exitCode);
  EXPECT_EQ(exitCode, 3);
  EXPECT_EQ(Snapshot(volume), hibernated);
}

TEST_F(OfflineWrite, TheRunAfterAnInterruptedCommitSaysSoAndRemovesItsLeftover) {
  Touch(software() + ".hsnew", "unfinished");
  int exitCode = -1;
  offline("repair " + windows() + " --sections startup", exitCode);
  EXPECT_EQ(exitCode, 0) << errors();
  EXPECT_NE(
      errors().find("an earlier commit of " + software() + " stopped before it replaced the file"),
      std::string::npos)
      << errors();
  EXPECT_FALSE(fs::exists(software() + ".hsnew"));
}

}  // namespace
}  // namespace hs::offline::test

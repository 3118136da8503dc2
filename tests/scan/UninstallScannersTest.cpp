#include "scan/ScanTestSupport.h"
#include "scan/UninstallScanners.h"

namespace hs {
namespace {

using test::Rows;
using Strings = std::vector<std::string>;

class UninstallScannersTest : public test::ScanFixture {};

TEST_F(UninstallScannersTest, AddRemoveProgramsReportsEntriesWithoutAWayToUninstall) {
  const std::string u =
      "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  Load(u + "\\{GUID-ONLY}]\n\"DisplayName\"=\"x\"\n" + u + "\\NameOnly]\n\"DisplayName\"=\"x\"\n" +
       u + "\\System]\n\"SystemComponent\"=dword:0\n" + u +
       "\\Quiet]\n\"QuietUninstallString\"=\"x\"\n" + u + "\\Lower]\n\"uninstallstring\"=\"x\"\n" +
       u + "\\Empty]\n" + u + "\\Normal]\n\"UninstallString\"=\"x\"\n");
  Scan({"11"});
  const std::string key =
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  EXPECT_EQ(Rows(sink.findings),
            (Strings{"3|" + key + "|Empty", "3|" + key + "|Lower", "3|" + key + "|NameOnly"}));
  EXPECT_EQ(sink.findings[0].Problem, "Add/Remove Programs Issue");
  for (const std::string& shown : sink.keys) EXPECT_EQ(shown.find('{'), std::string::npos);
}

TEST_F(UninstallScannersTest, FileExtensionsReportClassKeysAndUserFileTypesThatHoldNothing) {
  const std::string c = "[HKEY_LOCAL_MACHINE\\Software\\Classes\\";
  const std::string f =
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
  Load(c + ".empty]\n@=\"\"\n" + c + ".bare]\n" + c + ".num]\n@=dword:00000000\n" + c +
       ".bin]\n@=hex:\n" + c + ".sub\\shell]\n" + c + ".text]\n@=\"txtfile\"\n" + c +
       ".named]\n\"Content Type\"=\"\"\n" + c + "odd]\n@=hex(7):41,00,00\n" + c +
       "oddempty]\n@=hex(7):\n" + c + ".twoempty]\n@=\"\"\n\"x\"=\"\"\n" + f +
       ".abc\\OpenWithList]\n" + f + ".def\\OpenWithList]\n\"a\"=\"x.exe\"\n" + f + ".ghi\\A]\n" +
       f + ".ghi\\B]\n");
  Scan({"12"});
  const std::string classes = "HKEY_LOCAL_MACHINE\\Software\\Classes";
  const std::string exts =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
  EXPECT_EQ(Rows(sink.findings), (Strings{"3|" + classes + "|.bare", "3|" + classes + "|.empty",
                                          "3|" + classes + "|oddempty", "3|" + exts + "|.abc"}));
  EXPECT_EQ(sink.findings[0].Problem, "Unused File Extension");
  EXPECT_EQ(sink.events.back(), "finished") << "an odd default value ends nothing";
}

TEST_F(UninstallScannersTest, AFileTypeKeyThatCannotBeReadIsNotReported) {
  Load(
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
      ".xyz\\UserChoice]\n\"Progid\"=\"x\"\n");
  registry.denyAccess(
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\"
      ".xyz\\UserChoice");
  Scan({"12"});
  EXPECT_TRUE(sink.findings.empty());
}

}  // namespace
}  // namespace hs

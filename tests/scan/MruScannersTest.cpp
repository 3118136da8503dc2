#include <gtest/gtest.h>

#include "common/Rot13.h"
#include "scan/MruScanners.h"
#include "scan/RegistryScanHarness.h"

namespace hs {
namespace {

using testing::FindingRows;
using testing::RegistryScanHarness;
using Strings = std::vector<std::string>;

const std::string kMru =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\"
    "OpenSaveMRU";
const std::string kCount =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
    "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count";

// A .reg line for a value whose name is the stored (rotated) form of `name`.
std::string CounterLine(const std::string& name, const std::string& hexBytes) {
  std::string escaped;
  for (char c : Rot13(name)) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  return "\"" + escaped + "\"=hex:" + hexBytes + "\r\n";
}

TEST(MruScanners, TopLevelEntriesAreTriedWithEachExtension) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Docs");
  h.files.addFile("C:\\Docs\\letter.doc");
  h.files.addFile("C:\\Docs\\full.txt");
  h.Seed("[" + kMru +
         "]\r\n"
         "\"a\"=\"C:\\\\Docs\\\\letter\"\r\n"      // letter.doc exists
         "\"b\"=\"C:\\\\Docs\\\\gone\"\r\n"        // no extension finds it
         "\"c\"=\"docs\\\\relative\"\r\n"          // not a drive path
         "\"d\"=\"D:\\\\Docs\\\\gone\"\r\n"        // not a scanned drive
         "\"e\"=\"C:\\\\Docs\\\\full.txt\"\r\n"    // names an existing file itself
         "\"f\\\\g\"=\"c:\\\\Docs\\\\gone2\"\r\n"  // a name with a backslash
         "\"n\"=dword:00000001\r\n"
         "[" +
         kMru +
         "\\*]\r\n"
         "[" +
         kMru +
         "\\doc]\r\n"
         "\"a\"=\"C:\\\\Docs\\\\letter.doc\"\r\n"
         "\"b\"=\"C:\\\\Docs\\\\gone.doc\"\r\n"
         "[" +
         kMru + "\\txt]\r\n");
  EXPECT_EQ(FindingRows(h.Run(20)),
            (Strings{kMru + "\\b | C:\\Docs\\gone | 1", kMru + " | f\\g | 2",
                     kMru + "\\doc\\b | C:\\Docs\\gone.doc | 1"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Missing MRU and History Lists file");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning MRU and History Lists..."});
}

TEST(MruScanners, OnlyTheStarListMeansNoExtensionIsTried) {
  RegistryScanHarness h;
  h.files.addFile("C:\\report");
  h.Seed("[" + kMru + "]\r\n\"a\"=\"C:\\\\gone\"\r\n\"b\"=\"C:\\\\report\"\r\n[" + kMru +
         "\\*]\r\n");
  EXPECT_EQ(FindingRows(h.Run(20)), (Strings{kMru + "\\a | C:\\gone | 1"}));
}

TEST(MruScanners, UsageCounters) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Apps");
  h.files.addFile("C:\\Apps\\tool.exe");
  std::string big = "00,00,00,00,00,00,00,00";
  for (int i = 0; i < 32760; ++i) big += ",00";  // 32768 bytes
  h.Seed("[" + kCount + "]\r\n" +
         CounterLine("UEME_RUNPATH:C:\\Apps\\tool.exe", "01,00,00,00,05,00,00,00") +
         CounterLine("UEME_RUNPATH:C:\\Apps\\gone.exe", "01,00,00,00,05,00,00,00") +
         CounterLine("UEME_RUNPATH:C:\\Apps\\tool.exe /never", "01,00,00,00,00,00,00,00") +
         CounterLine("UEME_RUNPATH:C:\\Apps\\Gone.lnk", "01,00,00,00,05,00,00,00") +
         CounterLine("UEME_RUNPIDL:%csidl2%\\Gone.lnk", "01,00,00,00,00,00,00,00") +
         CounterLine("UEME_CTLSESSION", "01,00,00") +             // short: name alone
         CounterLine("UEME_RUNPATH:C:\\Apps\\short.exe", "01") +  // short, missing file
         CounterLine("UEME_CTLCUACount:ctor", "") +
         CounterLine("UEME_RUNPATH:C:\\Apps\\huge.exe", big));
  EXPECT_EQ(FindingRows(h.Run(20)),
            (Strings{kCount + " | UEME_RUNPATH:C:\\Apps\\gone.exe | 6",
                     kCount + " | UEME_RUNPATH:C:\\Apps\\tool.exe /never | 6",
                     kCount + " | UEME_RUNPIDL:%csidl2%\\Gone.lnk | 6",
                     kCount + " | UEME_RUNPATH:C:\\Apps\\short.exe | 6"}));
}

TEST(MruScanners, RunCounterNeedsEightBytes) {
  EXPECT_EQ(UsageRunCounter({}), std::nullopt);
  EXPECT_EQ(UsageRunCounter({1, 2, 3, 4, 5, 6, 7}), std::nullopt);
  EXPECT_EQ(UsageRunCounter({0, 0, 0, 0, 0x01, 0x02, 0x03, 0x84}), 0x84030201u);
}

TEST(MruScanners, MissingListsEndTheTaskQuietly) {
  RegistryScanHarness h;
  EXPECT_TRUE(h.Run(20).empty());
  EXPECT_FALSE(h.TaskFailed(20));
}

const std::string kApps = "HKEY_LOCAL_MACHINE\\Software\\Classes\\Applications";

TEST(ApplicationsScan, CommandKeysInTreeOrder) {
  RegistryScanHarness h;
  h.files.addFolder("C:\\Apps");
  h.files.addFile("C:\\Apps\\tool.exe");
  h.Seed("[" + kApps +
         "\\gone.exe\\shell\\edit\\command]\r\n@=\"C:\\\\Apps\\\\gone.exe %1\"\r\n"
         "[" +
         kApps +
         "\\gone.exe\\shell\\open\\command]\r\n@=\"\\\"C:\\\\Apps\\\\gone.exe\\\" \\\"%1\\\"\"\r\n"
         "[" +
         kApps +
         "\\tool.exe\\shell\\open\\command]\r\n@=\"C:\\\\Apps\\\\tool.exe %1\"\r\n"
         "[" +
         kApps +
         "\\tool.exe\\shell\\print\\command]\r\n"  // no default value
         "[" +
         kApps +
         "\\tool.exe\\shell\\num\\command]\r\n@=dword:00000001\r\n"
         "[" +
         kApps + "\\tool.exe\\shell\\blank\\command]\r\n@=\"\"\r\n");
  EXPECT_EQ(FindingRows(h.Run(22)),
            (Strings{kApps + "\\gone.exe\\shell\\edit\\command | C:\\Apps\\gone.exe %1 | 0",
                     kApps + "\\gone.exe\\shell\\open\\command | \"C:\\Apps\\gone.exe\" \"%1\" | 0",
                     kApps + "\\tool.exe\\shell\\blank\\command |  | 0",
                     kApps + "\\tool.exe\\shell\\print\\command |  | 0"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Open with Application Issue");
  EXPECT_TRUE(h.sink.captions.empty());  // the previous task's caption stays
}

TEST(ApplicationsScan, UnreadableKeysArePassedOver) {
  RegistryScanHarness h;
  h.Seed("[" + kApps +
         "\\a.exe\\shell\\open\\command]\r\n@=\"C:\\\\gone\\\\a.exe\"\r\n"
         "[" +
         kApps + "\\b.exe\\shell\\open\\command]\r\n@=\"C:\\\\gone\\\\b.exe\"\r\n");
  h.registry.denyAccess(kApps + "\\a.exe\\shell");
  EXPECT_EQ(FindingRows(h.Run(22)),
            (Strings{kApps + "\\b.exe\\shell\\open\\command | C:\\gone\\b.exe | 0"}));
}

}  // namespace
}  // namespace hs

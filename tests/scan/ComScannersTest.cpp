#include <gtest/gtest.h>

#include "scan/RegistryScanHarness.h"

namespace hs {
namespace {

using testing::FindingRows;
using testing::RegistryScanHarness;
using Strings = std::vector<std::string>;

class ComScanners : public ::testing::Test {
 protected:
  void SetUp() override {
    h.files.addFolder("C:\\Lib");
    h.files.addFile("C:\\Lib\\ok.dll");
    h.Seed(
        "[HKEY_CLASSES_ROOT\\CLSID\\{A}]\r\n@=\"Class A\"\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32]\r\n@=\"C:\\\\Lib\\\\gone.dll\"\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{B}\\InprocServer32]\r\n@=\"C:\\\\Lib\\\\ok.dll\"\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{C}\\LocalServer32]\r\n@=\"C:\\\\Lib\"\r\n"
        "\"Other\"=\"C:\\\\Lib\\\\gone2.dll\"\r\n"
        "[HKEY_CLASSES_ROOT\\CLSID\\{D}\\Deep\\Deeper]\r\n@=hex(2):43,3a,5c,78,2e,64,6c,6c,00\r\n");
  }
  RegistryScanHarness h;
};

TEST_F(ComScanners, DefaultValueWalkReportsTheServerKeyAndRejectsFolders) {
  EXPECT_EQ(FindingRows(h.Run(13)),
            (Strings{"HKEY_CLASSES_ROOT\\CLSID\\{A}\\InprocServer32 | C:\\Lib\\gone.dll | 0",
                     "HKEY_CLASSES_ROOT\\CLSID\\{C}\\LocalServer32 | C:\\Lib | 0",
                     "HKEY_CLASSES_ROOT\\CLSID\\{D}\\Deep\\Deeper | C:\\x.dll | 0"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "Custom Controls Issue");
  EXPECT_EQ(h.sink.captions, Strings{"Scanning Custom Controls..."});
}

TEST_F(ComScanners, TaskThreeInTheListLeavesOutTheFileWalksOf13And19) {
  h.Seed(
      "[HKEY_CLASSES_ROOT\\TypeLib\\{L}\\1.0\\0\\win32]\r\n@=\"C:\\\\Lib\\\\gone.tlb.dll\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{I}]\r\n@=\"IThing\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{I}\\TypeLib]\r\n@=\"{NOLIB}\"\r\n");
  // Task 3 walks HKEY_LOCAL_MACHINE\Software, which the memory registry
  // does not link to HKEY_CLASSES_ROOT, so only the cross-checks remain.
  const auto rows = FindingRows(h.Run(Strings{"3", "13", "19"}));
  EXPECT_EQ(rows, (Strings{"HKEY_CLASSES_ROOT\\Interface\\{I} | IThing - {NOLIB} | 0"}));
  // Without task 3 both walks run.
  const auto all = FindingRows(h.Run(Strings{"13", "19"}));
  EXPECT_EQ(all.size(), 5u);
  EXPECT_EQ(all.back(),
            "HKEY_CLASSES_ROOT\\TypeLib\\{L}\\1.0\\0\\win32\\ | C:\\Lib\\gone.tlb.dll | 1");
}

TEST_F(ComScanners, InterfaceTypeLibCrossCheck) {
  h.Seed(
      "[-HKEY_CLASSES_ROOT\\CLSID]\r\n"
      "[HKEY_CLASSES_ROOT\\TypeLib\\{Lib-One}]\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{1}]\r\n@=\"Registered\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{1}\\TypeLib]\r\n@=\"{lib-one}\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{2}]\r\n@=\"PartOfName\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{2}\\TypeLib]\r\n@=\"Lib-\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{3}]\r\n@=\"EmptyRef\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{3}\\TypeLib]\r\n@=\"\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{4}]\r\n@=\"NoTypeLib\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{5}]\r\n@=dword:00000001\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{5}\\TypeLib]\r\n@=\"{gone}\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{6}]\r\n@=\"NumericRef\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{6}\\TypeLib]\r\n@=dword:00000001\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{7}]\r\n@=\"Gone\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{7}\\TypeLib]\r\n@=\"{gone}\"\r\n");
  EXPECT_EQ(FindingRows(h.Run(13)),
            (Strings{"HKEY_CLASSES_ROOT\\Interface\\{3} | EmptyRef -  | 0",
                     "HKEY_CLASSES_ROOT\\Interface\\{7} | Gone - {gone} | 0"}));
}

TEST_F(ComScanners, MissingTypeLibKeyReportsEveryReference) {
  h.Seed(
      "[-HKEY_CLASSES_ROOT\\CLSID]\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{1}]\r\n@=\"A\"\r\n"
      "[HKEY_CLASSES_ROOT\\Interface\\{1}\\TypeLib]\r\n@=\"{x}\"\r\n");
  EXPECT_EQ(h.Run(13).size(), 1u);
}

TEST_F(ComScanners, ClassAppIdCrossCheck) {
  h.Seed(
      "[-HKEY_CLASSES_ROOT\\CLSID]\r\n"
      "[HKEY_CLASSES_ROOT\\AppID\\{APP-1}]\r\n"
      "[HKEY_CLASSES_ROOT\\AppID\\{C-BY-ID}]\r\n"
      // registered in another letter case
      "[HKEY_CLASSES_ROOT\\CLSID\\{c1}]\r\n\"AppID\"=\"{app-1}\"\r\n"
      // the AppID key is named after the class itself
      "[HKEY_CLASSES_ROOT\\CLSID\\{C-BY-ID}]\r\n\"AppID\"=\"{other}\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c3}]\r\n\"AppID\"=\"{gone}\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c4}]\r\n\"AppID\"=\"\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c5}]\r\n\"AppID\"=dword:00000001\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c6}]\r\n\"AppID\"=\"{gone}\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c6}\\InprocServer32]\r\n@=\"C:\\\\WINDOWS\\\\System32\\\\OLEACC."
      "DLL\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c7}]\r\n\"AppID\"=\"{gone}\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c7}\\InprocServer32]\r\n@=dword:00000000\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c8}]\r\n\"AppID\"=\"{gone}\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{c8}\\InprocServer32]\r\n@=\"C:\\\\Lib\\\\ok.dll\"\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{91C4C540-9FDD-11D2-AFAA-00105A305A2B}]\r\n\"AppID\"=\"{gone}"
      "\"\r\n"
      "");
  EXPECT_EQ(FindingRows(h.Run(Strings{"3", "19"})),
            (Strings{"HKEY_CLASSES_ROOT\\CLSID\\{c3} | {gone} | 0",
                     "HKEY_CLASSES_ROOT\\CLSID\\{c8} | {gone} | 0"}));
  EXPECT_EQ(h.sink.findings[0].Problem, "ActiveX Issue");
  // The class check shows the task caption again before it starts.
  EXPECT_EQ(h.sink.captions,
            (Strings{"Scanning Files and Folders - HKEY_LOCAL_MACHINE...",
                     "Scanning Invalid ActiveX...", "Scanning Invalid ActiveX..."}));
}

TEST_F(ComScanners, OnlyTheExactlyWrittenSystemClassIsExempt) {
  h.Seed(
      "[-HKEY_CLASSES_ROOT\\CLSID]\r\n"
      "[HKEY_CLASSES_ROOT\\CLSID\\{91c4c540-9fdd-11d2-afaa-00105a305a2b}]\r\n"
      "\"AppID\"=\"{gone}\"\r\n");
  EXPECT_EQ(h.Run(19).size(), 1u);
}

}  // namespace
}  // namespace hs

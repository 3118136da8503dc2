// Registry links on the real (Wine's) registry: the repair keeps a finding
// whose tree holds one and leaves the target alone, and the console's scan
// ends well over a link back to an ancestor.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/TRegistry.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "repair/Repair.h"
#include "win32/RegistryLinkMaker.h"

namespace hs {
namespace {

constexpr const char* kLinksBase = "Software\\HivesweepTest\\Links";

class RegistryLinksOnWine : public ::testing::Test {
 protected:
  void SetUp() override { Clear(); }
  void TearDown() override { Clear(); }

  void Clear() {
    TRegistry(registry, RootKey::CurrentUser).RemovePath(kLinksBase);
    TRegistry(registry, RootKey::ClassesRoot).RemovePath(ClassPath());
  }
  static std::string In(const std::string& path) { return std::string(kLinksBase) + "\\" + path; }
  static std::string ClassPath() {
    return "CLSID\\{7E1D0C4B-5A7F-4C55-9D1E-" + std::to_string(::GetCurrentProcessId()) + "}";
  }
  void Link(RootKey root, const std::string& path, const std::string& target) {
    ASSERT_TRUE(test::MakeRegistryLink(root, path, test::KernelKeyPath(root, target))) << path;
  }
  bool HasValue(const std::string& path, const std::string& name) {
    TRegistry key(registry, RootKey::CurrentUser);
    return key.OpenPath(path) && key.HasValue(name);
  }
  std::string TempFolder() {
    wchar_t buffer[MAX_PATH];
    ::GetTempPathW(MAX_PATH, buffer);
    return win32::Narrow(buffer) + "HivesweepLinks";
  }

  win32::Win32Registry registry;
  win32::Win32FileSystem files;
};

TEST_F(RegistryLinksOnWine, RepairKeepsAFindingThatHoldsALinkAndItsTargetIntact) {
  TRegistry key(registry, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(In("Target\\Child"), true));
  ASSERT_TRUE(key.WriteValueText("v", "kept"));
  ASSERT_TRUE(key.OpenPath("\\" + In("Finding\\Plain"), true));
  ASSERT_TRUE(key.WriteValueText("w", "kept too"));
  Link(RootKey::CurrentUser, In("Finding\\Out"), In("Target"));
  Link(RootKey::CurrentUser, In("Alias"), In("Target"));

  RepairRun run(registry, files, TempFolder(), false);
  std::vector<Finding> rows(2);
  rows[0].KeyPath = "HKEY_CURRENT_USER\\" + In("Finding");
  rows[0].Kind = FindingKind::fkKey;
  rows[1].KeyPath = "HKEY_CURRENT_USER\\" + std::string(kLinksBase);
  rows[1].ValueText = "Alias";
  rows[1].Kind = FindingKind::fkSubkey;
  for (Finding& row : rows) row.Checked = true;
  const RepairOutcome outcome = run.Run(rows);
  EXPECT_EQ(outcome.end, RepairEnd::Completed);
  ASSERT_EQ(outcome.notRepaired.size(), 2u);
  for (const NotRepaired& failed : outcome.notRepaired)
    EXPECT_NE(failed.reason.find("is a registry link"), std::string::npos) << failed.reason;
  EXPECT_TRUE(HasValue(In("Target\\Child"), "v"));
  EXPECT_TRUE(HasValue(In("Finding\\Plain"), "w"));
  EXPECT_TRUE(HasValue(In("Alias\\Child"), "v"));  // the link is still there, still leading on
  if (!outcome.backupFile.empty()) files.deleteSilently(outcome.backupFile);
}

// Runs the console companion beside this test program; its exit code, or -1.
int RunConsole(const std::wstring& arguments, DWORD timeoutMs) {
  wchar_t self[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder(self, length);
  folder.resize(folder.find_last_of(L'\\') + 1);
  std::wstring command = L"\"" + folder + L"hivesweep-cli.exe\" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &info))
    return -1;
  const win32::UniqueHandle process(info.hProcess);
  const win32::UniqueHandle thread(info.hThread);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return -1;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

TEST_F(RegistryLinksOnWine, ConsoleScanEndsWellOverLinksBackToAnAncestor) {
  TRegistry key(registry, RootKey::CurrentUser);
  ASSERT_TRUE(key.OpenPath(In("Loop\\Inner"), true));
  ASSERT_TRUE(key.WriteValueText("a", "C:\\Gone\\a.exe"));
  Link(RootKey::CurrentUser, In("Loop\\Inner\\Back"), In("Loop"));
  TRegistry classes(registry, RootKey::ClassesRoot);
  ASSERT_TRUE(classes.OpenPath(ClassPath() + "\\InprocServer32", true));
  ASSERT_TRUE(classes.WriteValueText("", "C:\\Gone\\l.dll"));
  Link(RootKey::ClassesRoot, ClassPath() + "\\InprocServer32\\Back", ClassPath());
  const std::string report = TempFolder() + ".txt";
  files.deleteSilently(report);
  // Task 4 walks the user's software keys, task 13 the classes' default
  // values. A crashed console may still end with 0 under Wine: the report,
  // written at the end, shows that the scan got there.
  EXPECT_EQ(RunConsole(L"scan --sections 4,13 --report \"" + win32::Widen(report) + L"\"", 300000),
            0);
  std::string text;
  ASSERT_EQ(files.readFile(report, text), FsStatus::Ok) << "no report: the scan did not end";
  EXPECT_EQ(Occurrences(text, "C:\\Gone\\a.exe"), 1u) << text;
  EXPECT_EQ(Occurrences(text, "C:\\Gone\\l.dll"), 1u) << text;
  files.deleteSilently(report);
}

}  // namespace
}  // namespace hs

// Scanners of tasks 3 to 12 on the real (Wine's) registry and file system.
// The scanners read fixed locations, so each case seeds entries with names
// unique to this run under those locations, and judges only findings that
// carry the run's marker. Everything seeded is removed afterwards.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/TRegistry.h"
#include "platform/win32/QuerySystemFacts.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "scan/FilesAndFoldersScan.h"
#include "scan/ScanContext.h"
#include "scan/ScanTaskRunner.h"

namespace hs {
namespace {

class CollectingSink : public NullScanSink {
 public:
  void AddFinding(const Finding& finding) override { findings.push_back(finding); }
  void TaskFailed(int task, const std::string& message) override {
    ADD_FAILURE() << "task " << task << " failed: " << message;
  }
  std::vector<Finding> findings;
};

std::string Marker() {
  return "HsScan" + std::to_string(::GetCurrentProcessId()) + "x" +
         std::to_string(::GetTickCount() % 100000);
}

class ScannersOnWine : public ::testing::Test {
 protected:
  void SetUp() override {
    marker = Marker();
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    folder = win32::Narrow(base) + marker;
    ASSERT_EQ(files.createDirectory(folder), FsStatus::Ok) << folder;
    for (const char* name : {"present.exe", "present.dll", "shared.dll", "run.exe"}) {
      std::unique_ptr<FileWriter> writer;
      ASSERT_EQ(files.openForWrite(In(name), false, writer), FsStatus::Ok);
      writer->write("x");
    }
  }

  void TearDown() override {
    for (auto it = seededValues.rbegin(); it != seededValues.rend(); ++it) {
      TRegistry registry(backend, it->root);
      if (registry.OpenPath(it->key)) registry.RemoveValue(it->name);
    }
    for (auto it = seededKeys.rbegin(); it != seededKeys.rend(); ++it) {
      TRegistry registry(backend, it->root);
      registry.RemovePath(it->key);
    }
    files.deleteSilently(folder);
  }

  std::string In(const std::string& name) const { return folder + "\\" + name; }

  // Creates `key` (removed afterwards when `ownKey`) and sets one value on it
  // (removed afterwards otherwise).
  void Seed(RootKey root, const std::string& key, const std::string& name, const RegValue& value,
            bool ownKey) {
    TRegistry registry(backend, root);
    ASSERT_TRUE(registry.OpenPath(key, true)) << key;
    ASSERT_TRUE(registry.WriteValue(value)) << key << "\\" << name;
    if (ownKey) {
      if (std::find_if(seededKeys.begin(), seededKeys.end(), [&](const Place& p) {
            return p.root == root && p.key == key;
          }) == seededKeys.end())
        seededKeys.push_back({root, key, ""});
    } else {
      seededValues.push_back({root, key, name});
    }
  }
  void SeedText(RootKey root, const std::string& key, const std::string& name,
                const std::string& text, bool ownKey, std::uint32_t type = kRegSz) {
    Seed(root, key, name, RegValue{name, type, Utf16LeBytes(Utf8ToUtf16(text))}, ownKey);
  }
  void SeedDword(RootKey root, const std::string& key, const std::string& name,
                 std::uint32_t number, bool ownKey) {
    Seed(root, key, name,
         RegValue{
             name,
             kRegDword,
             {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
              static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)}},
         ownKey);
  }
  void SeedKey(RootKey root, const std::string& key) {
    TRegistry registry(backend, root);
    ASSERT_TRUE(registry.OpenPath(key, true)) << key;
    seededKeys.push_back({root, key, ""});
  }

  // Runs the tasks and keeps the findings that mention this run's marker, as
  // "kind|KeyPath|ValueText".
  std::vector<std::string> Scan(const std::vector<std::string>& tasks,
                                const ScanSettings& settings = {}) {
    CollectingSink sink;
    ScanContext context(backend, files, sink, settings, tasks);
    EXPECT_EQ(RunScanTasks(context), ScanOutcome::Completed);
    std::vector<std::string> rows;
    for (const Finding& finding : sink.findings)
      if (ContainsNoCase(finding.KeyPath + finding.ValueText, marker))
        rows.push_back(std::to_string(static_cast<int>(finding.Kind)) + "|" + finding.KeyPath +
                       "|" + finding.ValueText);
    return rows;
  }

  struct Place {
    RootKey root;
    std::string key;
    std::string name;
  };
  win32::Win32Registry backend;
  win32::Win32FileSystem files;
  std::string marker;
  std::string folder;
  std::vector<Place> seededKeys;
  std::vector<Place> seededValues;
};

using Rows = std::vector<std::string>;
constexpr const char* kCv = "Software\\Microsoft\\Windows\\CurrentVersion";

TEST_F(ScannersOnWine, FilesAndFoldersWalkFindsMissingReferencesInEachHive) {
  const std::string lm = "Software\\" + marker;
  // "Con" along the way names the console device, not a file.
  SeedText(RootKey::LocalMachine, lm, "Device", In("Contoso Tools\\ctool.exe"), true);
  SeedText(RootKey::LocalMachine, lm, "Gone", In("gone.exe") + " /x", true);
  SeedText(RootKey::LocalMachine, lm, "Here", "\"" + In("present.exe") + "\" /x", true);
  SeedText(RootKey::LocalMachine, lm + "\\Sub", In("gone.dll"), In("gone.dll"), true);
  SeedText(RootKey::LocalMachine, lm + "\\Sub", "Multi", In("gone.dll") + std::string(1, '\0'),
           true, kRegMultiSz);
  SeedText(RootKey::LocalMachine, std::string(kCv) + "\\Run", marker, In("gone.exe"), false);
  const std::string cu = "Software\\HivesweepTest\\" + marker;
  SeedText(RootKey::CurrentUser, cu, "", In("gone.exe"), true);
  SeedText(RootKey::CurrentUser, cu, "Expand", "%SystemRoot%\\" + marker + ".dll", true,
           kRegExpandSz);
  const std::string users = ".DEFAULT\\Software\\" + marker;
  SeedText(RootKey::Users, users, "Gone", In("gone.exe"), true);

  EXPECT_EQ(Scan({"3"}),
            (Rows{"1|HKEY_LOCAL_MACHINE\\" + lm + "\\Device|" + In("Contoso Tools\\ctool.exe"),
                  "1|HKEY_LOCAL_MACHINE\\" + lm + "\\Gone|" + In("gone.exe") + " /x",
                  "2|HKEY_LOCAL_MACHINE\\" + lm + "\\Sub|" + In("gone.dll")}));
  const std::string cuRows = "HKEY_CURRENT_USER\\" + cu;
  const Rows hkcu = Scan({"4"});
  EXPECT_EQ(hkcu, (Rows{"1|" + cuRows + "\\|" + In("gone.exe"),
                        "1|" + cuRows + "\\Expand|%SystemRoot%\\" + marker + ".dll"}));
  // The hive lists the default user as it names it (".Default" on Wine).
  const Rows hku = Scan({"5"});
  const std::string wanted = "1|HKEY_USERS\\" + users + "\\Gone|" + In("gone.exe");
  EXPECT_EQ(std::count_if(hku.begin(), hku.end(),
                          [&](const std::string& row) { return EqualsNoCase(row, wanted); }),
            1)
      << ::testing::PrintToString(hku);
}

// HKEY_CURRENT_USER is the user's SID key under HKEY_USERS: a scan of both
// lists each finding of the user's hive once.
TEST_F(ScannersOnWine, TasksFourAndFiveListAFindingOfTheUsersHiveOnce) {
  const std::string cu = "Software\\HivesweepTest\\" + marker;
  SeedText(RootKey::CurrentUser, cu, "Gone", In("gone.exe"), true);
  ScanSettings settings;
  settings.CurrentUserSid = QueryCurrentUserSid();
  ASSERT_EQ(settings.CurrentUserSid.rfind("S-1-5-", 0), 0u) << settings.CurrentUserSid;
  const std::string row = "\\" + cu + "\\Gone|" + In("gone.exe");
  EXPECT_EQ(Scan({"4", "5"}, settings), (Rows{"1|HKEY_CURRENT_USER" + row}));
  // Alone, task 5 walks the user's hive as any other.
  const Rows alone = Scan({"5"}, settings);
  ASSERT_EQ(alone.size(), 1u) << ::testing::PrintToString(alone);
  EXPECT_TRUE(EqualsNoCase(alone[0], "1|HKEY_USERS\\" + settings.CurrentUserSid + row)) << alone[0];
}

TEST_F(ScannersOnWine, FileReferenceScannersJudgeTheirFixedLocations) {
  const std::string appPaths = std::string(kCv) + "\\App Paths\\";
  SeedText(RootKey::LocalMachine, appPaths + marker + "gone.exe", "",
           In(marker + "gone.exe") + " /n", true);
  SeedText(RootKey::LocalMachine, appPaths + marker + "present.exe", "", In("present.exe"), true);
  SeedText(RootKey::LocalMachine, appPaths + marker + ".txt", "", In("gone.txt"), true);
  const std::string fonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
  SeedText(RootKey::LocalMachine, fonts, marker + " Gone", In("gone.ttf"), false);
  SeedText(RootKey::LocalMachine, fonts, marker + " Bare", marker + ".ttf", false);
  const std::string help = "Software\\Microsoft\\Windows\\Help";
  SeedText(RootKey::LocalMachine, help, marker + ".hlp", folder, false);
  const std::string shared = std::string(kCv) + "\\SharedDlls";
  SeedDword(RootKey::LocalMachine, shared, In("shared.dll"), 0, false);
  SeedDword(RootKey::LocalMachine, shared, In("present.dll"), 2, false);
  SeedDword(RootKey::LocalMachine, shared, In("gone.dll"), 1, false);
  const std::string run = std::string(kCv) + "\\Run";
  SeedText(RootKey::CurrentUser, run, marker + "Gone", "\"" + In("gone.exe") + "\" -min", false);
  SeedText(RootKey::CurrentUser, run, marker + "Here", In("run.exe") + " -min", false);
  const std::string msconfig = "Software\\Microsoft\\Shared Tools\\MSConfig\\startupreg\\" + marker;
  SeedText(RootKey::LocalMachine, msconfig, "command", In("gone.exe"), true);

  const std::string lm = "HKEY_LOCAL_MACHINE\\";
  EXPECT_EQ(Scan({"6"}),
            (Rows{"0|" + lm + appPaths + marker + "gone.exe|" + In(marker + "gone.exe") + " /n"}));
  EXPECT_EQ(Scan({"7"}), (Rows{"1|" + lm + fonts + "\\" + marker + " Gone|" + In("gone.ttf")}));
  EXPECT_EQ(Scan({"8"}), (Rows{"1|" + lm + help + "\\" + marker + ".hlp|" + In(marker + ".hlp")}));
  // Wine lists values by name, Windows in creation order: compare as sets.
  Rows sharedRows = Scan({"9"});
  std::sort(sharedRows.begin(), sharedRows.end());
  EXPECT_EQ(sharedRows, (Rows{"2|" + lm + shared + "|" + In("gone.dll"),
                              "2|" + lm + shared + "|" + In("shared.dll")}));
  EXPECT_EQ(Scan({"10"}), (Rows{"1|HKEY_CURRENT_USER\\" + run + "\\" + marker + "Gone|\"" +
                                    In("gone.exe") + "\" -min",
                                "0|" + lm + msconfig + "|" + In("gone.exe")}));
}

TEST_F(ScannersOnWine, UninstallAndFileTypeScannersJudgeKeysByContent) {
  const std::string uninstall = std::string(kCv) + "\\Uninstall\\";
  SeedText(RootKey::LocalMachine, uninstall + marker + "NoWay", "DisplayName", "x", true);
  SeedText(RootKey::LocalMachine, uninstall + marker + "Fine", "UninstallString", "x", true);
  SeedText(RootKey::LocalMachine, uninstall + "{" + marker + "}", "DisplayName", "x", true);
  SeedText(RootKey::LocalMachine, "Software\\Classes\\." + marker + "empty", "", "", true);
  SeedText(RootKey::LocalMachine, "Software\\Classes\\." + marker + "used", "", "txtfile", true);
  const std::string exts = std::string(kCv) + "\\Explorer\\FileExts\\";
  SeedKey(RootKey::CurrentUser, exts + "." + marker + "a");
  SeedKey(RootKey::CurrentUser, exts + "." + marker + "a\\OpenWithList");
  SeedText(RootKey::CurrentUser, exts + "." + marker + "b\\OpenWithList", "a", "x.exe", true);
  seededKeys.push_back({RootKey::CurrentUser, exts + "." + marker + "b", ""});

  EXPECT_EQ(Scan({"11"}),
            (Rows{"3|HKEY_LOCAL_MACHINE\\" + uninstall.substr(0, uninstall.size() - 1) + "|" +
                  marker + "NoWay"}));
  EXPECT_EQ(Scan({"12"}), (Rows{"3|HKEY_LOCAL_MACHINE\\Software\\Classes|." + marker + "empty",
                                "3|HKEY_CURRENT_USER\\" + exts.substr(0, exts.size() - 1) + "|." +
                                    marker + "a"}));
}

}  // namespace
}  // namespace hs

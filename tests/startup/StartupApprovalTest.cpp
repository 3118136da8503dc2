// Startup entries switched off and on as the system's own startup list does,
// on the memory backends; the same bytes are checked against Wine's registry
// in tests/win32/startup.
#include <gtest/gtest.h>

#include <set>

#include "cli/StartupCommand.h"
#include "platform/TRegistry.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "regfile/RegFileImport.h"
#include "startup/StartupApproval.h"

namespace hs {
namespace {

using ApprovalBytes = std::vector<std::uint8_t>;

constexpr const char* kApproved =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
constexpr std::uint64_t kDisabledAt = 0x01D9D9173BC56360ULL;
const ApprovalBytes kDisabledAtBytes = {0x60, 0x63, 0xC5, 0x3B, 0x17, 0xD9, 0xD9, 0x01};

const char* const kApprovalWorld =
    "REGEDIT4\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Plain\"=\"C:\\\\plain.exe\"\r\n"
    "\"Six\"=\"C:\\\\six.exe\"\r\n"
    "\"Off\"=\"C:\\\\off.exe\"\r\n"
    "\"Odd\"=\"C:\\\\odd.exe\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n"
    "\"Once\"=\"C:\\\\once.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Plain\"=\"C:\\\\machine.exe\"\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Old32\"=\"C:\\\\x86.exe\"\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
    "StartupApproved\\Run]\r\n"
    "\"Six\"=hex:06,00,00,00,00,00,00,00,00,00,00,00\r\n"
    "\"off\"=hex:03,00,00,00,17,79,bd,01,17,d9,d1,01\r\n"
    "\"Odd\"=dword:00000003\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
    "StartupApproved\\Run32]\r\n"
    "\"Old32\"=hex:07,00,00,00,71,c9,33,ae,16,d9,d1,01\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
    "StartupApproved\\StartupFolder]\r\n"
    "\"Sync.lnk\"=hex:03,00,00,00,17,79,bd,01,17,d9,d1,01\r\n";

// The memory registry has one view; this one notes the view each opening of
// the system's startup lists asked for.
class ApprovalViewNotingRegistry : public MemoryRegistry {
 public:
  RegStatus openKey(RootKey root, const RegKeyHandle* parent, const std::string& path,
                    RegAccess access, bool create, RegKeyPtr& out, LastLink last = LastLink::Follow,
                    RegView view = RegView::Own) override {
    if (path.find("StartupApproved") != std::string::npos) approvalViews.insert(view);
    return MemoryRegistry::openKey(root, parent, path, access, create, out, last, view);
  }
  std::set<RegView> approvalViews;
};

class StartupApprovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegFileError error;
    ASSERT_TRUE(ImportRegText(reg, kApprovalWorld, error)) << error.message;
    fs.setSpecialFolder(csidl::kStartup, "C:\\User\\Startup");
    fs.setSpecialFolder(csidl::kCommonStartup, "C:\\All\\Startup");
    fs.addShortcut("C:\\User\\Startup\\Mail.lnk", "C:\\mail.exe");
    fs.addShortcut("C:\\All\\Startup\\Sync.lnk", "C:\\sync.exe");
  }
  std::vector<StartupEntry> List() {
    return ListStartupEntries(reg, fs, {10, true, "Startup", "Common Startup"});
  }
  StartupEntry Entry(const std::string& caption, const std::string& locationStart = "HKEY_CU") {
    for (const StartupEntry& entry : List())
      if (entry.caption == caption && entry.location.rfind(locationStart, 0) == 0) return entry;
    ADD_FAILURE() << caption;
    return {};
  }
  std::optional<ApprovalBytes> Approval(RootKey root, const std::string& list,
                                        const std::string& name) {
    TRegistry key(reg, root, RegAccess::Read);
    RegValue value;
    if (!key.OpenPath(std::string(kApproved) + "\\" + list) || !key.RawValue(name, value))
      return std::nullopt;
    EXPECT_EQ(value.type, kRegBinary);
    return value.data;
  }
  bool Switch(const StartupEntry& entry, bool enabled) {
    std::string reason;
    const bool done = SetStartupState(reg, entry, enabled, kDisabledAt, reason);
    EXPECT_EQ(done, reason.empty()) << reason;
    return done;
  }
  CommandOutput Command(const std::vector<std::string>& args) {
    std::string error;
    const auto parsed = ParseStartupArguments(args, error);
    EXPECT_TRUE(parsed) << error;
    return RunStartupCommand(*parsed, reg, fs, {10, true, "Startup", "Common Startup"},
                             [] { return kDisabledAt; });
  }
  ApprovalViewNotingRegistry reg;
  MemoryFileSystem fs;
};

TEST_F(StartupApprovalTest, EachEntryShowsTheStateTheSystemsListReads) {
  std::map<std::string, StartupState> states;
  for (const StartupEntry& entry : List())
    states[entry.caption + "@" + entry.location.substr(0, 18)] = entry.state;
  using S = StartupState;
  EXPECT_EQ(states, (std::map<std::string, StartupState>{
                        {"Plain@HKEY_CURRENT_USER\\", S::Enabled},  // no value: enabled
                        {"Six@HKEY_CURRENT_USER\\", S::Enabled},
                        {"Off@HKEY_CURRENT_USER\\", S::Disabled},  // names match in any case
                        {"Odd@HKEY_CURRENT_USER\\", S::Enabled},   // not the system's form
                        {"Once@HKEY_CURRENT_USER\\", S::NotSwitchable},
                        {"Plain@HKEY_LOCAL_MACHINE", S::Enabled},
                        {"Old32@HKEY_LOCAL_MACHINE", S::Disabled},
                        {"Mail.lnk@Startup", S::Enabled},
                        {"Sync.lnk@Common Startup", S::Disabled}}));
}

TEST_F(StartupApprovalTest, DisableWritesTheDocumentedBytesAndEnableTakesThemBack) {
  // No value yet: disabled is 03 and the time; enabled again, the system's 02 form.
  ASSERT_TRUE(Switch(Entry("Plain"), false));
  ApprovalBytes disabled = {3, 0, 0, 0};
  disabled.insert(disabled.end(), kDisabledAtBytes.begin(), kDisabledAtBytes.end());
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "Plain"), disabled);
  EXPECT_EQ(Entry("Plain").state, StartupState::Disabled);
  EXPECT_EQ(Entry("Plain", "HKEY_LOCAL_MACHINE").state, StartupState::Enabled);
  ASSERT_TRUE(Switch(Entry("Plain"), true));
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "Plain"),
            ApprovalBytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  // 06 keeps its other bits: 07 when off, the original bytes when on again.
  const ApprovalBytes six = *Approval(RootKey::CurrentUser, "Run", "Six");
  ASSERT_TRUE(Switch(Entry("Six"), false));
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "Six")->at(0), 7);
  ASSERT_TRUE(Switch(Entry("Six"), true));
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "Six"), six);

  // Switching to the state it has changes nothing, not even the time.
  const ApprovalBytes off = *Approval(RootKey::CurrentUser, "Run", "off");
  ASSERT_TRUE(Switch(Entry("Off"), false));
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "off"), off);

  // The 32-bit Run key and the common Startup folder have lists of their own.
  ASSERT_TRUE(Switch(Entry("Old32", "HKEY_LOCAL_MACHINE"), true));
  EXPECT_EQ(Approval(RootKey::LocalMachine, "Run32", "Old32"),
            ApprovalBytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_TRUE(Switch(Entry("Mail.lnk", "Startup"), false));
  EXPECT_EQ(Approval(RootKey::CurrentUser, "StartupFolder", "Mail.lnk")->at(0), 3);

  std::string reason;
  EXPECT_FALSE(SetStartupState(reg, Entry("Once"), false, kDisabledAt, reason));
  EXPECT_NE(reason.find("does not switch"), std::string::npos) << reason;
  reg.denyWriteAccess(std::string("HKEY_LOCAL_MACHINE\\") + kApproved + "\\StartupFolder");
  EXPECT_FALSE(SetStartupState(reg, Entry("Sync.lnk", "Common"), true, kDisabledAt, reason));
  EXPECT_NE(reason.find("access denied"), std::string::npos) << reason;
}

TEST_F(StartupApprovalTest, A32BitProcessOn64BitWindowsKeepsTheStateWhereTheSystemReadsIt) {
  // Such a process sees the 32-bit view's Run key as HKEY_LOCAL_MACHINE's
  // Run: its state is under Run32, and every list is in the 64-bit view.
  TRegistry run32(reg, RootKey::LocalMachine, RegAccess::All);
  ASSERT_TRUE(run32.OpenPath(std::string(kApproved) + "\\Run32", true));
  ASSERT_TRUE(run32.WriteValue({"Plain", kRegBinary, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}));
  StartupListOptions wow64{10, false, "Startup", "Common Startup", true};
  const auto entryOf = [&](const std::string& caption, const std::string& locationStart) {
    for (const StartupEntry& entry : ListStartupEntries(reg, fs, wow64))
      if (entry.caption == caption && entry.location.rfind(locationStart, 0) == 0) return entry;
    ADD_FAILURE() << caption;
    return StartupEntry{};
  };
  reg.approvalViews.clear();
  EXPECT_EQ(entryOf("Plain", "HKEY_LOCAL_MACHINE").state, StartupState::Disabled);
  ASSERT_TRUE(Switch(entryOf("Plain", "HKEY_LOCAL_MACHINE"), true));
  ASSERT_TRUE(Switch(entryOf("Mail.lnk", "Startup"), false));
  EXPECT_EQ(reg.approvalViews, std::set<RegView>{RegView::SixtyFourBit});
  EXPECT_EQ(Approval(RootKey::LocalMachine, "Run32", "Plain"),
            ApprovalBytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Approval(RootKey::LocalMachine, "Run", "Plain"), std::nullopt);
  EXPECT_EQ(Approval(RootKey::CurrentUser, "StartupFolder", "Mail.lnk")->at(0), 3);

  // A 64-bit process (or one on 32-bit Windows) reads its own view, where
  // the same Run key's state is under Run.
  reg.approvalViews.clear();
  wow64.wow64Process = false;
  EXPECT_EQ(entryOf("Plain", "HKEY_LOCAL_MACHINE").state, StartupState::Enabled);
  EXPECT_EQ(reg.approvalViews, std::set<RegView>{RegView::Own});
}

TEST_F(StartupApprovalTest, TheConsoleListsSwitchesAndNamesExactlyOneEntry) {
  const CommandOutput list = Command({"list", "--json"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_NE(list.out.find("{\"name\": \"Old32\", \"command\": \"C:\\\\x86.exe\", \"location\": "
                          "\"HKEY_LOCAL_MACHINE\\\\Software\\\\Wow6432Node\\\\Microsoft\\\\"
                          "Windows\\\\CurrentVersion\\\\Run\", \"state\": \"disabled\"}"),
            std::string::npos)
      << list.out;

  CommandOutput ambiguous = Command({"disable", "plain"});
  EXPECT_EQ(ambiguous.exitCode, 2);
  EXPECT_NE(ambiguous.err.find("names 2 entries"), std::string::npos) << ambiguous.err;
  EXPECT_EQ(Command({"disable", "Nothing"}).exitCode, 2);
  EXPECT_EQ(Command({"disable", "Once"}).exitCode, 2);
  const CommandOutput done =
      Command({"disable", "Plain", "--location",
               "hkey_local_machine\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"});
  EXPECT_EQ(done.exitCode, 0) << done.err;
  EXPECT_EQ(Approval(RootKey::LocalMachine, "Run", "Plain")->at(0), 3);
  EXPECT_EQ(Approval(RootKey::CurrentUser, "Run", "Plain"), std::nullopt);
  EXPECT_NE(Command({"list"}).out.find("Plain\tdisabled\tHKEY_LOCAL_MACHINE"), std::string::npos);

  std::string error;
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{},
                                             {"stop", "X"},
                                             {"disable"},
                                             {"list", "X"},
                                             {"enable", "A", "B"},
                                             {"enable", "A", "--location"}})
    EXPECT_FALSE(ParseStartupArguments(bad, error)) << (bad.empty() ? "" : bad[0]);
}

}  // namespace
}  // namespace hs

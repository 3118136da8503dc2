// The full registry backup through Wine's regedit and the real wait dialog:
// reported written only when the export is there and starts as one.
#include <windows.h>
#include <gtest/gtest.h>

#include "platform/win32/Win32FileSystem.h"
#include "restore/win32/FullRegistryBackup.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

class FullRegistryBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base = test::TempFolder("HivesweepFullBackup");
    fs.deleteSilently(base + ".reg");
    calls = win32::FullBackupCalls::System(fs, texts, "English");
    calls.chooseFile = [this](HWND, const std::string& title) {
      asked.push_back(title);
      return std::optional<std::string>(base);
    };
    calls.askYesNo = [this](HWND, const std::string& text) {
      asked.push_back(text);
      return answer;
    };
    calls.tellError = [this](HWND, const std::string& text) { told.push_back(text); };
  }
  void TearDown() override { fs.deleteSilently(base + ".reg"); }

  win32::FullBackupResult Run() { return win32::BackupFullRegistry(nullptr, {fs, texts, calls}); }

  win32::Win32FileSystem fs;
  Translation texts{fs, "", "English"};
  std::string base;
  win32::FullBackupCalls calls;
  bool answer = false;
  std::vector<std::string> asked, told;
};

TEST_F(FullRegistryBackupTest, TheEditorsExportIsCheckedAndAnExistingFileAskedAbout) {
  win32::FullBackupResult result = Run();
  EXPECT_EQ(result.end, win32::FullBackupEnd::Written) << result.error;
  EXPECT_EQ(result.path, base + ".reg");
  EXPECT_EQ(asked, std::vector<std::string>{"Save full registry"});
  EXPECT_TRUE(told.empty());
  std::string bytes;
  ASSERT_EQ(fs.readFile(result.path, bytes), FsStatus::Ok);
  EXPECT_GT(bytes.size(), 1000u);

  // No to the overwrite question: nothing runs, the file stays as it was.
  asked.clear();
  result = Run();
  EXPECT_EQ(result.end, win32::FullBackupEnd::NotReplaced);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[1], base + ".reg has existed,overite it?");
  std::string after;
  ASSERT_EQ(fs.readFile(result.path, after), FsStatus::Ok);
  EXPECT_EQ(after, bytes);
}

TEST_F(FullRegistryBackupTest, AnEditorThatEndsWithoutAnExportIsReportedAsFailed) {
  answer = true;
  calls.runEditor = [this](HWND, const std::string&, const std::string&) {
    std::unique_ptr<FileWriter> writer;
    if (fs.openForWrite(base + ".reg", false, writer) == FsStatus::Ok) writer->write("garbage");
    return EditorRun::Ended;  // its exit code says nothing
  };
  win32::FullBackupResult result = Run();
  EXPECT_EQ(result.end, win32::FullBackupEnd::Failed);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find("does not start as a registry export"), std::string::npos) << told[0];

  // An earlier export left in place is no new backup, whatever it holds.
  std::unique_ptr<FileWriter> earlier;
  ASSERT_EQ(fs.openForWrite(base + ".reg", false, earlier), FsStatus::Ok);
  ASSERT_EQ(earlier->write("REGEDIT4\r\n"), FsStatus::Ok);
  earlier.reset();
  calls.runEditor = [](HWND, const std::string&, const std::string&) { return EditorRun::Ended; };
  result = Run();
  EXPECT_EQ(result.end, win32::FullBackupEnd::Failed);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_NE(told[1].find("did not rewrite"), std::string::npos) << told[1];

  fs.deleteSilently(base + ".reg");
  result = Run();
  EXPECT_EQ(result.end, win32::FullBackupEnd::Failed);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_NE(told[2].find("wrote no file"), std::string::npos) << told[2];
}

}  // namespace
}  // namespace hs

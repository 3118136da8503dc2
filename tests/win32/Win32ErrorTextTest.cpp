// The system's own words for a failed file call, kept per thread for the
// message the user reads.
#include <windows.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"

namespace hs::win32 {
namespace {

std::string SystemTempFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  return Narrow(std::wstring_view(temp, length));
}

TEST(Win32FileSystemErrorText, AFailedCallKeepsTheSystemsTextUntilTheNextCallOnItsThread) {
  Win32FileSystem fs;
  const std::string missing = SystemTempFolder() + "HivesweepNoSuchFolder\\sub\\report.txt";
  std::unique_ptr<FileWriter> writer;
  ASSERT_EQ(fs.openForWrite(missing, false, writer), FsStatus::NotFound);
  const std::string text = fs.lastErrorText();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_EQ(FsFailureReason(fs, FsStatus::NotFound), text);

  // Another thread has its own last error: none.
  std::string other = "unset";
  std::thread([&] { other = fs.lastErrorText(); }).join();
  EXPECT_EQ(other, "");

  // A refused name says so too; a success clears the text.
  EXPECT_EQ(fs.openForWrite(SystemTempFolder() + "a*.txt", false, writer), FsStatus::Failed);
  EXPECT_FALSE(fs.lastErrorText().empty());
  const std::string file = SystemTempFolder() + "hivesweep-error-text.txt";
  ASSERT_EQ(fs.openForWrite(file, false, writer), FsStatus::Ok);
  EXPECT_EQ(fs.lastErrorText(), "");
  writer.reset();
  fs.deleteSilently(file);
}

}  // namespace
}  // namespace hs::win32

// The file-system conformance suite on the real file system (Wine's under
// test), in a folder below the user's temporary folder.
#include <windows.h>

#include "conformance/FileSystemConformance.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"

namespace hs::conformance {
namespace {

std::string ScratchFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  std::string folder = win32::Narrow(std::wstring_view(temp, length));
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder + "\\HivesweepConformance";
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Win32, FileSystemConformance,
    ::testing::Values(FileSystemTarget{
        "Win32", [] { return std::make_unique<win32::Win32FileSystem>(); }, ScratchFolder, {}, {}}),
    FileSystemTargetName);

}  // namespace hs::conformance

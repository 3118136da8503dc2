// The window's manifest asks for administrator rights (with common controls
// 6 and per-monitor DPI), the console's runs as its caller; both name the
// supported systems. Both carry the program icon in every size
// from 16 to 256 pixels and the version 2.8, read back from
// the built files beside this test program.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "win32/BesideTestProgram.h"

namespace hs::test {
namespace {

// The bytes of resource 1 of `type` in `program`; "" when it has none.
std::string ResourceOf(const std::wstring& program, LPCWSTR type) {
  const win32::UniqueHmodule module(::LoadLibraryExW(
      program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return {};
  const HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), type);
  if (!found) return {};
  const HGLOBAL loaded = ::LoadResource(module.get(), found);
  const auto* bytes = static_cast<const char*>(::LockResource(loaded));
  return bytes ? std::string(bytes, ::SizeofResource(module.get(), found)) : std::string();
}

std::wstring VersionText(const std::wstring& program, const wchar_t* name) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
  std::string block(size, '\0');
  if (!size || !::GetFileVersionInfoW(program.c_str(), 0, size, block.data())) return {};
  wchar_t* value = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!::VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
    return {};
  return std::wstring(value, length ? length - 1 : 0);
}

// The pixel widths of an icon group: a 6-byte header, then 14 bytes per
// image whose first byte is the width (0 meaning 256).
std::vector<int> IconWidths(const std::string& group) {
  std::vector<int> widths;
  for (std::size_t at = 6; at + 14 <= group.size(); at += 14) {
    const int width = static_cast<unsigned char>(group[at]);
    widths.push_back(width == 0 ? 256 : width);
  }
  return widths;
}

bool Holds(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

TEST(ProgramResourcesTest, EachProgramCarriesItsManifestAndBothTheVersion) {
  const std::string gui = ResourceOf(BesideTestProgram(L"hivesweep.exe"), MAKEINTRESOURCEW(24));
  const std::string console =
      ResourceOf(BesideTestProgram(L"hivesweep-cli.exe"), MAKEINTRESOURCEW(24));
  ASSERT_FALSE(gui.empty());
  ASSERT_FALSE(console.empty());
  for (const char* needed :
       {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"requireAdministrator\"",
        "PerMonitorV2, PerMonitor", "true/pm"})
    EXPECT_TRUE(Holds(gui, needed)) << needed;
  // The console runs as the prompt it is started from.
  EXPECT_TRUE(Holds(console, "level=\"asInvoker\"")) << console;
  EXPECT_FALSE(Holds(console, "requireAdministrator"));
  EXPECT_FALSE(Holds(console, "highestAvailable"));
  for (const std::string* manifest : {&gui, &console})
    for (const char* system :
         {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
      EXPECT_TRUE(Holds(*manifest, system)) << system;
  for (const wchar_t* program : {L"hivesweep.exe", L"hivesweep-cli.exe"}) {
    EXPECT_EQ(VersionText(BesideTestProgram(program), L"ProductName"), L"Corvane Hivesweep");
    EXPECT_EQ(VersionText(BesideTestProgram(program), L"ProductVersion"), L"2.8");
    EXPECT_EQ(VersionText(BesideTestProgram(program), L"OriginalFilename"), program);
    EXPECT_EQ(IconWidths(ResourceOf(BesideTestProgram(program), RT_GROUP_ICON)),
              (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 128, 256}))
        << "the program icon";
  }
}

}  // namespace
}  // namespace hs::test

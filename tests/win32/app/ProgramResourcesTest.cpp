// Both programs carry the one manifest (common controls 6, administrator,
// per-monitor DPI, the supported systems) and the version 2.8, read back from
// the built files beside this test program.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/UniqueHandle.h"

namespace hs::test {
namespace {

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

std::string ManifestOf(const std::wstring& program) {
  const win32::UniqueHmodule module(::LoadLibraryExW(
      program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return {};
  const HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
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

TEST(ProgramResourcesTest, BothProgramsCarryTheOneManifestAndVersion) {
  const std::string gui = ManifestOf(BesideThisProgram(L"hivesweep.exe"));
  const std::string console = ManifestOf(BesideThisProgram(L"hivesweep-cli.exe"));
  ASSERT_FALSE(gui.empty());
  EXPECT_EQ(gui, console);
  for (const char* needed :
       {"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "level=\"requireAdministrator\"",
        "PerMonitorV2, PerMonitor", "true/pm", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(gui.find(needed), std::string::npos) << needed;
  for (const wchar_t* program : {L"hivesweep.exe", L"hivesweep-cli.exe"}) {
    EXPECT_EQ(VersionText(BesideThisProgram(program), L"ProductName"), L"Corvane Hivesweep");
    EXPECT_EQ(VersionText(BesideThisProgram(program), L"ProductVersion"), L"2.8");
    EXPECT_EQ(VersionText(BesideThisProgram(program), L"OriginalFilename"), program);
  }
}

}  // namespace
}  // namespace hs::test

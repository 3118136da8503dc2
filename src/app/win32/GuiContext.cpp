#include "app/win32/GuiContext.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/ProgramLocation.h"
#include "platform/win32/QuerySystemFacts.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::app {

namespace {

std::vector<std::string> CommandLineArguments() {
  int count = 0;
  const win32::UniqueHlocal arguments(
      reinterpret_cast<HLOCAL>(::CommandLineToArgvW(::GetCommandLineW(), &count)));
  std::vector<std::string> result;
  const auto* list = static_cast<wchar_t* const*>(arguments.get());
  for (int i = 1; list && i < count; ++i) result.push_back(win32::Narrow(list[i]));
  return result;
}

}  // namespace

ui::AppContext BuildGuiContext(Win32Machine& machine) {
  const std::string folder = win32::ProgramFolder();
  return ui::AppContext{
      machine.fs,         machine.registry,      folder, Settings::Defaults(folder),
      QuerySystemFacts(), CommandLineArguments()};
}

}  // namespace hs::app

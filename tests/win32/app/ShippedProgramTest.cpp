// A shipped copy of the program as a user starts it, from the folder the
// installer or the portable zip put it in: tests/win32/installer.sh names it
// in HS_SHIPPED_PROGRAM (without it there is nothing to test). The copy must
// open its main window with the title, the section tree, the findings list
// and the three task buttons, and end with exit code 0 when it is closed.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "mainwindow/win32/MainWindowIdentity.h"
#include "platform/win32/UniqueHandle.h"

namespace hs::test {
namespace {

using namespace std::chrono_literals;

std::wstring ShippedProgram() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"HS_SHIPPED_PROGRAM", path, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

struct Started {
  win32::UniqueHandle process;
  DWORD id = 0;
};

// Started from another folder, so the copy finds its files by its own path.
Started Start(const std::wstring& program) {
  std::wstring command = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  Started started;
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        L"C:\\", &startup, &info))
    return started;
  win32::UniqueHandle thread(info.hThread);
  started.process.reset(info.hProcess);
  started.id = info.dwProcessId;
  return started;
}

bool Running(HANDLE process) {
  return ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

HWND WaitForMainWindow(const Started& copy, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end && Running(copy.process.get())) {
    const HWND window = ::FindWindowW(mainwindow::kMainWindowClassName, nullptr);
    DWORD owner = 0;
    if (window && ::GetWindowThreadProcessId(window, &owner) && owner == copy.id &&
        ::IsWindowVisible(window))
      return window;
    std::this_thread::sleep_for(100ms);
  }
  return nullptr;
}

struct Child {
  HWND window;
  std::wstring className;
  std::wstring text;
};

std::wstring Text(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

BOOL CALLBACK AddVisibleChild(HWND child, LPARAM found) {
  if (!::IsWindowVisible(child)) return TRUE;
  wchar_t name[64] = {};
  ::GetClassNameW(child, name, 64);
  reinterpret_cast<std::vector<Child>*>(found)->push_back({child, name, Text(child)});
  return TRUE;
}

std::vector<Child> VisibleChildren(HWND parent) {
  std::vector<Child> children;
  ::EnumChildWindows(parent, AddVisibleChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

const Child* FindChild(const std::vector<Child>& children, const wchar_t* className,
                       const wchar_t* text = nullptr) {
  for (const Child& child : children)
    if (child.className == className && (!text || child.text == text)) return &child;
  return nullptr;
}

TEST(ShippedProgramTest, OpensItsMainWindowAndEndsWhenClosed) {
  const std::wstring program = ShippedProgram();
  if (program.empty()) GTEST_SKIP() << "HS_SHIPPED_PROGRAM names no shipped copy";
  Started copy = Start(program);
  ASSERT_TRUE(copy.process) << "cannot start the shipped program, error " << ::GetLastError();
  const HWND main = WaitForMainWindow(copy, 30s);
  if (!main) ::TerminateProcess(copy.process.get(), 1);  // only the copy this test started
  ASSERT_NE(main, nullptr) << "no main window within 30 s";

  EXPECT_EQ(Text(main), L"Corvane Hivesweep 2.8");
  const std::vector<Child> children = VisibleChildren(main);
  const Child* tree = FindChild(children, WC_TREEVIEWW);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(::SendMessageW(tree->window, TVM_GETCOUNT, 0, 0), 22);  // every section
  const Child* list = FindChild(children, WC_LISTVIEWW);
  ASSERT_NE(list, nullptr);
  const auto header = reinterpret_cast<HWND>(::SendMessageW(list->window, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);  // problem, key, value
  for (const wchar_t* caption :
       {L"Scan registry issues", L"Repair registry issues", L"Restore previous registry "})
    EXPECT_NE(FindChild(children, WC_BUTTONW, caption), nullptr) << "no button " << caption;

  ::PostMessageW(main, WM_CLOSE, 0, 0);
  const bool ended = ::WaitForSingleObject(copy.process.get(), 15000) == WAIT_OBJECT_0;
  if (!ended) ::TerminateProcess(copy.process.get(), 1);
  ASSERT_TRUE(ended) << "the program did not end within 15 s of its window's closing";
  DWORD exitCode = 1;
  ::GetExitCodeProcess(copy.process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
}

}  // namespace
}  // namespace hs::test

// The single-instance rule, with each "copy" of the program on a thread of
// its own (the window search and the named mutex answer threads as they
// answer processes): a later start wakes the running copy and ends; two
// starts at the same moment open one window between them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/win32/ProgramRun.h"
#include "widgets/win32/Window.h"

namespace hs::app {
namespace {

struct Counters {
  std::atomic<int> windowsCreated{0};
  std::atomic<int> wakeUps{0};
};

// A main window that ends its copy when it is woken (or after 3 s).
class WakeableWindow : public ui::Window, public MainWindowHost {
 public:
  WakeableWindow(const InstanceNames& names, Counters& counters) : m_counters(counters) {
    ui::WindowLayout design;
    design.componentName = "frmTest";
    design.caption = L"running copy";
    design.width = 200;
    design.height = 100;
    if (!create({.className = names.mainWindowClass.c_str()}, design)) return;
    ++m_counters.windowsCreated;
    // A copy nobody wakes ends on its own, so that a broken rule fails the
    // test instead of hanging it.
    ::SetTimer(Window::hwnd(), 1, 3000, nullptr);
  }
  HWND hwnd() const override { return Window::hwnd(); }
  HACCEL accelerators() const override { return nullptr; }

 protected:
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case mainwindow::WM_SHOW_MAIN:
        return onShowMain();
      case WM_TIMER:
        ::DestroyWindow(Window::hwnd());
        return 0;
      case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
      default:
        return defaultHandling(message, wParam, lParam);
    }
  }

 private:
  LRESULT onShowMain() {
    ++m_counters.wakeUps;
    ::DestroyWindow(Window::hwnd());
    return 0;
  }
  Counters& m_counters;
};

InstanceNames UniqueNames(const wchar_t* test) {
  const std::wstring suffix = std::wstring(test) + L" " + std::to_wstring(::GetCurrentProcessId());
  return {L"Hivesweep single-instance test " + suffix, L"Local\\Hivesweep test " + suffix};
}

// One copy's run; `delayBeforeWindow` stretches the moment between the
// start-up check and the window, where two copies could miss each other.
int RunCopy(const InstanceNames& names, Counters& counters,
            std::chrono::milliseconds delayBeforeWindow) {
  return RunSingleCopy(names, 5000, [&]() -> std::unique_ptr<MainWindowHost> {
    std::this_thread::sleep_for(delayBeforeWindow);
    return std::make_unique<WakeableWindow>(names, counters);
  });
}

TEST(SingleInstanceTest, ALaterStartWakesTheRunningCopyAndEnds) {
  const InstanceNames names = UniqueNames(L"later");
  Counters counters;
  std::thread first([&] { EXPECT_EQ(RunCopy(names, counters, {}), 0); });
  for (int i = 0; i < 200 && !::FindWindowW(names.mainWindowClass.c_str(), nullptr); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_NE(::FindWindowW(names.mainWindowClass.c_str(), nullptr), nullptr);

  std::thread second([&] { EXPECT_EQ(RunCopy(names, counters, {}), 0); });
  second.join();
  first.join();  // ends only because the second start woke it
  EXPECT_EQ(counters.windowsCreated, 1);
  EXPECT_EQ(counters.wakeUps, 1);
}

TEST(SingleInstanceTest, TwoStartsAtTheSameMomentOpenOneWindow) {
  const InstanceNames names = UniqueNames(L"together");
  Counters counters;
  std::atomic<bool> go{false};
  const auto copy = [&] {
    while (!go) std::this_thread::yield();
    EXPECT_EQ(RunCopy(names, counters, std::chrono::milliseconds(300)), 0);
  };
  std::thread one(copy);
  std::thread two(copy);
  go = true;
  one.join();
  two.join();
  EXPECT_EQ(counters.windowsCreated, 1);
  EXPECT_EQ(counters.wakeUps, 1);  // the loser woke the winner, which then ended
}

}  // namespace
}  // namespace hs::app

// The restore-point dialog with the request made by the test: a new point
// ends it without a question; a dialog closed while the request still runs ends at
// once with Cancel, and the request's late answer goes nowhere.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <utility>
#include <vector>

#include "mainwindow/win32/SystemPointDialog.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "settings/Settings.h"
#include "translation/Translation.h"
#include "win32/mainwindow/GuiTestSupport.h"

namespace hs {
namespace {

class SystemPointDialogTest : public ::testing::Test {
 protected:
  SystemPointDialogTest() {
    questions.askYesNo = [this](HWND, const std::string&, bool) {
      ++questionsAsked;
      return true;
    };
  }
  win32::SystemPointInput Input(std::function<RestorePointCall()> request) {
    return {fs,
            translation,
            "English",
            41,
            questions,
            std::move(request),
            [this](std::int64_t sequence, RestorePointClose how) {
              closed.push_back({sequence, how});
              ::SetEvent(closedEvent.get());
            }};
  }

  win32::Win32FileSystem fs;
  Translation translation{fs, "C:\\", "English"};
  win32::WindowQuestions questions;
  int questionsAsked = 0;
  // Written by the worker before it sets the event.
  std::vector<std::pair<std::int64_t, RestorePointClose>> closed;
  const win32::UniqueHandle closedEvent{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

TEST_F(SystemPointDialogTest, NewPointEndsWithOkWithoutQuestion) {
  win32::SystemPointOutput output =
      win32::SystemPointDialog(nullptr, Input([] {
                                 return RestorePointCall{true, true, true, 0, 42};
                               }));
  EXPECT_TRUE(output.goOn);
  EXPECT_TRUE(output.created);
  EXPECT_EQ(output.sequenceNumber, 42);
  EXPECT_EQ(questionsAsked, 0);
}

TEST_F(SystemPointDialogTest, ClosedWhileTheRequestRunsEndsAtOnceAndDropsTheLateAnswer) {
  const win32::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const win32::UniqueHandle finished(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE releaseEvent = release.get();
  HANDLE finishedEvent = finished.get();
  auto request = [releaseEvent, finishedEvent] {
    ::WaitForSingleObject(releaseEvent, 30000);
    ::SetEvent(finishedEvent);
    return RestorePointCall{true, true, true, kSrStatusSuccess, 43};
  };
  test::DialogDriver closer(win32::kSystemPointProgress,
                            [](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); });

  const DWORD started = ::GetTickCount();
  const win32::SystemPointOutput output = win32::SystemPointDialog(nullptr, Input(request));
  ASSERT_TRUE(closer.Acted());
  EXPECT_LT(::GetTickCount() - started, 10000u);  // not held until the request ends
  EXPECT_FALSE(output.goOn);
  EXPECT_EQ(::WaitForSingleObject(finishedEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // The worker was left alive: it finishes now, asks nothing, and cancels the
  // point it opened, since no repair follows it.
  ::SetEvent(releaseEvent);
  ASSERT_EQ(::WaitForSingleObject(finishedEvent, 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  ::Sleep(100);
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
  EXPECT_EQ(questionsAsked, 0);
  ASSERT_EQ(::WaitForSingleObject(closedEvent.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(closed[0].first, 43);
  EXPECT_EQ(closed[0].second, RestorePointClose::Cancel);
}

}  // namespace
}  // namespace hs

// The progress dialog with its worker on Wine's registry and file system: the
// dialog is real and is driven from another thread through window messages,
// as a user's clicks arrive.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/ScanCommand.h"
#include "findings/ResultFilter.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/TRegistry.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "scan/ScanTestSupport.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/Settings.h"
#include "translation/Translation.h"

namespace hs {
namespace {

const char kScratch[] = "Software\\HivesweepTest";

// Seeds `count` values naming missing programs under the scratch key.
void SeedMissingPrograms(RegistryBackend& registry, int count) {
  TRegistry scratch(registry, RootKey::CurrentUser);
  scratch.RemovePath(kScratch);
  ASSERT_TRUE(scratch.OpenPath(kScratch, true));
  for (int i = 0; i < count; ++i)
    ASSERT_TRUE(scratch.WriteValueText("v" + std::to_string(i),
                                       "C:\\HivesweepGone" + std::to_string(i) + "\\app.exe"));
}

void RemoveScratch(RegistryBackend& registry) {
  TRegistry(registry, RootKey::CurrentUser).RemovePath(kScratch);
}

// Handles what is posted to the calling thread for a while (rows that could
// still arrive after the dialog returned would arrive here).
void PumpMessages(std::chrono::milliseconds duration) {
  const auto end = std::chrono::steady_clock::now() + duration;
  MSG message;
  while (std::chrono::steady_clock::now() < end) {
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    ::Sleep(5);
  }
}

// Presses the dialog's Stop button as a user would, once the dialog of that
// caption shows it and its task label reads `label` (any text when empty).
// False when that never happened.
bool PressStop(const wchar_t* caption, const wchar_t* stopText, const std::wstring& label = L"") {
  for (int attempt = 0; attempt < 1000; ++attempt, ::Sleep(5)) {
    const HWND dialog = ::FindWindowW(L"#32770", caption);
    const HWND stop = dialog ? ::FindWindowExW(dialog, nullptr, L"Button", stopText) : nullptr;
    wchar_t text[100] = L"";
    if (stop) ::GetWindowTextW(::FindWindowExW(dialog, nullptr, L"Static", nullptr), text, 100);
    if (stop && (label.empty() || label == text)) return ::PostMessageW(stop, BM_CLICK, 0, 0);
  }
  return false;
}

// Records, for each WM_SCAN_TASK_DONE, the task and how many rows the
// caller's vector held when the message was handled.
struct CountsWindow {
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SCAN_TASK_DONE) {
      auto* self = reinterpret_cast<CountsWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
      self->done.push_back({static_cast<int>(wParam), self->rows->size()});
      return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  explicit CountsWindow(const std::vector<Finding>& watched) : rows(&watched) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"HivesweepTestCounts";
    ::RegisterClassW(&windowClass);
    hwnd = ::CreateWindowW(L"HivesweepTestCounts", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~CountsWindow() { ::DestroyWindow(hwnd); }

  const std::vector<Finding>* rows;
  HWND hwnd = nullptr;
  std::vector<std::pair<int, std::size_t>> done;
};

class RegProgressHintTest : public ::testing::Test {
 protected:
  void TearDown() override { RemoveScratch(*registry); }

  ScanDialogInput Input(std::vector<std::string> tasks) {
    ScanDialogInput in;
    in.taskList = std::move(tasks);
    in.registry = registry;
    in.files = files;
    in.workers = &workers;
    return in;
  }

  std::shared_ptr<RegistryBackend> registry = std::make_shared<win32::Win32Registry>();
  std::shared_ptr<FileSystemBackend> files = std::make_shared<win32::Win32FileSystem>();
  ScanWorkers workers;  // joined last, after each test has let its worker go
};

TEST_F(RegProgressHintTest, ARealScanFillsTheRowsInTheConsolesOrderAndCountsAfterEachTask) {
  SeedMissingPrograms(*registry, 300);
  const std::vector<std::string> tasks = {"4", "1", "10"};
  const Settings settings = Settings::Defaults("C:\\Hivesweep\\");
  const ScanCommandResult console =
      RunScanCommand(*registry, *files, ScanSettings{}, settings, tasks);

  std::vector<Finding> rows;
  CountsWindow counts(rows);
  ScanDialogInput in = Input(tasks);
  in.countsWindow = counts.hwnd;
  int changes = 0;
  const ScanDialogResult result = RunScanDialog(nullptr, in, rows, [&] { ++changes; });
  PumpMessages(std::chrono::milliseconds(100));

  EXPECT_EQ(result, ScanDialogResult::Completed);
  ASSERT_GE(rows.size(), 300u);
  // The window's own steps after a scan: every row checked, then the filter.
  const std::size_t found = rows.size();
  for (Finding& row : rows) row.Checked = true;
  FilterResults(rows, settings.IgnoreValueList, settings.IgnoreKeyList, UnrepairedLists{},
                ScanSettings{}.WindowsVersion);
  ASSERT_EQ(rows.size(), console.findings.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].KeyPath, console.findings[i].KeyPath) << i;
    EXPECT_EQ(rows[i].ValueText, console.findings[i].ValueText) << i;
    EXPECT_EQ(rows[i].Kind, console.findings[i].Kind) << i;
  }
  EXPECT_GE(changes, 1);
  EXPECT_LT(changes, static_cast<int>(found)) << "rows arrive in batches, not one by one";
  // One counts message per task, each handled after its task's rows arrived.
  ASSERT_EQ(counts.done.size(), 3u);
  EXPECT_EQ(counts.done[0].first, 4);
  EXPECT_GE(counts.done[0].second, 300u);
  EXPECT_EQ(counts.done[2].first, 10);
  EXPECT_EQ(counts.done[2].second, found);
}

// Holds the scan's file-system questions from the n-th on until opened, so
// that a test can press Stop while the worker is inside a call.
class GatedFileSystem : public ForwardingFileSystem {
 public:
  GatedFileSystem(FileSystemBackend& inner, int openProbes)
      : ForwardingFileSystem(inner), m_openProbes(openProbes) {}
  PathProbe probe(const std::string& path) override {
    std::unique_lock lock(m_mutex);
    if (++m_probes > m_openProbes) {
      blocked = true;
      m_changed.notify_all();
      m_changed.wait(lock, [&] { return m_open; });
    }
    lock.unlock();
    return inner().probe(path);
  }
  bool WaitUntilBlocked() {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return blocked.load(); });
  }
  void Open() {
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
  }
  std::atomic<bool> blocked{false};

 private:
  std::mutex m_mutex;
  std::condition_variable m_changed;
  int m_probes = 0;
  const int m_openProbes;
  bool m_open = false;
};

// Opens the gate and waits until the worker has let go of the file system.
void ReleaseWorker(std::shared_ptr<GatedFileSystem>& gated, ScanDialogInput& in) {
  gated->Open();
  in.files.reset();
  for (int i = 0; i < 400 && gated.use_count() > 1; ++i) PumpMessages(std::chrono::milliseconds(5));
}

// Stop while the worker is inside a file-system call: the dialog returns at
// once with result 3, holding only whole rows of the scan, and nothing the
// worker does after that reaches the rows.
TEST_F(RegProgressHintTest, StopReturnsAtOnceWithResult3AndNothingArrivesAfterIt) {
  SeedMissingPrograms(*registry, 400);
  const std::vector<std::string> tasks = {"4", "10"};
  test::RecordingSink console;
  {
    ScanContext scan(*registry, *files, console, ScanSettings{}, tasks);
    RunScanTasks(scan);
  }
  win32::Win32FileSystem real;
  auto gated = std::make_shared<GatedFileSystem>(real, 120);
  ScanDialogInput in = Input(tasks);
  in.files = gated;
  std::vector<Finding> rows;
  std::thread user([&] {
    if (!gated->WaitUntilBlocked() || !PressStop(L"Scanning", L"Stop")) gated->Open();
  });
  const ScanDialogResult result = RunScanDialog(nullptr, in, rows, [] {});
  const bool workerStillInsideItsCall = gated->blocked;
  user.join();
  const std::vector<Finding> atReturn = rows;
  ReleaseWorker(gated, in);

  EXPECT_EQ(static_cast<int>(result), 3);
  EXPECT_TRUE(workerStillInsideItsCall) << "Stop did not wait for the worker";
  EXPECT_EQ(gated.use_count(), 1) << "the worker ended and let go of its file system";
  ASSERT_EQ(rows.size(), atReturn.size()) << "a row arrived after the dialog returned";
  ASSERT_FALSE(rows.empty());
  ASSERT_LT(rows.size(), console.findings.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(test::Row(rows[i]), test::Row(console.findings[i])) << "whole rows, in order";
    EXPECT_EQ(rows[i].Problem, console.findings[i].Problem) << i;
  }
}

// The unattended run: the dialog is modal but never on screen, and it still
// starts its worker (nothing activates a hidden dialog) and ends by itself.
TEST_F(RegProgressHintTest, CleanOnceRunsTheScanWithTheDialogNeverShown) {
  SeedMissingPrograms(*registry, 200);
  ScanDialogInput in = Input({"4"});
  in.cleanOnce = true;
  std::atomic<bool> done{false};
  std::atomic<bool> seen{false};
  std::atomic<bool> shown{false};
  std::thread watcher([&] {
    while (!done) {
      const HWND dialog = ::FindWindowW(L"#32770", L"Scanning");
      if (dialog) seen = true;
      if (dialog && ::IsWindowVisible(dialog)) shown = true;
      ::Sleep(1);
    }
  });
  std::vector<Finding> rows;
  const ScanDialogResult result = RunScanDialog(nullptr, in, rows, [] {});
  done = true;
  watcher.join();
  EXPECT_EQ(result, ScanDialogResult::Completed);
  EXPECT_GE(rows.size(), 200u);
  EXPECT_TRUE(seen.load()) << "the watcher never saw the dialog: the test proves nothing";
  EXPECT_FALSE(shown.load());
}

// In another language the dialog is relabelled from the translation file
// (its components are registered under their names) and the scanners'
// captions come through the scan's texts.
TEST_F(RegProgressHintTest, TheDialogAndTheCaptionsSpeakTheScansLanguage) {
  SeedMissingPrograms(*registry, 50);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::string folder = win32::Narrow(temp);
  const std::string file = folder + "Lan_Test.ini";
  {
    std::unique_ptr<FileWriter> writer;
    ASSERT_EQ(files->openForWrite(file, false, writer), FsStatus::Ok);
    writer->write(
        "[frmRegProgressHint]\r\nfrmRegProgressHint=Suche\r\nbStop=Anhalten\r\n"
        "[ResourceString]\r\nRES_Scanning_Files_And_Folders_HKEY_CURRENT_USER=Durchsuche HKCU\r\n");
  }
  win32::Win32FileSystem real;
  auto gated = std::make_shared<GatedFileSystem>(real, 5);
  ScanDialogInput in = Input({"4"});
  in.files = gated;
  in.settings.Texts = Translation(*files, folder, "Test");
  bool pressed = false;
  std::thread user([&] {
    pressed = gated->WaitUntilBlocked() && PressStop(L"Suche", L"Anhalten", L"Durchsuche HKCU");
    gated->Open();  // not relabelled: the scan ends by itself
  });
  std::vector<Finding> rows;
  const ScanDialogResult result = RunScanDialog(nullptr, in, rows, [] {});
  user.join();
  ReleaseWorker(gated, in);
  files->deleteSilently(file);
  EXPECT_TRUE(pressed) << "no dialog \"Suche\" with \"Anhalten\" and the caption in the file";
  EXPECT_EQ(result, ScanDialogResult::Stopped);
}

}  // namespace
}  // namespace hs

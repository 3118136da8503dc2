// hivesweep-scan-dialog-bench [VALUES]: a scan of a generated registry with
// VALUES findings (default 100,000) through the real main window and its
// progress dialog, started as the Scan command from the menu. A second
// thread sends the GUI thread an empty message every 2 ms and times each
// answer: the longest answer is the longest time the GUI thread went without
// pumping its messages. The findings list's row count (asked from outside,
// LVM_GETITEMCOUNT) is compared with the console's scan of the same
// sections. Prints "name value" lines. Not a test: run it through
// scripts/bench-wine-scan-dialog.sh.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/ScanCommand.h"
#include "mainwindow/win32/MainMenu.h"
#include "mainwindow/win32/RegMain.h"
#include "platform/TRegistry.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "settings/Settings.h"
#include "ui/AppContext.h"

namespace {

const char kBenchKey[] = "Software\\HivesweepBench";
constexpr int kValuesPerKey = 100;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now;
}

// Values naming programs in one missing folder: one file-system question
// answers them all, so the scan's time is the registry walk and the rows.
bool Seed(hs::RegistryBackend& registry, int values) {
  hs::TRegistry root(registry, hs::RootKey::CurrentUser);
  root.RemovePath(kBenchKey);
  for (int key = 0; key * kValuesPerKey < values; ++key) {
    hs::TRegistry writer(registry, hs::RootKey::CurrentUser);
    if (!writer.OpenPath(std::string(kBenchKey) + "\\K" + std::to_string(key), true)) return false;
    for (int value = 0; value < kValuesPerKey && key * kValuesPerKey + value < values; ++value) {
      const std::string name = "v" + std::to_string(value);
      if (!writer.WriteValueText(name, "C:\\HivesweepGone\\app" + std::to_string(key) + "_" +
                                           std::to_string(value) + ".exe"))
        return false;
    }
  }
  return true;
}

// A program folder whose options.ini checks only the root, the group and
// HKEY_CURRENT_USER (tasks 1, 2, 4).
std::string ProgramFolder(hs::FileSystemBackend& files) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::string folder = hs::win32::Narrow(temp) + "HivesweepBench\\";
  files.createDirectory(folder);
  std::string ini = "[TreeViewNodeCheck]\r\n";
  for (int n = 1; n <= 23; ++n)
    ini += std::to_string(n) + "=" + (n == 1 || n == 2 || n == 4 ? "1" : "0") + "\r\n";
  std::unique_ptr<hs::FileWriter> writer;
  if (files.openForWrite(folder + "options.ini", false, writer) == hs::FsStatus::Ok)
    writer->write(ini);
  return folder;
}

void PumpUntilIdle() {
  MSG message;
  for (int round = 0; round < 20; ++round, ::Sleep(10))
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
}

// One answer of the GUI thread: how long it took and when it was asked (ms
// from the start).
struct Ping {
  double ms = 0;
  double at = 0;
};

// Times the GUI thread's answers to an empty message sent every 2 ms.
class PumpWatch {
 public:
  double DialogLastSeenMs() const { return m_dialogLastSeen; }
  double ElapsedMs() const { return Seconds(m_start, Now()) * 1000.0; }

  explicit PumpWatch(HWND target)
      : m_start(Now()), m_thread([this, target] {
          while (!m_stop) {
            const LARGE_INTEGER sent = Now();
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            m_pings.push_back({Seconds(sent, Now()) * 1000.0, Seconds(m_start, sent) * 1000.0});
            ::Sleep(2);
          }
          m_done = true;
        }) {}
  // Keeps pumping until the watcher has its last answer, so that its final
  // ping is not left waiting on a thread that stopped listening.
  std::vector<Ping> Finish() {
    m_stop = true;
    m_sampler.join();
    MSG message;
    while (!m_done) {
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
      ::Sleep(1);
    }
    m_thread.join();
    return m_pings;
  }

 private:
  LARGE_INTEGER m_start;
  std::atomic<bool> m_stop{false};
  // When the dialog was last seen (ms from the start), sampled every ms.
  std::atomic<double> m_dialogLastSeen{0};
  std::thread m_sampler{[this] {
    while (!m_stop) {
      if (::FindWindowW(L"#32770", L"Scanning"))
        m_dialogLastSeen = Seconds(m_start, Now()) * 1000.0;
      ::Sleep(1);
    }
  }};
  std::atomic<bool> m_done{false};
  std::vector<Ping> m_pings;
  std::thread m_thread;
};

// The answers' times: of the pings answered before `until` (ms from the
// start), or of all when `until` is negative.
std::vector<double> Gaps(const std::vector<Ping>& pings, double until) {
  std::vector<double> gaps;
  for (const Ping& ping : pings)
    if (until < 0 || ping.at + ping.ms <= until) gaps.push_back(ping.ms);
  return gaps;
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int values = argc > 1 ? _wtoi(argv[1]) : 100000;
  if (values <= 0) {
    std::fputs("usage: hivesweep-scan-dialog-bench [VALUES]\n", stderr);
    return 2;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  hs::win32::Win32Registry registry;
  hs::win32::Win32FileSystem files;
  if (!Seed(registry, values)) {
    std::fputs("could not seed the registry\n", stderr);
    return 3;
  }
  const std::string folder = ProgramFolder(files);
  hs::ui::AppContext context{files, registry, folder, hs::Settings::Defaults(folder), {}, {}};

  const std::vector<std::string> tasks = {"1", "2", "4"};
  LARGE_INTEGER start = Now();
  const hs::ScanCommandResult console =
      hs::RunScanCommand(registry, files, hs::ScanSettings::From(context.settings, context.facts),
                         context.settings, tasks);
  const double consoleSeconds = Seconds(start, Now());

  hs::win32::WindowQuestions answers;
  answers.askYesNo = [](HWND, const std::string&, bool) { return false; };
  answers.chooseReportFile = [](HWND) { return std::optional<std::string>(); };
  answers.tellError = [](HWND, const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
  };
  auto window = std::make_unique<hs::mainwindow::TfrmKeyscour>(context, answers);
  if (!window->Create()) {
    std::fputs("could not create the main window\n", stderr);
    return 3;
  }
  ::ShowWindow(window->hwnd(), SW_SHOW);
  PumpUntilIdle();
  const HWND list = window->components().find("lvRegistryData")->window;

  PumpWatch watch(window->hwnd());
  start = Now();
  ::SendMessageW(window->hwnd(), WM_COMMAND,
                 static_cast<WPARAM>(hs::mainwindow::MainCommand::ScanRegistry), 0);
  const double windowSeconds = Seconds(start, Now());
  const double dialogGoneMs = watch.DialogLastSeenMs();
  const double afterDialogMs = watch.ElapsedMs() - dialogGoneMs;
  const std::vector<Ping> pings = watch.Finish();
  PumpUntilIdle();
  const auto listRows = static_cast<std::size_t>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  window.reset();
  hs::TRegistry(registry, hs::RootKey::CurrentUser).RemovePath(kBenchKey);

  std::printf("list-rows %zu\n", listRows);
  std::printf("console-rows %zu\n", console.findings.size());
  std::printf("rows-equal %s\n", listRows == console.findings.size() ? "yes" : "no");
  std::printf("console-seconds %.3f\n", consoleSeconds);
  std::printf("window-seconds %.3f\n", windowSeconds);
  // "dialog": answered while the progress dialog was still there; "command":
  // the whole Scan command, the window's own steps after the dialog included.
  for (const bool dialogOnly : {true, false}) {
    const std::vector<double> gaps = Gaps(pings, dialogOnly ? dialogGoneMs : -1);
    const char* span = dialogOnly ? "dialog" : "command";
    std::printf("%s-pings %zu\n", span, gaps.size());
    std::printf("%s-pump-gap-max-ms %.1f\n", span,
                gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
    std::printf("%s-pump-gap-p99-ms %.1f\n", span, Percentile(gaps, 0.99));
    std::printf("%s-pump-gap-median-ms %.1f\n", span, Percentile(gaps, 0.5));
  }
  // The window's own steps after the dialog closed (check all, filter,
  // fit columns, counts), within the command, without pumping.
  std::printf("after-dialog-ms %.1f\n", afterDialogMs);
  std::vector<Ping> longest = pings;
  std::sort(longest.begin(), longest.end(),
            [](const Ping& a, const Ping& b) { return a.ms > b.ms; });
  for (std::size_t i = 0; i < longest.size() && i < 3; ++i)
    std::printf("long-answer %.1f ms asked at %.0f ms (dialog gone at %.0f ms)\n", longest[i].ms,
                longest[i].at, dialogGoneMs);
  return listRows == console.findings.size() && listRows >= static_cast<std::size_t>(values) ? 0
                                                                                             : 1;
}

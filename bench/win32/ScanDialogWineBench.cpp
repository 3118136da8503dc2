// hivesweep-scan-dialog-bench [VALUES]: a scan of a generated registry with
// VALUES findings (default 100,000) through the real progress dialog, with a
// virtual list view standing in for the findings list of the main window.
// A second thread sends the GUI thread an empty message every 2 ms and times
// each answer: the longest answer is the longest time the GUI thread went
// without pumping its messages. The rows the dialog delivered, checked and
// filtered as the window does, are counted against the console's scan of the
// same registry. Prints "name value" lines. Not a test: run it through
// scripts/bench-wine-scan-dialog.sh.
#include <windows.h>
// commctrl.h needs windows.h first.
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "cli/ScanCommand.h"
#include "findings/ResultFilter.h"
#include "platform/TRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Registry.h"
#include "scan/win32/RegProgressHint.h"
#include "settings/Settings.h"

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

// The stand-in for the main window: a virtual list over the rows.
struct ListHost {
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ListHost*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == WM_NOTIFY &&
        reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
      self->fill(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
      return 0;
    }
    if (self && message == hs::WM_SCAN_TASK_DONE) ++self->tasksDone;
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

  void fill(LVITEMW& item) {
    if (!(item.mask & LVIF_TEXT) || item.iItem < 0 ||
        static_cast<std::size_t>(item.iItem) >= rows->size())
      return;
    const hs::Finding& row = (*rows)[static_cast<std::size_t>(item.iItem)];
    const std::string& text = item.iSubItem == 0 ? row.Problem : row.KeyPath;
    text16.assign(text.begin(), text.end());
    item.pszText = text16.data();
  }

  explicit ListHost(const std::vector<hs::Finding>& watched) : rows(&watched) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &Procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"HivesweepBenchHost";
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    ::RegisterClassW(&windowClass);
    hwnd = ::CreateWindowW(L"HivesweepBenchHost", L"Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           684, 520, nullptr, nullptr, windowClass.hInstance, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    list = ::CreateWindowW(WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                           0, 0, 660, 470, hwnd, nullptr, windowClass.hInstance, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<wchar_t*>(L"Problem");
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = 500;
    column.pszText = const_cast<wchar_t*>(L"Registry key");
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    ping = ::CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
  }
  ~ListHost() {
    ::DestroyWindow(ping);
    ::DestroyWindow(hwnd);
  }

  void rowsChanged() {
    // As the toolkit's virtual list sets its count.
    ::SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows->size()), LVSICF_NOSCROLL);
  }

  const std::vector<hs::Finding>* rows;
  HWND hwnd = nullptr;
  HWND list = nullptr;
  HWND ping = nullptr;
  int tasksDone = 0;
  std::wstring text16;
};

// Times the GUI thread's answers to an empty message sent every 2 ms.
class PumpWatch {
 public:
  explicit PumpWatch(HWND target)
      : m_thread([this, target] {
          while (!m_stop) {
            const LARGE_INTEGER sent = Now();
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored);
            m_gaps.push_back(Seconds(sent, Now()) * 1000.0);
            ::Sleep(2);
          }
          m_done = true;
        }) {}
  // Keeps pumping until the watcher has its last answer, so that its final
  // ping is not left waiting on a thread that stopped listening.
  std::vector<double> Finish() {
    m_stop = true;
    MSG message;
    while (!m_done) {
      while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
      ::Sleep(1);
    }
    m_thread.join();
    return m_gaps;
  }

 private:
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_done{false};
  std::vector<double> m_gaps;
  std::thread m_thread;
};

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
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&controls);
  auto registry = std::make_shared<hs::win32::Win32Registry>();
  auto files = std::make_shared<hs::win32::Win32FileSystem>();
  if (!Seed(*registry, values)) {
    std::fputs("could not seed the registry\n", stderr);
    return 3;
  }
  const std::vector<std::string> tasks = {"4"};
  const hs::Settings settings = hs::Settings::Defaults("C:\\Hivesweep\\");

  LARGE_INTEGER start = Now();
  const hs::ScanCommandResult console =
      hs::RunScanCommand(*registry, *files, hs::ScanSettings{}, settings, tasks);
  const double consoleSeconds = Seconds(start, Now());

  std::vector<hs::Finding> rows;
  ListHost host(rows);
  hs::ScanDialogInput in;
  in.taskList = tasks;
  in.registry = registry;
  in.files = files;
  in.countsWindow = host.hwnd;
  int changes = 0;
  PumpWatch watch(host.ping);
  start = Now();
  const hs::ScanDialogResult result = hs::RunScanDialog(host.hwnd, in, rows, [&] {
    ++changes;
    host.rowsChanged();
  });
  const double dialogSeconds = Seconds(start, Now());
  const std::vector<double> gaps = watch.Finish();
  const std::size_t delivered = rows.size();
  for (hs::Finding& row : rows) row.Checked = true;
  hs::FilterResults(rows, settings.IgnoreValueList, settings.IgnoreKeyList, hs::UnrepairedLists{},
                    hs::ScanSettings{}.WindowsVersionCode);
  hs::TRegistry(*registry, hs::RootKey::CurrentUser).RemovePath(kBenchKey);

  std::printf("dialog-result %d\n", static_cast<int>(result));
  std::printf("rows-delivered %zu\n", delivered);
  std::printf("rows-after-filter %zu\n", rows.size());
  std::printf("console-rows %zu\n", console.findings.size());
  std::printf("rows-equal %s\n", rows.size() == console.findings.size() ? "yes" : "no");
  std::printf("rows-changed-calls %d\n", changes);
  std::printf("tasks-done-messages %d\n", host.tasksDone);
  std::printf("console-seconds %.3f\n", consoleSeconds);
  std::printf("dialog-seconds %.3f\n", dialogSeconds);
  std::printf("pings %zu\n", gaps.size());
  std::printf("pump-gap-max-ms %.1f\n",
              gaps.empty() ? 0.0 : *std::max_element(gaps.begin(), gaps.end()));
  std::printf("pump-gap-p99-ms %.1f\n", Percentile(gaps, 0.99));
  std::printf("pump-gap-median-ms %.1f\n", Percentile(gaps, 0.5));
  const bool ok =
      result == hs::ScanDialogResult::Completed && rows.size() == console.findings.size();
  return ok ? 0 : 1;
}

#include "scan/win32/RegProgressHint.h"

#include <commctrl.h>

#include <chrono>
#include <exception>
#include <utility>

#include "platform/win32/WideText.h"
#include "scan/BatchingScanSink.h"
#include "scan/ProgressStep.h"
#include "scan/ScanProgressView.h"
#include "scan/ScanTaskRunner.h"
#include "translation/IniFile.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs {
namespace {

// The worker's wake-up call: something waits in the hand-over (wParam: the
// scan id, so that a message of an earlier scan is told apart; lParam
// kWorkerBroke when the worker ended on an error nobody caught).
constexpr UINT WM_SCAN_BATCH = WM_APP + 0x13;
constexpr LPARAM kWorkerBroke = 1;
constexpr UINT_PTR kTimer1 = 1;
constexpr int kStopId = 100;
// Telling the list of new rows repaints it: while a task runs, at most this
// often.
constexpr std::chrono::milliseconds kRowsAnnounceInterval{250};

// Everything the worker touches, kept alive by the worker itself: after a
// Stop the dialog returns at once and the worker ends at its next check.
struct ScanWork {
  ScanWork(const ScanDialogInput& in, std::shared_ptr<ScanHandOver> handOver, std::uint64_t scanId,
           HWND dialog)
      : registry(in.registry),
        files(in.files),
        sink(
            std::move(handOver), scanId,
            [dialog, scanId] {
              ::PostMessageW(dialog, WM_SCAN_BATCH, static_cast<WPARAM>(scanId), 0);
            },
            [counts = in.countsWindow](int task) {
              if (counts) ::PostMessageW(counts, WM_SCAN_TASK_DONE, static_cast<WPARAM>(task), 0);
            }),
        context(*registry, *files, sink, in.settings, in.taskList) {}

  std::shared_ptr<RegistryBackend> registry;
  std::shared_ptr<FileSystemBackend> files;
  BatchingScanSink sink;
  ScanContext context;
};

class TfrmRegProgressHint : public ui::Dialog {
 public:
  TfrmRegProgressHint(const ScanDialogInput& in, std::vector<Finding>& rows,
                      const std::function<void()>& rowsChanged)
      : ui::Dialog({.componentName = "frmRegProgressHint",
                    .caption = L"Scanning",
                    .clientWidth = 395,
                    .clientHeight = 166}),
        m_in(in),
        m_rows(rows),
        m_rowsChanged(rowsChanged),
        m_handOver(in.handOver ? in.handOver : std::make_shared<ScanHandOver>()) {}

  ~TfrmRegProgressHint() override { stopWorker(); }

  ScanDialogResult Run(HWND owner) {
    const INT_PTR result = runModal(owner);
    stopWorker();
    // A dialog that could not be made (-1) ran no scan: as good as stopped.
    return result == IDCANCEL ? ScanDialogResult::Completed : ScanDialogResult::Stopped;
  }

 protected:
  bool onInitDialog() override;
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void createControls();
  void relabel();
  void onActivate(WPARAM wParam);
  void onScanStart();
  void onScanBatch(WPARAM scanId, LPARAM how);
  void onTimer();
  void onWindowPosChanging(WINDOWPOS& position);
  void onStop();
  void drain(bool timerTick);
  void announceRows(bool now);
  void showView();
  void stopWorker();
  ScanWorkers& Workers() { return m_in.workers ? *m_in.workers : m_ownWorkers; }

  const ScanDialogInput& m_in;
  std::vector<Finding>& m_rows;
  const std::function<void()>& m_rowsChanged;
  std::shared_ptr<ScanHandOver> m_handOver;
  std::shared_ptr<ScanWork> m_work;
  ScanProgressView m_view;
  bool m_startPosted = false;
  bool m_ended = false;
  HWND m_taskLabel = nullptr;
  HWND m_bar = nullptr;
  HWND m_keyMemo = nullptr;
  std::string m_shownCaption;
  std::string m_shownKey;
  int m_shownBar = -1;
  bool m_rowsUnannounced = false;
  std::chrono::steady_clock::time_point m_rowsAnnounced{};
  // The worker when the caller keeps none: joined as the dialog goes.
  ScanWorkers m_ownWorkers;
};

bool TfrmRegProgressHint::onInitDialog() {
  createControls();
  relabel();
  // Hidden, nothing activates the dialog: it starts the scan itself.
  if (m_in.cleanOnce) {
    m_startPosted = true;
    ::PostMessageW(hwnd(), WM_SCAN_START, 0, 0);
  }
  return true;
}

void TfrmRegProgressHint::createControls() {
  const HWND dialog = hwnd();
  const HFONT font = reinterpret_cast<HFONT>(::SendMessageW(dialog, WM_GETFONT, 0, 0));
  m_taskLabel = ui::AddControl(dialog, components(),
                               {.className = WC_STATICW,
                                .name = "lScanTask",
                                .kind = ui::ComponentKind::Captioned,
                                .text = L"Scanning ",
                                .style = SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                                .left = 16,
                                .top = 16,
                                .width = 363,
                                .height = 18,
                                .font = font});
  m_bar = ui::AddControl(dialog, components(),
                         {.className = PROGRESS_CLASSW,
                          .name = "ProgressBar1",
                          .text = L"",
                          .left = 16,
                          .top = 42,
                          .width = 363,
                          .height = 18});
  ::SendMessageW(m_bar, PBM_SETRANGE32, 0, kProgressMax);
  ::SendMessageW(m_bar, PBM_SETPOS, 0, 0);
  m_keyMemo = ui::AddControl(dialog, components(),
                             {.className = WC_EDITW,
                              .name = "Memo1",
                              .text = L"Registry Key",
                              .style = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                              .left = 16,
                              .top = 70,
                              .width = 363,
                              .height = 32,
                              .font = font});
  ui::AddControl(dialog, components(),
                 {.className = WC_BUTTONW,
                  .name = "bStop",
                  .kind = ui::ComponentKind::Captioned,
                  .text = L"Stop",
                  .style = BS_PUSHBUTTON | WS_TABSTOP,
                  .left = 160,
                  .top = 124,
                  .width = 75,
                  .height = 25,
                  .id = kStopId,
                  .font = font});
  ui::Component timer;
  timer.name = "Timer1";
  timer.id = kTimer1;
  components().add(std::move(timer));
}

// In the scan's language; English keeps the built-in texts.
void TfrmRegProgressHint::relabel() {
  const Translation& texts = m_in.settings.Texts;
  if (texts.IsEnglish()) return;
  const std::string path = texts.FilePath(texts.Language());
  if (!path.empty()) ui::TranslateForm(components(), IniFile::Load(*m_in.files, path));
}

INT_PTR TfrmRegProgressHint::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      onActivate(wParam);
      return FALSE;
    case WM_SCAN_START:
      onScanStart();
      return TRUE;
    case WM_SCAN_BATCH:
      onScanBatch(wParam, lParam);
      return TRUE;
    case WM_TIMER:
      if (wParam == kTimer1) onTimer();
      return TRUE;
    case WM_WINDOWPOSCHANGING:
      onWindowPosChanging(*reinterpret_cast<WINDOWPOS*>(lParam));
      return FALSE;
    case WM_COMMAND:
      // Stop, Esc and the close box all stop a scan that has not ended.
      if (LOWORD(wParam) == kStopId || LOWORD(wParam) == IDCANCEL) onStop();
      return TRUE;
    default:
      return FALSE;
  }
}

void TfrmRegProgressHint::onActivate(WPARAM wParam) {
  if (LOWORD(wParam) == WA_INACTIVE || m_startPosted) return;
  m_startPosted = true;
  ::PostMessageW(hwnd(), WM_SCAN_START, 0, 0);
}

// Starts the worker once; the dialog is on screen (or hidden for good).
void TfrmRegProgressHint::onScanStart() {
  if (m_work || m_ended) return;
  m_view.scanId = m_handOver->BeginScan();
  try {
    m_work = std::make_shared<ScanWork>(m_in, m_handOver, m_view.scanId, hwnd());
    Workers().Start([work = m_work, dialog = hwnd(), id = m_view.scanId] {
      try {
        RunScanTasks(work->context);
      } catch (...) {
        // The runner catches what a scanner throws; anything else (memory)
        // ends the scan where it is, as a stop does.
        ::PostMessageW(dialog, WM_SCAN_BATCH, static_cast<WPARAM>(id), kWorkerBroke);
      }
    });
  } catch (const std::exception&) {
    m_work.reset();
    m_handOver->EndScan(m_view.scanId);
    m_ended = true;
    endDialog(IDABORT);
    return;
  }
  ::SetTimer(hwnd(), kTimer1, kProgressTickMs, nullptr);
}

void TfrmRegProgressHint::onScanBatch(WPARAM scanId, LPARAM how) {
  if (scanId != static_cast<WPARAM>(m_view.scanId)) return;
  drain(false);
  if (how == kWorkerBroke) onStop();
}

void TfrmRegProgressHint::onTimer() {
  drain(true);
  m_view.Tick();
  showView();
}

void TfrmRegProgressHint::onWindowPosChanging(WINDOWPOS& position) {
  if (m_in.cleanOnce) position.flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
}

void TfrmRegProgressHint::onStop() {
  if (m_ended) return;
  announceRows(true);
  stopWorker();
  endDialog(IDABORT);
}

// Moves what the worker handed over into the caller's rows, in order, and
// closes the dialog when the worker reported the end of its list.
void TfrmRegProgressHint::drain(bool timerTick) {
  if (m_ended || !m_work) return;
  const int tasksEnded = m_view.tasksEnded;
  if (m_view.Apply(m_handOver->Take(), m_rows) > 0) m_rowsUnannounced = true;
  // A task's end is announced before its counts message is handled.
  announceRows(timerTick || m_view.tasksEnded != tasksEnded || m_view.finished);
  showView();
  if (!m_view.finished) return;
  m_ended = true;
  ::KillTimer(hwnd(), kTimer1);
  m_handOver->EndScan(m_view.scanId);
  m_work.reset();
  endDialog(IDCANCEL);
}

void TfrmRegProgressHint::announceRows(bool now) {
  if (!m_rowsUnannounced) return;
  const auto time = std::chrono::steady_clock::now();
  if (!now && time - m_rowsAnnounced < kRowsAnnounceInterval) return;
  m_rowsUnannounced = false;
  m_rowsAnnounced = time;
  if (m_rowsChanged) m_rowsChanged();
}

void TfrmRegProgressHint::showView() {
  if (m_view.caption != m_shownCaption) {
    m_shownCaption = m_view.caption;
    ::SetWindowTextW(m_taskLabel, win32::Widen(m_shownCaption).c_str());
  }
  if (m_view.currentKey != m_shownKey) {
    m_shownKey = m_view.currentKey;
    ::SetWindowTextW(m_keyMemo, win32::Widen(m_shownKey).c_str());
  }
  if (m_view.barPosition != m_shownBar) {
    m_shownBar = m_view.barPosition;
    ::SendMessageW(m_bar, PBM_SETPOS, static_cast<WPARAM>(m_shownBar), 0);
  }
}

// Asks the worker to stop and never waits for it: whatever it still reports
// is dropped by the hand-over, since its scan is no longer current.
void TfrmRegProgressHint::stopWorker() {
  if (m_ended && !m_work) return;
  m_ended = true;
  if (hwnd()) ::KillTimer(hwnd(), kTimer1);
  if (m_work) {
    m_work->context.Stop.Request();
    m_handOver->EndScan(m_view.scanId);
    m_work.reset();
  }
}

}  // namespace

ScanDialogResult RunScanDialog(HWND owner, const ScanDialogInput& in, std::vector<Finding>& rows,
                               const std::function<void()>& rowsChanged) {
  if (!in.registry || !in.files) return ScanDialogResult::Stopped;
  TfrmRegProgressHint dialog(in, rows, rowsChanged);
  return dialog.Run(owner);
}

}  // namespace hs

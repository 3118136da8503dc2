#include "mainwindow/win32/RepairWaitDialog.h"

#include <commctrl.h>

#include <memory>
#include <thread>

#include "platform/win32/UniqueHandle.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"

namespace hs::win32 {

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr int kLabel = 1201;
constexpr int kBar = 1202;

struct RepairJob {
  std::vector<Finding> rows;
  RepairOutcome outcome;
  UniqueHandle done;
};

// The error of a stopped run with the reason of the failed file call; read on
// the worker, since the system keeps it per thread.
std::string WithSystemReason(FileSystemBackend& fs, const std::string& error) {
  const std::string reason = fs.lastErrorText();
  if (reason.empty() || error.find(reason) != std::string::npos) return error;
  return error + ": " + reason;
}

void RunJob(RepairJob& job, RegistryBackend& registry, FileSystemBackend& fs,
            const std::string& folder) {
  try {
    job.outcome = RepairIntoFolder(registry, fs, folder, job.rows);
  } catch (const std::exception& error) {
    job.outcome = {};
    job.outcome.end = RepairEnd::Aborted;
    job.outcome.error = error.what();
  }
  if (job.outcome.end == RepairEnd::Aborted)
    job.outcome.error = WithSystemReason(fs, job.outcome.error);
}

bool Signalled(HANDLE event) {
  return ::WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

class TfrmRepairWait : public ui::Dialog {
 public:
  explicit TfrmRepairWait(HANDLE done)
      : ui::Dialog({"frmRepairWait", L"Repair registry issues", 340, 80}), m_done(done) {}

 protected:
  bool onInitDialog() override {
    ui::AddControl(hwnd(), components(),
                   {WC_STATICW, "Label1", ui::ComponentKind::Captioned,
                    L"Repairing the checked problems, please wait...", SS_LEFT, 0, 12, 12, 316, 20,
                    kLabel, nullptr});
    const HWND bar =
        ui::AddControl(hwnd(), components(),
                       {PROGRESS_CLASSW, "ProgressBar1", ui::ComponentKind::Untranslated, L"",
                        PBS_MARQUEE, 0, 12, 44, 316, 18, kBar, nullptr});
    ::SendMessageW(bar, PBM_SETMARQUEE, TRUE, 50);
    ::SetTimer(hwnd(), kPollTimer, 100, nullptr);
    return true;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM) override {
    switch (message) {
      case WM_TIMER:
        onPollTimer();
        return TRUE;
      case WM_COMMAND:  // Esc does not leave a running repair
        return LOWORD(wParam) == IDCANCEL ? TRUE : FALSE;
      case WM_CLOSE:
        return TRUE;
      default:
        return FALSE;
    }
  }

 private:
  void onPollTimer() {
    if (!Signalled(m_done)) return;
    ::KillTimer(hwnd(), kPollTimer);
    endDialog(IDOK);
  }

  HANDLE m_done;
};

}  // namespace

RepairOutcome RepairOffWindowThread(HWND owner, RegistryBackend& registry, FileSystemBackend& fs,
                                    const std::string& folder, std::vector<Finding>& rows) {
  auto job = std::make_shared<RepairJob>();
  job->rows = rows;
  job->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!job->done) {  // no event: run here, the window waits
    RunJob(*job, registry, fs, folder);
    rows = std::move(job->rows);
    return job->outcome;
  }
  std::thread worker([job, &registry, &fs, folder] {
    RunJob(*job, registry, fs, folder);
    ::SetEvent(job->done.get());
  });
  if (::WaitForSingleObject(job->done.get(), kRepairWaitDialogDelayMs) != WAIT_OBJECT_0) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
    TfrmRepairWait dialog(job->done.get());
    if (dialog.runModal(owner) == -1) ::WaitForSingleObject(job->done.get(), INFINITE);
  }
  worker.join();
  rows = std::move(job->rows);
  return job->outcome;
}

}  // namespace hs::win32

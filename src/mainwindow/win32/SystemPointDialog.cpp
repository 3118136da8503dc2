#include "mainwindow/win32/SystemPointDialog.h"

#include <commctrl.h>

#include <memory>
#include <mutex>
#include <thread>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "translation/Translation.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr int kPointGroupBox = 1100;
constexpr int kFirstLabel = 1101;

// What the worker and the dialog share. The dialog clears `notify` when it
// goes, so a late answer is posted nowhere.
struct PointRequestState {
  std::mutex lock;
  HWND notify = nullptr;
  bool answered = false;
  RestorePointCall call;
  RestorePointVerdict verdict;
};

void RequestOnWorker(std::shared_ptr<PointRequestState> state, RestorePointRequest request,
                     RestorePointCloser close, std::optional<std::int64_t> earlier) {
  RestorePointCall call;
  try {
    call = request();
  } catch (...) {
    call = {};  // reported as System Restore being unavailable
  }
  const RestorePointVerdict verdict = JudgeRestorePoint(call, earlier);
  {
    const std::lock_guard<std::mutex> guard(state->lock);
    state->answered = true;
    state->call = call;
    state->verdict = verdict;
    if (state->notify) {
      ::PostMessageW(state->notify, WM_CREATE_POINT_DONE, 0, verdict.created ? 0 : 1);
      return;
    }
  }
  // Nobody waits for this point any more: no repair will follow it.
  if (verdict.created && close) close(call.sequenceNumber, RestorePointClose::Cancel);
}

class TfrmSystemPoint : public ui::Dialog {
 public:
  explicit TfrmSystemPoint(const SystemPointInput& input)
      : ui::Dialog({"frmSystemPoint", L"Create System Point", 470, 150}),
        m_input(input),
        m_state(std::make_shared<PointRequestState>()) {}
  ~TfrmSystemPoint() override { detachWorker(); }
  const SystemPointOutput& Output() const { return m_output; }

 protected:
  bool onInitDialog() override {
    removeTitleBarButtons();
    createControls();
    {
      const std::lock_guard<std::mutex> guard(m_state->lock);
      m_state->notify = hwnd();
    }
    std::thread(RequestOnWorker, m_state, m_input.request, m_input.close, m_input.earlierSequence)
        .detach();
    ::SetTimer(hwnd(), kTimer1, 1000, nullptr);
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    return true;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    switch (message) {
      case WM_TIMER:
        onTimer1();
        return TRUE;
      case WM_CREATE_POINT_DONE:
        onPointDone(lParam);
        return TRUE;
      case WM_CLOSE:
        onClose();
        return TRUE;
      case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) return FALSE;
        onClose();  // Esc: the same as a close request
        return TRUE;
      case WM_DESTROY:
        onDestroy();
        return TRUE;
      default:
        return FALSE;
    }
  }

 private:
  // The dialog ends when the system has answered: no close box, no system menu.
  void removeTitleBarButtons() {
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style & ~static_cast<LONG_PTR>(WS_SYSMENU));
    ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  void createControls() {
    add({WC_BUTTONW, "GroupBox1", ui::ComponentKind::Captioned, L"", BS_GROUPBOX, 0, 10, 6, 450,
         136, kPointGroupBox});
    const wchar_t* const labels[] = {
        L"Creating Restore Point", L"Corvane Hivesweep is creating a restore point which will",
        L"enable you to safely return your system back to its former state.", L"Please wait..."};
    for (int i = 0; i < 4; ++i)
      add({WC_STATICW, "Label" + std::to_string(i + 1), ui::ComponentKind::Captioned, labels[i],
           SS_LEFT, 0, 22, 24 + 22 * i, 426, 20, kFirstLabel + i});
    const HWND bar = add({PROGRESS_CLASSW, "ProgressBar1", ui::ComponentKind::Untranslated, L"", 0,
                          0, 22, 114, 426, 18, kSystemPointProgress});
    ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
    ::SendMessageW(bar, PBM_SETPOS, 0, 0);
  }

  void onTimer1() {
    const HWND bar = ::GetDlgItem(hwnd(), kSystemPointProgress);
    const int position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(NextRestorePointProgress(position)), 0);
  }

  void onPointDone(LPARAM failed) {
    if (m_done) return;
    takeAnswer();
    m_output.goOn = true;
    if (failed != 0) m_output.goOn = askToGoOn();
    m_done = true;
    ::PostMessageW(hwnd(), WM_CLOSE, 0, 0);
  }

  bool askToGoOn() {
    std::string text = m_input.translation.GetLanString(
        "RES_CreatePoint_Fail", "Restore Point creation Failed! Contiue to repair?");
    if (!m_output.reason.empty()) text += "\r\n\r\n(" + m_output.reason + ")";
    return m_input.questions.askYesNo(hwnd(), text, true);
  }

  void takeAnswer() {
    const std::lock_guard<std::mutex> guard(m_state->lock);
    if (!m_state->answered) return;
    m_output.created = m_state->verdict.created;
    m_output.reason = m_state->verdict.reason;
    m_output.sequenceNumber = m_state->call.sequenceNumber;
  }

  // A close before the answer cancels the repair; the worker is left to end.
  // An answer already posted is taken, so the caller can close its point.
  void onClose() {
    detachWorker();
    if (!m_done) {
      takeAnswer();
      m_output.goOn = false;
    }
    endDialog(m_output.goOn ? IDOK : IDCANCEL);
  }

  void onDestroy() {
    ::KillTimer(hwnd(), kTimer1);
    detachWorker();
  }

  void detachWorker() {
    const std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->notify = nullptr;
  }

  const SystemPointInput& m_input;
  std::shared_ptr<PointRequestState> m_state;
  SystemPointOutput m_output;
  bool m_done = false;
};

}  // namespace

SystemPointOutput SystemPointDialog(HWND owner, const SystemPointInput& input) {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&classes);
  TfrmSystemPoint dialog(input);
  dialog.runModal(owner);
  return dialog.Output();
}

}  // namespace hs::win32

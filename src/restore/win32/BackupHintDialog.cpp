#include "restore/win32/BackupHintDialog.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "restore/BackupHintProgress.h"
#include "restore/win32/RegistryEditorProcess.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr UINT_PTR kTimer1 = 1;

class TfrmBackupHint : public ui::Dialog {
 public:
  TfrmBackupHint(RegistryEditorProcess& editor, const std::string& hint,
                 const BackupHintInput& input)
      : ui::Dialog({"frmBackupHint", L"Corvane Hivesweep", 360, 130}),
        m_editor(editor),
        m_hint(hint),
        m_input(input) {}
  bool Stopped() const { return m_stopped; }
  bool StopConfirmed() const { return m_stopConfirmed; }

 protected:
  bool onInitDialog() override {
    add({WC_BUTTONW, "GroupBox1", ui::ComponentKind::Captioned, L"", BS_GROUPBOX, 0, 10, 6, 340, 80,
         0});
    add({WC_STATICW, "lHint", ui::ComponentKind::Untranslated, Widen(m_hint), SS_LEFT, 0, 22, 26,
         316, 20, kBackupHintLabel});
    add({PROGRESS_CLASSW, "ProgressBar1", ui::ComponentKind::Untranslated, L"", 0, 0, 22, 52, 316,
         18, kBackupHintBar});
    const HWND stop = add({WC_BUTTONW, "bStop", ui::ComponentKind::Captioned, L"Stop",
                           BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 135, 96, 90, 26, kBackupHintStop});
    ::SendDlgItemMessageW(hwnd(), kBackupHintBar, PBM_SETRANGE32, 0, kBackupHintBarMax);
    ::SendDlgItemMessageW(hwnd(), kBackupHintBar, PBM_SETPOS, 0, 0);
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    ::SetTimer(hwnd(), kTimer1, kBackupHintTickMs, nullptr);
    ::SetFocus(stop);
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_TIMER && wParam == kTimer1) {
      onTimer();
      return TRUE;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == kBackupHintStop) {
      onStop();
      return TRUE;
    }
    if (message == WM_DESTROY) ::KillTimer(hwnd(), kTimer1);
    // The close box and Esc end the wait with Cancel; the editor runs on.
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }

  void onTimer() {
    if (m_editor.HasEnded()) {
      endDialog(IDOK);
      return;
    }
    m_position = NextBackupHintPosition(m_position);
    ::SendDlgItemMessageW(hwnd(), kBackupHintBar, PBM_SETPOS, static_cast<WPARAM>(m_position), 0);
  }

  void onStop() {
    m_stopConfirmed = m_editor.Stop();
    m_stopped = true;
    endDialog(IDCANCEL);
  }

  RegistryEditorProcess& m_editor;
  const std::string& m_hint;
  const BackupHintInput& m_input;
  int m_position = 0;
  bool m_stopped = false;
  bool m_stopConfirmed = false;  // the stopped editor has exited
};

}  // namespace

EditorWait RunRegistryEditor(HWND owner, const std::string& commandLine,
                             const std::string& hintText, const BackupHintInput& input) {
  EditorWait wait;
  RegistryEditorProcess editor;
  if (!editor.Start(commandLine)) {
    const std::string text = input.translation.GetLanString("RES_Regedit_Not_Exist",
                                                            "Please check if Regedit.exe exists.");
    ::MessageBoxW(owner, Widen(text).c_str(), L"Corvane Hivesweep", MB_OK | MB_ICONINFORMATION);
    return wait;
  }
  wait.processId = editor.ProcessId();
  TfrmBackupHint dialog(editor, hintText, input);
  const INT_PTR result = dialog.runModal(owner);
  if (result == IDOK)
    wait.run = EditorRun::Ended;
  else
    wait.run = !dialog.Stopped()        ? EditorRun::Abandoned
               : dialog.StopConfirmed() ? EditorRun::Stopped
                                        : EditorRun::StopUnconfirmed;
  // The process handle closes here; an abandoned editor is not touched.
  return wait;
}

}  // namespace hs::win32

#include "restore/win32/RestoreDialog.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "common/Text.h"
#include "platform/win32/RecycleBin.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "restore/BackupList.h"
#include "restore/RecycledFiles.h"
#include "restore/RestoreDialogRules.h"
#include "restore/RestoreWithQuestion.h"
#include "restore/win32/BackupHintDialog.h"
#include "restore/win32/CallingEditor.h"
#include "restore/win32/RestoreItemsDialog.h"
#include "widgets/win32/Controls.h"
#include "widgets/win32/Dialog.h"
#include "widgets/win32/Dpi.h"
#include "widgets/win32/GuiHandles.h"
#include "widgets/win32/ListView.h"
#include "widgets/win32/TranslateForm.h"

namespace hs::win32 {

namespace {

constexpr const wchar_t* kRestoreTitle = L"Corvane Hivesweep";
constexpr int kDateColumnWidth = 110;
// Wide enough for five buttons along the bottom.
constexpr int kRestoreClientWidth = 560;

// Local last-write time in the user's short date and long time formats.
std::wstring DateText(std::int64_t unixSeconds) {
  constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000LL;
  const auto ticks = static_cast<ULONGLONG>(unixSeconds * 10000000LL + kUnixEpochIn100ns);
  const FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal{}, local{};
  if (!::FileTimeToSystemTime(&utc, &universal) ||
      !::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return L"";
  wchar_t date[128] = {}, time[128] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &local, nullptr, date, 128);
  ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &local, nullptr, time, 128);
  return std::wstring(date) + L" " + time;
}

class TfrmRestore : public ui::Dialog {
 public:
  explicit TfrmRestore(const RestoreDialogInput& input)
      : ui::Dialog({"frmRestore", kRestoreTitle, kRestoreClientWidth, 340}),
        m_input(input),
        m_folder(input.backupFolder) {}

 protected:
  bool onInitDialog() override {
    CreateControls();
    ui::TranslateFormUnlessEnglish(components(), m_input.fs, m_input.translation, m_input.language);
    LayoutButtons();
    ListFolder();
    ::SetFocus(item(kRestoreList));
    return false;
  }

  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND) return onCommand(LOWORD(wParam)) ? TRUE : FALSE;
    if (message == WM_NOTIFY) {
      onNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return TRUE;
    }
    return ui::Dialog::handleMessage(message, wParam, lParam);
  }

 private:
  HWND add(const ui::ControlLayout& design) { return ui::AddControl(hwnd(), components(), design); }
  HWND item(int id) const { return ::GetDlgItem(hwnd(), id); }
  ui::ListView List() const { return ui::ListView(item(kRestoreList)); }

  void CreateControls() {
    using ui::ComponentKind;
    constexpr int kInner = kRestoreClientWidth - 20;
    add({WC_BUTTONW, "GroupBox1", ComponentKind::Captioned,
         L"Backup files are stored in the folder", BS_GROUPBOX, 0, 10, 6, kInner, 54, 0});
    add({WC_EDITW, "eFolder", ComponentKind::Untranslated, Widen(m_folder),
         ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP, 0, 20, 26, kInner - 58, 22,
         kRestoreFolder});
    add({WC_BUTTONW, "bBrowseFolder", ComponentKind::Captioned, L"...", WS_TABSTOP, 0,
         kRestoreClientWidth - 52, 25, 32, 24, kRestoreBrowse});
    const HWND list = add(
        {WC_LISTVIEWW, "ListView1", ComponentKind::ListView, L"",
         LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP,
         0, 10, 70, kInner, 220, kRestoreList});
    ui::ListView view(list);
    view.setExtendedStyle(LVS_EX_FULLROWSELECT);
    view.addColumn(L"Backup file", ui::ScaleToWindow(hwnd(), 190));
    view.addColumn(L"Date", ui::ScaleToWindow(hwnd(), kDateColumnWidth));
    view.addColumn(L"Size", ui::ScaleToWindow(hwnd(), 92));
    add({WC_BUTTONW, "bRestore", ComponentKind::Captioned, L"&Restore", WS_TABSTOP, 0, 10, 302, 90,
         28, kRestoreRestore});
    add({WC_BUTTONW, "bOpenDirectory", ComponentKind::Captioned, L"&Open Directory", WS_TABSTOP, 0,
         120, 302, 100, 28, kRestoreOpenDirectory});
    add({WC_BUTTONW, "bShowItems", ComponentKind::Captioned, L"Show &items\u2026", WS_TABSTOP, 0,
         230, 302, 100, 28, kRestoreShowItems});
    add({WC_BUTTONW, "bDelete", ComponentKind::Captioned, L"&Delete", WS_TABSTOP, 0, 340, 302, 90,
         28, kRestoreDelete});
    add({WC_BUTTONW, "bClose", ComponentKind::Captioned, L"&Close", WS_TABSTOP, 0,
         kRestoreClientWidth - 100, 302, 90, 28, kRestoreClose});
  }

  RECT BoundsOf(int id) const {
    RECT bounds{};
    ::GetWindowRect(item(id), &bounds);
    ::MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
  }

  int CaptionWidth(int id) const {
    const HWND button = item(id);
    const std::wstring caption = ui::WindowText(button);
    const ui::WindowDc dc(button);
    const ui::SelectedObject font(
        dc.get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(button, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), caption.c_str(), static_cast<int>(caption.size()), &size);
    return size.cx;
  }

  // After translation the captions may be longer: "Open Directory" and
  // "Show items" grow to their text, and the middle buttons share the space
  // left evenly.
  void LayoutButtons() {
    const RECT restore = BoundsOf(kRestoreRestore), open = BoundsOf(kRestoreOpenDirectory),
               items = BoundsOf(kRestoreShowItems), remove = BoundsOf(kRestoreDelete),
               close = BoundsOf(kRestoreClose);
    const RestoreButtonPlacement placed = PlaceRestoreButtons(
        {restore.right, close.left, open.right - open.left, CaptionWidth(kRestoreOpenDirectory),
         remove.right - remove.left, items.right - items.left, CaptionWidth(kRestoreShowItems)});
    ::MoveWindow(item(kRestoreOpenDirectory), placed.openLeft, open.top, placed.openWidth,
                 open.bottom - open.top, TRUE);
    ::MoveWindow(item(kRestoreShowItems), placed.itemsLeft, items.top, placed.itemsWidth,
                 items.bottom - items.top, TRUE);
    ::MoveWindow(item(kRestoreDelete), placed.deleteLeft, remove.top, remove.right - remove.left,
                 remove.bottom - remove.top, TRUE);
  }

  void ListFolder() {
    ui::ListView list = List();
    list.clear();
    std::vector<BackupFileEntry> files;
    const FsStatus status = ListBackupFiles(m_input.fs, m_folder, files);
    if (status == FsStatus::NotFound)
      m_input.calls.tell(hwnd(),
                         m_input.translation.GetLanString("RES_Directory_Not_Exist",
                                                          "The backup directory does not exist."),
                         false);
    for (const BackupFileEntry& file : files) {
      const int row = list.appendRow(Widen(file.name));
      list.setText(row, 1, DateText(file.modifiedUnixSeconds));
      list.setText(row, 2, Widen(SizeText(file.size)));
    }
    FitDateColumn();
    EnableRowActions();
  }

  // The user's date and time formats may be longer than the column's
  // width: it grows to its longest text, never below that width.
  void FitDateColumn() {
    const HWND list = item(kRestoreList);
    const int least = ui::ScaleToWindow(hwnd(), kDateColumnWidth);
    ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE);
    if (ListView_GetColumnWidth(list, 1) < least) ListView_SetColumnWidth(list, 1, least);
  }

  int SelectedRow() const {
    const std::vector<int> rows = List().selectedRows();
    return rows.empty() ? -1 : rows.front();
  }

  void Select(int row) {
    const HWND list = item(kRestoreList);
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (row >= 0)
      ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EnableRowActions();
  }

  void EnableRowActions() {
    const bool selected = SelectedRow() >= 0;
    ::EnableWindow(item(kRestoreRestore), selected);
    ::EnableWindow(item(kRestoreShowItems), selected);
    ::EnableWindow(item(kRestoreDelete), selected);
  }

  std::string FileOf(int row) const { return JoinPath(m_folder, Narrow(List().text(row, 0))); }

  void RemoveRow(int row) {
    ListView_DeleteItem(item(kRestoreList), row);
    Select(RowSelectedAfterRemoval(row, List().rowCount()));
  }

  bool onCommand(int id) {
    switch (id) {
      case kRestoreRestore:
        onRestore();
        return true;
      case kRestoreShowItems:
        onShowItems();
        return true;
      case kRestoreDelete:
        onDelete();
        return true;
      case kRestoreOpenDirectory:
        m_input.calls.openFolder(hwnd(), m_folder);
        return true;
      case kRestoreBrowse:
        onBrowseFolder();
        return true;
      case kRestoreClose:
        endDialog(IDCANCEL);
        return true;
      default:
        return false;
    }
  }

  void onNotify(const NMHDR& header) {
    if (header.idFrom != kRestoreList) return;
    if (header.code == LVN_ITEMCHANGED) EnableRowActions();
    if (header.code == NM_DBLCLK) onRestore();
  }

  RestoreRequest RequestFor(int row) const {
    RestoreRequest request;
    request.file = FileOf(row);
    request.backupFolder = m_input.backupFolder;
    request.deleteAfter = m_input.deleteBackupFile;
    request.texts = m_input.translation;
    request.putBack = m_input.calls.putBack;
    return request;
  }

  std::function<bool(const std::string&)> Asker() {
    return [this](const std::string& question) { return m_input.calls.askYesNo(hwnd(), question); };
  }

  void onRestore() {
    const int row = SelectedRow();
    if (row < 0) return;
    CallingEditor editor(hwnd(), m_input.calls.runEditor);
    const QuestionedRestore result =
        RestoreWithQuestion(m_input.fs, m_input.registry, editor, RequestFor(row), Asker());
    if (!result.message.empty())
      m_input.calls.tell(hwnd(), result.message, result.outcome.end != RestoreEnd::Restored);
    if (result.outcome.fileDeleted) RemoveRow(row);
  }

  // The file's items, to take back only some; a file this program did not
  // record is offered only after the same question as its whole restore.
  void onShowItems() {
    const int row = SelectedRow();
    if (row < 0) return;
    RestoreRequest request = RequestFor(row);
    QuestionedItems listed = ListItemsWithQuestion(m_input.fs, m_input.registry, request, Asker());
    if (!listed.message.empty()) m_input.calls.tell(hwnd(), listed.message, true);
    if (listed.declined || !listed.message.empty()) return;
    request.force = listed.force;
    const RestoreItemsInput items{m_input.fs,          m_input.registry,
                                  m_input.translation, m_input.language,
                                  std::move(request),  std::move(listed.listed.items),
                                  m_input.calls.tell,  m_input.calls.runEditor};
    if (RestoreItemsDialog(hwnd(), items).fileDeleted) RemoveRow(row);
  }

  // Without a question, but into the Recycle Bin: a backup is the user's only
  // way back, and one click must not lose it for good. A file that stays
  // keeps its row, and the user is told.
  void onDelete() {
    const int row = SelectedRow();
    if (row < 0) return;
    const std::string file = FileOf(row);
    if (!m_input.fs.moveToRecycleBin(file)) {
      m_input.calls.tell(hwnd(), "The backup file could not be moved to the Recycle Bin: " + file,
                         true);
      return;
    }
    // Its note of shortcut files goes with it, to the same bin.
    const std::string note = RecycledFilesNoteFor(file);
    if (m_input.fs.probe(note) == PathProbe::File) m_input.fs.moveToRecycleBin(note);
    RemoveRow(row);
  }

  void onBrowseFolder() {
    const std::optional<std::string> folder = m_input.calls.chooseFolder(
        hwnd(), m_input.translation.GetLanString("RES_Select_Directory",
                                                 "Please select the directory to add"));
    if (!folder) return;
    m_folder = *folder;
    ui::SetWindowTextOf(item(kRestoreFolder), Widen(m_folder));
    ListFolder();
  }

  const RestoreDialogInput& m_input;
  std::string m_folder;
};

bool AskRestoreQuestion(HWND owner, const std::string& text) {
  return ::MessageBoxW(owner, Widen(text).c_str(), kRestoreTitle,
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void Tell(HWND owner, const std::string& text, bool error) {
  ::MessageBoxW(owner, Widen(text).c_str(), kRestoreTitle,
                MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

// The shell's folder picker over the desktop, with critical-error prompts
// (no disk in drive...) off while it shows.
std::optional<std::string> ChooseFolder(HWND owner, const std::string& title) {
  const std::wstring wideTitle = Widen(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = wideTitle.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = nullptr;
  {
    const ErrorModeScope noPrompts(SEM_FAILCRITICALERRORS);
    chosen = ::SHBrowseForFolderW(&info);
  }
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH + 1] = {};
  const BOOL named = ::SHGetPathFromIDListW(chosen, path);
  ::CoTaskMemFree(chosen);
  if (!named) return std::nullopt;
  return Narrow(path);
}

void OpenFolder(HWND owner, const std::string& folder) {
  ::ShellExecuteW(owner, L"open", Widen(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

RestoreDialogCalls RestoreDialogCalls::System(FileSystemBackend& fs, const Translation& translation,
                                              const std::string& language) {
  RestoreDialogCalls calls{AskRestoreQuestion, Tell,    ChooseFolder,
                           OpenFolder,         nullptr, PutBackFromRecycleBin};
  calls.runEditor = [&fs, &translation, language](HWND owner, const std::string& commandLine) {
    const BackupHintInput hint{fs, translation, language};
    return RunRegistryEditor(
               owner, commandLine,
               translation.GetLanString("RES_Restory_Registry", "Restore registry..."), hint)
        .run;
  };
  return calls;
}

void RestoreDialog(HWND owner, const RestoreDialogInput& input) {
  TfrmRestore dialog(input);
  dialog.runModal(owner);
}

}  // namespace hs::win32

#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace hs::ui {

// Puts `text` on the clipboard as Unicode text; false when the clipboard is
// held by another program or memory runs out.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// Where a dialog's "Copy" puts its text: the system's clipboard unless a
// test replaces it.
using TextCopier = std::function<bool(HWND owner, const std::wstring& text)>;

// Copies `text` through `copier` (the clipboard when it is empty); when that
// fails, tells the user `failure` in a message box over `owner`.
void CopyOrTell(HWND owner, const TextCopier& copier, const std::wstring& text,
                const wchar_t* failure);

// The clipboard's Unicode text, "" when it holds none.
std::wstring ClipboardText(HWND owner);

}  // namespace hs::ui

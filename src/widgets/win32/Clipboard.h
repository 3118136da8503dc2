#pragma once
#include <windows.h>

#include <string>

namespace hs::ui {

// Puts `text` on the clipboard as Unicode text; false when the clipboard is
// held by another program or memory runs out.
bool CopyTextToClipboard(HWND owner, const std::wstring& text);

// The clipboard's Unicode text, "" when it holds none.
std::wstring ClipboardText(HWND owner);

}  // namespace hs::ui

#pragma once
// The list of checked rows a repair did not repair, after its summary: one
// row each with its key, value and reason, and "&Copy" for the whole table.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "repair/Repair.h"

namespace hs::win32 {

inline constexpr int kNotRepairedHeading = 1001;
inline constexpr int kNotRepairedList = 1002;
inline constexpr int kNotRepairedCopy = 1003;
inline constexpr int kNotRepairedClose = IDCANCEL;

struct NotRepairedInput {
  const std::vector<NotRepaired>& rows;
  // Puts the table on the clipboard; the system's clipboard unless replaced.
  std::function<bool(HWND owner, const std::wstring& text)> copy;
};

void NotRepairedDialog(HWND owner, const NotRepairedInput& input);

}  // namespace hs::win32

#pragma once
// Small helpers that windows and the scan worker share. Rot13 lives in
// common/Rot13.h.
#include <string>

namespace hs {

// N in decimal with a leading "0" when N is not greater than 9 (backup file
// name stamps: 07, 10).
std::string TwoDigits(int n);

// Deletes a file or folder without confirmation and without the recycle bin,
// through the program's file system; yes when it is gone.
bool DeleteFileSilently(const std::string& path);

// Writes the text value `name` = `data` under HKEY_CURRENT_USER\keyPath,
// creating the key when needed; writes nothing when the key can't be opened.
// Yes when the value was written.
bool WriteUserRegString(const std::string& keyPath, const std::string& name,
                        const std::string& data);

}  // namespace hs

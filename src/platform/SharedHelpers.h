#pragma once
// Small helpers that windows and commands share.
#include <string>

namespace hs {

class FileSystemBackend;
class RegistryBackend;

// Deletes a file or folder without confirmation and without the recycle bin;
// yes when it is gone.
bool DeleteFileSilently(FileSystemBackend& fs, const std::string& path);

// Writes the text value `name` = `data` under HKEY_CURRENT_USER\keyPath,
// creating the key when needed; writes nothing when the key can't be opened.
// Yes when the value was written.
bool WriteUserRegString(RegistryBackend& registry, const std::string& keyPath,
                        const std::string& name, const std::string& data);

}  // namespace hs

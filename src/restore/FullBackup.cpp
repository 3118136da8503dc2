#include "restore/FullBackup.h"

#include "common/Text.h"

namespace hs {
namespace {

constexpr const char* kVersion5Header = "Windows Registry Editor Version 5.00";
constexpr const char* kRegedit4Header = "REGEDIT4";

std::string Utf16Le(const std::string& ascii) {
  std::string out;
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

bool StartsWith(const std::string& bytes, const std::string& prefix) {
  return bytes.compare(0, prefix.size(), prefix) == 0;
}

bool HasExportHeader(const std::string& bytes) {
  std::string text = bytes;
  if (StartsWith(text, "\xFF\xFE")) return StartsWith(text.substr(2), Utf16Le(kVersion5Header));
  if (StartsWith(text, "\xEF\xBB\xBF")) text.erase(0, 3);
  return StartsWith(text, kVersion5Header) || StartsWith(text, kRegedit4Header) ||
         StartsWith(text, Utf16Le(kVersion5Header));
}

}  // namespace

std::string FullBackupFileName(const std::string& chosen) {
  const std::size_t dot = chosen.find_last_of('.');
  const std::size_t slash = chosen.find_last_of("\\/");
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  if (hasExtension && UpperCase(chosen.substr(dot)) == ".REG") return chosen;
  return chosen + ".reg";
}

std::string ExportCommandLine(const std::string& file) {
  return "Regedit /e \"" + file + "\"";
}

FileStamp StampOf(FileSystemBackend& fs, const std::string& file) {
  const std::size_t slash = file.find_last_of("\\/");
  if (slash == std::string::npos) return {};
  std::vector<DirEntry> entries;
  if (fs.listDirectory(file.substr(0, slash), entries) != FsStatus::Ok) return {};
  for (const DirEntry& entry : entries)
    if (!entry.isFolder && EqualsNoCase(entry.name, file.substr(slash + 1)))
      return {true, entry.modifiedUnixSeconds, entry.size};
  return {};
}

std::string CheckFullBackupFile(FileSystemBackend& fs, const std::string& file,
                                const FileStamp& before) {
  if (fs.probe(file) != PathProbe::File) return "The registry editor wrote no file " + file + ".";
  if (before.exists && StampOf(fs, file) == before)
    return "The registry editor did not rewrite " + file + "; it still holds the earlier file.";
  std::string bytes;
  if (fs.readFile(file, bytes) != FsStatus::Ok) return file + " cannot be read.";
  if (!HasExportHeader(bytes))
    return file + " does not start as a registry export; the backup is not usable.";
  return {};
}

std::vector<std::string> SystemBackupToolCandidates(const std::string& systemRoot, bool wow64) {
  std::vector<std::string> folders;
  if (wow64) folders.push_back(JoinPath(systemRoot, "Sysnative"));
  folders.push_back(JoinPath(systemRoot, "system32"));
  std::vector<std::string> candidates;
  for (const char* tool : {"ntbackup.exe", "sdclt.exe"})
    for (const std::string& folder : folders) candidates.push_back(JoinPath(folder, tool));
  return candidates;
}

std::optional<std::string> FindSystemBackupTool(FileSystemBackend& fs,
                                                const std::string& systemRoot, bool wow64) {
  for (const std::string& candidate : SystemBackupToolCandidates(systemRoot, wow64))
    if (fs.probe(candidate) == PathProbe::File) return candidate;
  return std::nullopt;
}

}  // namespace hs

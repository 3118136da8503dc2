#include "platform/win32/Win32FileSystem.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <iterator>
#include <limits>
#include <string>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace hs::win32 {
namespace {

// Characters that make a name a pattern or a device trick; such a name never
// names an existing file. A NUL would silently cut the path short.
bool HasWildcardOrNul(const std::string& path) {
  return path.find_first_of(std::string("*?\0", 3)) != std::string::npos;
}

FsStatus ToFsStatus(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return FsStatus::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
      return FsStatus::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return FsStatus::AccessDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FsStatus::DiskFull;
    default:
      return FsStatus::Failed;
  }
}

// The Win32 error of the last failed call on this thread, for lastErrorText;
// per thread like GetLastError, so the object itself stays stateless.
thread_local DWORD t_lastError = ERROR_SUCCESS;

void ForgetLastError() {
  t_lastError = ERROR_SUCCESS;
}

FsStatus Failure(DWORD error) {
  t_lastError = error;
  return error == ERROR_SUCCESS ? FsStatus::Failed : ToFsStatus(error);
}

FsStatus LastFsStatus() {
  return Failure(::GetLastError());
}

// A name with wildcards or a NUL is refused before any system call.
FsStatus Refused(FsStatus status) {
  t_lastError = ERROR_INVALID_NAME;
  return status;
}

std::string SystemMessage(DWORD error) {
  wchar_t buffer[512];
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
  std::wstring text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  if (text.empty()) return "system error " + std::to_string(error);
  return Narrow(text);
}

std::int64_t UnixSeconds(const FILETIME& time) {
  // FILETIME counts 100 ns steps from 1601-01-01.
  constexpr std::int64_t kEpochDifference = 116444736000000000LL;
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  return (ticks - kEpochDifference) / 10000000LL;
}

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// "C:\x" or "\\server\share\x": a path that does not depend on the current
// folder and names something below a root.
bool IsFullPathBelowRoot(const std::string& path) {
  const bool driveAbsolute =
      path.size() > 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  const bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
  if (!driveAbsolute && !unc) return false;
  const std::size_t rest = path.find_first_not_of("\\/", driveAbsolute ? 3 : 2);
  return rest != std::string::npos;
}

class Win32FileWriter : public FileWriter {
 public:
  explicit Win32FileWriter(UniqueFileHandle file) : m_file(std::move(file)) {}

  FsStatus write(const std::string& bytes) override {
    ForgetLastError();
    std::size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(
          std::min<std::size_t>(bytes.size() - done, std::numeric_limits<DWORD>::max() / 2));
      DWORD written = 0;
      if (!::WriteFile(m_file.get(), bytes.data() + done, chunk, &written, nullptr))
        return LastFsStatus();
      if (written == 0) return Failure(ERROR_DISK_FULL);
      done += written;
    }
    return FsStatus::Ok;
  }

  FsStatus flush() override {
    ForgetLastError();
    return ::FlushFileBuffers(m_file.get()) ? FsStatus::Ok : LastFsStatus();
  }

 private:
  UniqueFileHandle m_file;
};

// The shell link object needs COM on the calling thread; it stays initialised
// until the thread ends.
bool ComReadyOnThisThread() {
  thread_local ComScope com;
  return com.ok();
}

}  // namespace

PathProbe Win32FileSystem::probe(const std::string& path) {
  if (path.empty() || HasWildcardOrNul(path)) return PathProbe::NotFound;
  const std::wstring wide = Widen(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathProbe::Folder : PathProbe::File;
  switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:  // "file.exe\..." treats a file as a folder
      return PathProbe::NotFound;
    default:
      return PathProbe::Inaccessible;
  }
}

DriveType Win32FileSystem::driveType(char letter) {
  const wchar_t root[] = {static_cast<wchar_t>(static_cast<unsigned char>(letter)), L':', L'\\', 0};
  const UINT type = ::GetDriveTypeW(root);
  return type <= DRIVE_RAMDISK ? static_cast<DriveType>(type) : DriveType::Unknown;
}

bool Win32FileSystem::volumeReady(const std::string& root) {
  if (root.empty() || HasWildcardOrNul(root)) return false;
  const std::wstring wide = Widen(root);
  wchar_t volumeName[128];
  const ErrorModeScope noPrompt(SEM_FAILCRITICALERRORS);
  return ::GetVolumeInformationW(wide.c_str(), volumeName, 128, nullptr, nullptr, nullptr, nullptr,
                                 0) != 0;
}

std::optional<std::string> Win32FileSystem::expandEnvironment(const std::string& text) {
  const std::wstring wide = Widen(text);
  std::wstring buffer(wide.size() + 256, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    const DWORD needed =
        ::ExpandEnvironmentStringsW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (needed == 0) return std::nullopt;
    if (needed <= buffer.size()) {
      buffer.resize(needed - 1);  // without the terminator
      return Narrow(buffer);
    }
    buffer.assign(needed, L'\0');
  }
  return std::nullopt;
}

std::string Win32FileSystem::specialFolder(int csidl) {
  UniqueCoTaskMem itemList;
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &pidl))) return {};
  itemList.reset(pidl);
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!::SHGetPathFromIDListW(pidl, buffer)) return {};
  return Narrow(buffer);
}

FsStatus Win32FileSystem::listDirectory(const std::string& folder, std::vector<DirEntry>& out) {
  out.clear();
  ForgetLastError();
  if (folder.empty() || HasWildcardOrNul(folder)) return Refused(FsStatus::NotFound);
  std::wstring pattern = Widen(folder);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L'*';
  WIN32_FIND_DATAW entry;
  UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &entry));
  if (!find) {
    const DWORD error = ::GetLastError();
    // No match at all happens only in an empty drive root.
    if (error == ERROR_FILE_NOT_FOUND && probe(folder) == PathProbe::Folder) return FsStatus::Ok;
    return Failure(error);
  }
  do {
    if (IsDotEntry(entry.cFileName)) continue;
    DirEntry item;
    item.name = Narrow(entry.cFileName);
    item.isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item.size = (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    item.modifiedUnixSeconds = UnixSeconds(entry.ftLastWriteTime);
    item.isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    out.push_back(std::move(item));
  } while (::FindNextFileW(find.get(), &entry));
  const DWORD error = ::GetLastError();
  return error == ERROR_NO_MORE_FILES ? FsStatus::Ok : Failure(error);
}

ShortcutTarget Win32FileSystem::readShortcut(const std::string& path) {
  if (path.empty() || HasWildcardOrNul(path) || !ComReadyOnThisThread()) return {};
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.putVoid())))
    return {};
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.putVoid()))) return {};
  const std::wstring wide = Widen(path);
  if (FAILED(file->Load(wide.c_str(), STGM_READ))) return {};
  ShortcutTarget target;
  target.readable = true;
  std::wstring buffer(32768, L'\0');
  // S_FALSE (no file-system target) leaves the buffer empty.
  if (link->GetPath(buffer.data(), static_cast<int>(buffer.size()), nullptr, SLGP_UNCPRIORITY) ==
      S_OK)
    target.path = Narrow(buffer.c_str());
  return target;
}

FsStatus Win32FileSystem::createDirectory(const std::string& path) {
  ForgetLastError();
  if (path.empty() || HasWildcardOrNul(path)) return Refused(FsStatus::Failed);
  const std::wstring wide = Widen(path);
  if (::CreateDirectoryW(wide.c_str(), nullptr)) return FsStatus::Ok;
  const DWORD error = ::GetLastError();
  const FsStatus status = Failure(error);
  return error == ERROR_ALREADY_EXISTS ? FsStatus::Failed : status;
}

FsStatus Win32FileSystem::openForWrite(const std::string& path, bool append,
                                       std::unique_ptr<FileWriter>& out) {
  out.reset();
  ForgetLastError();
  if (path.empty() || HasWildcardOrNul(path)) return Refused(FsStatus::Failed);
  const std::wstring wide = Widen(path);
  UniqueFileHandle file(::CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
  if (!file) return LastFsStatus();
  if (append) {
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return LastFsStatus();
  }
  out = std::make_unique<Win32FileWriter>(std::move(file));
  return FsStatus::Ok;
}

FsStatus Win32FileSystem::readFile(const std::string& path, std::string& out) {
  return readFileFrom(path, 0, out);
}

FsStatus Win32FileSystem::readFileFrom(const std::string& path, std::uint64_t offset,
                                       std::string& out) {
  out.clear();
  ForgetLastError();
  if (path.empty() || HasWildcardOrNul(path)) return Refused(FsStatus::NotFound);
  const std::wstring wide = Widen(path);
  UniqueFileHandle file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastFsStatus();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return LastFsStatus();
  if (static_cast<std::uint64_t>(size.QuadPart) > out.max_size() / 2)
    return Failure(ERROR_NOT_ENOUGH_MEMORY);
  if (offset >= static_cast<std::uint64_t>(size.QuadPart)) return FsStatus::Ok;
  LARGE_INTEGER start{};
  start.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)) return LastFsStatus();
  std::string content;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return LastFsStatus();
    if (got == 0) break;
    content.append(chunk, got);
  }
  out = std::move(content);
  return FsStatus::Ok;
}

FsStatus Win32FileSystem::replaceFile(const std::string& from, const std::string& to) {
  ForgetLastError();
  if (HasWildcardOrNul(from) || HasWildcardOrNul(to)) return Refused(FsStatus::Failed);
  const std::wstring wideFrom = Widen(from);
  const std::wstring wideTo = Widen(to);
  if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return FsStatus::Ok;
  return LastFsStatus();
}

namespace {

bool ShellDelete(const std::string& path, FILEOP_FLAGS extraFlags) {
  std::wstring source = Widen(path);
  source.push_back(L'\0');  // the list ends with an empty name
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = source.c_str();
  operation.fFlags =
      static_cast<FILEOP_FLAGS>(FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI | extraFlags);
  const int result = ::SHFileOperationW(&operation);
  return result == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace

bool Win32FileSystem::deleteSilently(const std::string& path) {
  // The shell expands wildcards in its source list and resolves relative
  // names against the current folder: neither may turn one name into many.
  if (HasWildcardOrNul(path) || !IsFullPathBelowRoot(path)) return false;
  if (probe(path) == PathProbe::NotFound) return false;
  return ShellDelete(path, 0);
}

bool Win32FileSystem::moveToRecycleBin(const std::string& path) {
  if (HasWildcardOrNul(path) || !IsFullPathBelowRoot(path)) return false;
  if (probe(path) != PathProbe::File) return false;
  return ShellDelete(path, FOF_ALLOWUNDO) && probe(path) == PathProbe::NotFound;
}

std::string Win32FileSystem::lastErrorText() {
  return t_lastError == ERROR_SUCCESS ? std::string() : SystemMessage(t_lastError);
}

namespace {

// "\\?\C:\x" -> "C:\x", "\\?\UNC\server\share" -> "\\server\share".
std::wstring WithoutLongPathPrefix(std::wstring path) {
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) return L"\\" + path.substr(7);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path.substr(4);
  return path;
}

std::wstring TempFileName(unsigned attempt) {
  LARGE_INTEGER ticks{};
  ::QueryPerformanceCounter(&ticks);
  const unsigned long long mixed =
      static_cast<unsigned long long>(ticks.QuadPart) * 0x9E3779B97F4A7C15ULL ^
      (static_cast<unsigned long long>(::GetCurrentProcessId()) << 32) ^ attempt;
  std::wstring name = L"hs";
  for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789abcdef"[(mixed >> shift) & 0xF];
  return name + L".tmp";
}

}  // namespace

FsStatus Win32FileSystem::resolvePath(const std::string& path, std::string& out) {
  out.clear();
  ForgetLastError();
  if (path.empty() || HasWildcardOrNul(path)) return FsStatus::NotFound;
  const std::wstring wide = Widen(path);
  // Attributes access only, every sharing mode: the look changes nothing.
  UniqueFileHandle item(::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!item) return LastFsStatus();
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD length =
        ::GetFinalPathNameByHandleW(item.get(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return LastFsStatus();
    if (length < buffer.size()) {
      buffer.resize(length);
      out = Narrow(WithoutLongPathPrefix(buffer));
      return FsStatus::Ok;
    }
    buffer.assign(length + 1, L'\0');
  }
  return FsStatus::Failed;
}

FsStatus Win32FileSystem::isLink(const std::string& path, bool& link) {
  link = false;
  ForgetLastError();
  if (path.empty() || HasWildcardOrNul(path)) return FsStatus::NotFound;
  const std::wstring wide = Widen(path);
  // GetFileAttributes answers for a link itself, not for its target.
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastFsStatus();
  link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return FsStatus::Ok;
}

FsStatus Win32FileSystem::createPrivateTempFile(std::string& path,
                                                std::unique_ptr<FileWriter>& out) {
  path.clear();
  out.reset();
  ForgetLastError();
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
  if (length == 0 || length > MAX_PATH) return FsStatus::Failed;
  for (unsigned attempt = 0; attempt < 16; ++attempt) {
    const std::wstring candidate = std::wstring(folder, length) + TempFileName(attempt);
    UniqueFileHandle file(::CreateFileW(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr));
    if (!file) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return LastFsStatus();
    }
    path = Narrow(candidate);
    out = std::make_unique<Win32FileWriter>(std::move(file));
    return FsStatus::Ok;
  }
  return FsStatus::Failed;
}

}  // namespace hs::win32

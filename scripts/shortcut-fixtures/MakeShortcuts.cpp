// Makes shell link files with the system's own shell link object and writes,
// for each, what the object itself reads back as its target (GetPath with
// UNC priority, as Win32FileSystem asks). The portable .lnk reader is tested
// against both. Built and run under Wine by scripts/make-shortcut-fixtures.sh.
// Usage: MakeShortcuts.exe OUTFOLDER   (OUTFOLDER a Windows path)
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

namespace {

struct ShortcutRecipe {
  const wchar_t* file;
  const wchar_t* path;          // SetPath; nullptr for an ID list
  const wchar_t* relativePath;  // SetRelativePath, or nullptr
  int csidl;                    // with path nullptr: that folder's ID list
};

std::string Utf8(const std::wstring& text) {
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(size > 0 ? size - 1 : 0));
  return out;
}

bool Make(const std::wstring& folder, const ShortcutRecipe& recipe, FILE* manifest) {
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return false;
  if (recipe.path) {
    link->SetPath(recipe.path);
  } else {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, recipe.csidl, &pidl))) return false;
    link->SetIDList(pidl);
    ::CoTaskMemFree(pidl);
  }
  if (recipe.relativePath) link->SetRelativePath(recipe.relativePath, 0);
  link->SetArguments(L"--flag \"quoted arg\"");
  link->SetWorkingDirectory(L"C:\\Program Files\\Hivesweep Test");
  link->SetDescription(L"Test shortcut \u00e9\u2603");
  IPersistFile* file = nullptr;
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  const std::wstring full = folder + L"\\" + recipe.file;
  const bool saved = file && SUCCEEDED(file->Save(full.c_str(), TRUE));
  if (file) file->Release();
  link->Release();
  if (!saved) return false;

  // Read back by a fresh object, as a reader of the file would.
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
    return false;
  link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  std::wstring target(32768, L'\0');
  if (file && SUCCEEDED(file->Load(full.c_str(), STGM_READ)) &&
      link->GetPath(target.data(), static_cast<int>(target.size()), nullptr, SLGP_UNCPRIORITY) !=
          S_OK)
    target[0] = 0;
  if (file) file->Release();
  link->Release();
  std::fprintf(manifest, "%s\t%s\n", Utf8(recipe.file).c_str(), Utf8(target.c_str()).c_str());
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  const std::wstring folder = argv[1];
  ::CreateDirectoryW(L"C:\\Program Files\\Hivesweep Test", nullptr);
  ::CreateDirectoryW(L"C:\\Program Files\\Hivesweep Test\\Sub Folder", nullptr);
  for (const wchar_t* name : {L"C:\\Program Files\\Hivesweep Test\\app.exe",
                              L"C:\\Program Files\\Hivesweep Test\\Sub Folder\\\u00dcber "
                              L"\u2603 tool.exe"}) {
    HANDLE h = ::CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
  ::CoInitialize(nullptr);
  const ShortcutRecipe recipes[] = {
      {L"local.lnk", L"C:\\Program Files\\Hivesweep Test\\app.exe", nullptr, 0},
      {L"unicode.lnk", L"C:\\Program Files\\Hivesweep Test\\Sub Folder\\\u00dcber \u2603 tool.exe",
       nullptr, 0},
      {L"missing-target.lnk", L"C:\\Program Files\\Hivesweep Gone\\gone.exe", nullptr, 0},
      {L"folder.lnk", L"C:\\Program Files\\Hivesweep Test\\Sub Folder", nullptr, 0},
      {L"relative.lnk", L"C:\\Program Files\\Hivesweep Test\\app.exe",
       L"C:\\Program Files\\Hivesweep Test\\Sub Folder\\x.lnk", 0},
      {L"share.lnk", L"\\\\hs-server\\share\\tool.exe", nullptr, 0},
      {L"control-panel.lnk", nullptr, nullptr, CSIDL_CONTROLS},
  };
  FILE* manifest = _wfopen((folder + L"\\expected.txt").c_str(), L"wb");
  if (!manifest) return 3;
  int failed = 0;
  for (const ShortcutRecipe& recipe : recipes)
    if (!Make(folder, recipe, manifest)) {
      std::fprintf(stderr, "could not make %s\n", Utf8(recipe.file).c_str());
      ++failed;
    }
  std::fclose(manifest);
  ::CoUninitialize();
  return failed ? 1 : 0;
}

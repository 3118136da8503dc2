// ReferenceIsMissing on arbitrary registry text, against a small in-memory
// machine. Input: text NUL file name NUL option letters ('f' accepts a
// folder, 'r' includes removable media, 'w' runs on WOW64) NUL earlier text.
// The answer must not crash, and must not depend on what the scan remembers:
// asked again, after the remembered answers are dropped, or after another
// text was asked first, it stays the same.
#include <cstdlib>

#include "FuzzInput.h"
#include "platform/memory/MemoryFileSystem.h"
#include "platform/memory/MemoryRegistry.h"
#include "scan/ScanContext.h"

namespace {

void AddMachine(hs::MemoryFileSystem& files) {
  files.setDriveType('d', hs::DriveType::CdRom);
  files.addFile("C:\\Windows\\notepad.exe");
  files.addFile("C:\\Windows\\system32\\cmd.exe");
  files.addFile("C:\\Windows\\SysWOW64\\x.dll");
  files.addFile("C:\\Program Files\\App\\app.exe");
  files.addFolder("C:\\Tools\\folder.exe");
  files.addFolder("C:\\Locked");
  files.denyAccess("C:\\Locked");
  files.addFile("D:\\setup.exe");
  files.addFile("C:\\Données\\été.exe");
  files.addFile("C:\\Ω\\файл.exe");
  files.setEnvironment("SystemRoot", "C:\\Windows");
  files.setEnvironment("ProgramFiles", "C:\\Program Files");
  files.setEnvironment("Self", "%Self%\\x");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input = hs::fuzz::AsText(data, size);
  const std::string text = hs::fuzz::TakeField(input);
  const std::string fileName = hs::fuzz::TakeField(input);
  const std::string options = hs::fuzz::TakeField(input);
  const std::string earlierText(input);

  hs::MemoryFileSystem files;
  AddMachine(files);
  hs::MemoryRegistry registry;
  hs::NullScanSink sink;
  hs::ScanSettings settings;
  settings.IncludeRemoveMedia = options.find('r') != std::string::npos;
  settings.RunsOnWow64 = options.find('w') != std::string::npos;
  const bool acceptFolder = options.find('f') != std::string::npos;
  hs::ScanContext context(registry, files, sink, settings, {});

  const bool first = context.ReferenceIsMissing(text, fileName, acceptFolder);
  if (context.ReferenceIsMissing(text, fileName, acceptFolder) != first) std::abort();
  context.Checker.Clear();
  if (context.ReferenceIsMissing(text, fileName, acceptFolder) != first) std::abort();
  context.Checker.ExpandSystemPath(text);

  hs::ScanContext later(registry, files, sink, settings, {});
  later.ReferenceIsMissing(earlierText, fileName, acceptFolder);
  if (later.ReferenceIsMissing(text, fileName, acceptFolder) != first) std::abort();
  return 0;
}

#include "offline/posix/HiveImporter.h"

#include <fstream>
#include <sstream>

#include "regfile/RegFileImport.h"

namespace hs::offline {

EditorRun HiveImporter::run(const std::string& commandLine) {
  // ImportCommandLine quotes the file: "Regedit /s \"FILE\"".
  const std::size_t open = commandLine.find('"');
  const std::size_t close = commandLine.rfind('"');
  if (open == std::string::npos || close <= open) return EditorRun::NotStarted;
  std::ifstream file(commandLine.substr(open + 1, close - open - 1), std::ios::binary);
  if (!file) return EditorRun::NotStarted;
  std::ostringstream bytes;
  bytes << file.rdbuf();
  RegFileError error;
  // A file that does not parse imports nothing; the check afterwards says so.
  ImportRegText(registry_, bytes.str(), codePage_, error);
  return EditorRun::Ended;
}

}  // namespace hs::offline

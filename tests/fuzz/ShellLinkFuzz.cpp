// The shell link reader on arbitrary bytes: never a crash, an endless loop or
// a read outside the input; a readable link gives a target that is empty or
// a full path, whichever parts it holds.
#include <cstdlib>

#include "FuzzInput.h"
#include "common/SingleByteCodePage.h"
#include "platform/ShellLinkFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto cyrillic = hs::SingleByteCodePage::Find(1251);
  const std::string_view bytes = hs::fuzz::AsText(data, size);
  hs::ShellLinkFile link;
  if (!hs::ReadShellLinkFile(bytes, *cyrillic, link)) return 0;
  const std::string target = hs::ShellLinkTargetPath(link, "C:\\Users\\Ann\\Desktop",
                                                     [](const std::string& text) { return text; });
  const bool full = target.empty() ||
                    (target.size() >= 3 && target[1] == ':' && target[2] == '\\') ||
                    target.rfind("\\\\", 0) == 0;
  if (!full) std::abort();
  return 0;
}

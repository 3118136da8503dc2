#pragma once
// The machine's ANSI code page (GetACP), the one the system registry editor
// reads REGEDIT4 files in. Holds no state; any thread may use it.
#include "common/CodePage.h"

namespace hs::win32 {

class AnsiCodePage final : public CodePage {
 public:
  std::u16string decode(std::string_view bytes) const override;
  // Characters without an exact byte sequence (no best-fit substitutes) make
  // the answer false; so does text that does not decode back to itself.
  bool encode(std::u16string_view text, std::string& out) const override;
};

}  // namespace hs::win32

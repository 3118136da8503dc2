#pragma once
// Code pages of 8-bit text. REGEDIT4 files are read by the system registry
// editor in the machine's ANSI code page, so their writer and reader take the
// page as a parameter (the file system backend knows the machine's). The free
// functions are Windows-1252, the fixed page of the text report and of the
// in-memory backends.
#include <cstddef>
#include <string>
#include <string_view>

namespace hs {

class CodePage {
 public:
  virtual ~CodePage() = default;
  // The text the bytes stand for, as the system decodes them.
  virtual std::u16string decode(std::string_view bytes) const = 0;
  // The bytes of the text. False when the page cannot carry it exactly, that
  // is when decoding `out` would not give `text` back; `out` is then unusable.
  virtual bool encode(std::u16string_view text, std::string& out) const = 0;
};

class Windows1252CodePage final : public CodePage {
 public:
  std::u16string decode(std::string_view bytes) const override;
  bool encode(std::u16string_view text, std::string& out) const override;
};

// Where long 8-bit text may be cut for decoding in pieces: after the last byte
// below 0x40 in the first `limit` bytes (such a byte is a character of its own
// in every ANSI code page, never part of a double-byte one), or at `limit`
// when there is none.
std::size_t DecodeCut(std::string_view bytes, std::size_t limit);

// Appends the UTF-8 form of 8-bit text, decoded piece by piece so that long
// text needs no UTF-16 copy of its whole length.
void AppendDecodedUtf8(const CodePage& page, std::string_view bytes, std::string& out);

std::u16string AnsiToUtf16(std::string_view bytes);
// False when some character has no byte in the code page; `out` then holds '?'
// in its place and must not be used where losing data matters.
bool Utf16ToAnsi(std::u16string_view text, std::string& out);

}  // namespace hs

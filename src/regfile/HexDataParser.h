#pragma once
// The data of a "hex:" or "hex(N):" value, read a character at a time as the
// file continues it over lines, so that data of any size is never joined into
// one copy of its text. Reads what the registry editor reads: an optional
// "(N)" of hex digits, a colon, then bytes of one or two hex digits separated
// by commas, with blanks and tabs anywhere ignored.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/RegistryBackend.h"

namespace hs {

class HexDataParser {
 public:
  // Takes the next character after "hex". False at the first character that
  // cannot stand there; error() says why and later calls change nothing.
  bool feed(char c);
  // After the last character: false when the data ends incomplete.
  bool finish();

  const char* error() const { return m_error; }
  std::uint32_t type() const { return m_type; }
  // The bytes read; valid after finish() returned true.
  std::vector<std::uint8_t> takeBytes() { return std::move(m_bytes); }

 private:
  enum class State { Start, TypeDigits, AfterType, Bytes, Failed };
  bool fail(const char* error);
  bool feedByteList(char c);

  State m_state = State::Start;
  const char* m_error = "";
  std::string m_typeDigits;
  std::uint32_t m_type = kRegBinary;
  std::vector<std::uint8_t> m_bytes;
  bool m_anyListCharacter = false;
  int m_digits = 0;  // of the byte being read
  unsigned m_value = 0;
};

}  // namespace hs

#include "regfile/HexDataParser.h"

#include <cstdlib>

namespace hs {
namespace {

constexpr const char* kNoColon = "expected ':' after hex";
constexpr const char* kBadType = "bad hex(type)";
constexpr const char* kBadList = "bad hex byte list";

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool HexDataParser::fail(const char* error) {
  m_state = State::Failed;
  m_error = error;
  return false;
}

bool HexDataParser::feed(char c) {
  switch (m_state) {
    case State::Start:
      if (c == '(') {
        m_state = State::TypeDigits;
        return true;
      }
      if (c != ':') return fail(kNoColon);
      m_state = State::Bytes;
      return true;
    case State::TypeDigits:
      if (HexDigitValue(c) >= 0) {
        m_typeDigits += c;
        return true;
      }
      if (c != ')' || m_typeDigits.empty()) return fail(kBadType);
      m_type = static_cast<std::uint32_t>(std::strtoul(m_typeDigits.c_str(), nullptr, 16));
      m_state = State::AfterType;
      return true;
    case State::AfterType:
      if (c != ':') return fail(kNoColon);
      m_state = State::Bytes;
      return true;
    case State::Bytes:
      return feedByteList(c);
    case State::Failed:
      return false;
  }
  return false;
}

bool HexDataParser::feedByteList(char c) {
  if (c == ' ' || c == '\t') return true;
  m_anyListCharacter = true;
  if (c == ',') {
    if (m_digits == 0) return fail(kBadList);
    m_bytes.push_back(static_cast<std::uint8_t>(m_value));
    m_digits = 0;
    m_value = 0;
    return true;
  }
  const int digit = HexDigitValue(c);
  if (digit < 0 || m_digits == 2) return fail(kBadList);
  m_value = m_value * 16 + static_cast<unsigned>(digit);
  ++m_digits;
  return true;
}

bool HexDataParser::finish() {
  switch (m_state) {
    case State::Start:
    case State::AfterType:
      return fail(kNoColon);
    case State::TypeDigits:
      return fail(kBadType);
    case State::Failed:
      return false;
    case State::Bytes:
      break;
  }
  if (!m_anyListCharacter) return true;
  if (m_digits == 0) return fail(kBadList);
  m_bytes.push_back(static_cast<std::uint8_t>(m_value));
  return true;
}

}  // namespace hs

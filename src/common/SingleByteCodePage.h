#pragma once
// Portable tables of the Windows single-byte ANSI code pages (Central
// European, Cyrillic, Western, Greek, Turkish, Arabic, Baltic, Vietnamese), so
// that the in-memory backends can stand for a machine in any of them. Decoding
// follows MultiByteToWideChar byte for byte; encoding takes only exact bytes.
#include <array>
#include <memory>
#include <vector>

#include "common/CodePage.h"

namespace hs {

class SingleByteCodePage final : public CodePage {
 public:
  // The page of that number, or nothing when it has no table here.
  static std::shared_ptr<const SingleByteCodePage> Find(unsigned number);
  static std::vector<unsigned> Numbers();

  std::u16string decode(std::string_view bytes) const override;
  bool encode(std::u16string_view text, std::string& out) const override;

 private:
  using UpperHalf = std::array<char16_t, 128>;
  explicit SingleByteCodePage(const UpperHalf& upper) : m_upper(upper) {}
  const UpperHalf& m_upper;
};

}  // namespace hs

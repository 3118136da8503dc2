#include "common/SingleByteCodePage.h"

namespace hs {
namespace {

struct PageTable {
  unsigned number;
  std::array<char16_t, 128> upper;
};

constexpr PageTable kPages[] = {
#include "common/SingleByteCodePageTables.inc"
};

}  // namespace

std::shared_ptr<const SingleByteCodePage> SingleByteCodePage::Find(unsigned number) {
  for (const PageTable& page : kPages)
    if (page.number == number)
      return std::shared_ptr<const SingleByteCodePage>(new SingleByteCodePage(page.upper));
  return nullptr;
}

std::vector<unsigned> SingleByteCodePage::Numbers() {
  std::vector<unsigned> numbers;
  for (const PageTable& page : kPages) numbers.push_back(page.number);
  return numbers;
}

std::u16string SingleByteCodePage::decode(std::string_view bytes) const {
  std::u16string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += b < 0x80 ? static_cast<char16_t>(b) : m_upper[b - 0x80];
  }
  return out;
}

bool SingleByteCodePage::encode(std::u16string_view text, std::string& out) const {
  out.clear();
  out.reserve(text.size());
  bool exact = true;
  for (const char16_t c : text) {
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    std::size_t found = m_upper.size();
    for (std::size_t i = 0; i < m_upper.size() && found == m_upper.size(); ++i)
      if (m_upper[i] == c) found = i;
    if (found == m_upper.size()) {
      out += '?';
      exact = false;
    } else {
      out += static_cast<char>(0x80 + found);
    }
  }
  return exact;
}

}  // namespace hs

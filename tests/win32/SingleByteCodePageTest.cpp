// The portable code-page tables, which the in-memory backends use to stand
// for a machine in another ANSI code page, against the system's own
// conversion of every byte.
#include <windows.h>
#include <gtest/gtest.h>

#include "common/SingleByteCodePage.h"

namespace hs {
namespace {

TEST(SingleByteCodePage, EveryTableDecodesAndEncodesAsTheSystemDoes) {
  for (const unsigned number : SingleByteCodePage::Numbers()) {
    ASSERT_TRUE(::IsValidCodePage(number)) << number;
    const auto page = SingleByteCodePage::Find(number);
    ASSERT_TRUE(page) << number;
    for (int b = 1; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      wchar_t system = 0;
      ASSERT_EQ(::MultiByteToWideChar(number, 0, &byte, 1, &system, 1), 1) << number;
      const std::u16string ours = page->decode(std::string(1, byte));
      EXPECT_EQ(ours, std::u16string(1, static_cast<char16_t>(system)))
          << "code page " << number << ", byte " << b;
      std::string back;
      EXPECT_TRUE(page->encode(ours, back)) << number << " " << b;
      EXPECT_EQ(back, std::string(1, byte)) << number << " " << b;
    }
  }
}

}  // namespace
}  // namespace hs

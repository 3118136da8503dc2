#include <gtest/gtest.h>

#include "common/Rot13.h"

namespace hs {

TEST(Rot13, MovesLettersOnlyAndIsItsOwnInverse) {
  EXPECT_EQ(Rot13("Abc-Xyz"), "Nop-Klm");
  EXPECT_EQ(Rot13("UEME_RUNPATH:C:\\a.exe"), "HRZR_EHACNGU:P:\\n.rkr");
  const std::string mixed = "Caf\xC3\xA9 0-9 {}";
  EXPECT_EQ(Rot13(Rot13(mixed)), mixed);
  EXPECT_EQ(Rot13("\xC3\xA9"), "\xC3\xA9");
}

}  // namespace hs

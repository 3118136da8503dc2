#include <gtest/gtest.h>

#include <string>

#include "common/Sha256.h"

namespace hs {
namespace {

// The standard test vectors (FIPS 180-2 and NIST's examples).
TEST(Sha256, StandardVectors) {
  EXPECT_EQ(DigestHex(Sha256Of("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestHex(Sha256Of("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(DigestHex(Sha256Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(DigestHex(Sha256Of("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmn"
                               "hijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu")),
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  EXPECT_EQ(DigestHex(Sha256Of(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Pieces of every size across the 55/56/64-byte edges give the one-shot
// digest, and asking for a digest midway leaves the running state intact.
TEST(Sha256, StreamingInPiecesEqualsOneShot) {
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>(i * 7 + 3);
  for (std::size_t piece = 1; piece <= 130; ++piece) {
    Sha256 hash;
    for (std::size_t at = 0; at < data.size(); at += piece) {
      hash.update(std::string_view(data).substr(at, piece));
      if (at + piece == 56 || at + piece == 64) {
        ASSERT_EQ(hash.digest(), Sha256Of(std::string_view(data).substr(0, at + piece)));
      }
    }
    ASSERT_EQ(hash.digest(), Sha256Of(data)) << "pieces of " << piece;
    ASSERT_EQ(hash.length(), data.size());
  }
}

}  // namespace
}  // namespace hs

#pragma once
// SHA-256 with a running state: bytes may arrive in pieces of any size, so a
// file that grows is hashed only for what it gains.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hs {

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256 {
 public:
  Sha256();
  void update(std::string_view bytes);
  // The digest of everything given so far; the running state stays usable.
  Sha256Digest digest() const;
  std::uint64_t length() const { return m_length; }

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> m_state;
  std::array<std::uint8_t, 64> m_block{};
  std::size_t m_blockUsed = 0;
  std::uint64_t m_length = 0;
};

Sha256Digest Sha256Of(std::string_view bytes);
std::string DigestHex(const Sha256Digest& digest);  // lower case

}  // namespace hs

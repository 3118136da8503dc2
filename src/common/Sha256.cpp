#include "common/Sha256.h"

#include <algorithm>

namespace hs {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t Rotr(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

}  // namespace

Sha256::Sha256()
    : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
              0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void Sha256::compress(const std::uint8_t* block) {
  std::array<std::uint32_t, 64> w{};
  for (int i = 0; i < 16; ++i)
    w[static_cast<std::size_t>(i)] = (static_cast<std::uint32_t>(block[4 * i]) << 24) |
                                     (static_cast<std::uint32_t>(block[4 * i + 1]) << 16) |
                                     (static_cast<std::uint32_t>(block[4 * i + 2]) << 8) |
                                     block[4 * i + 3];
  for (std::size_t i = 16; i < 64; ++i) {
    const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
    const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  std::array<std::uint32_t, 8> v = m_state;
  for (std::size_t i = 0; i < 64; ++i) {
    const std::uint32_t s1 = Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25);
    const std::uint32_t choice = (v[4] & v[5]) ^ (~v[4] & v[6]);
    const std::uint32_t t1 = v[7] + s1 + choice + kRound[i] + w[i];
    const std::uint32_t s0 = Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22);
    const std::uint32_t majority = (v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]);
    v = {t1 + s0 + majority, v[0], v[1], v[2], v[3] + t1, v[4], v[5], v[6]};
  }
  for (std::size_t i = 0; i < 8; ++i) m_state[i] += v[i];
}

void Sha256::update(std::string_view bytes) {
  m_length += bytes.size();
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::size_t left = bytes.size();
  while (left > 0) {
    if (m_blockUsed == 0 && left >= 64) {
      compress(data);  // whole blocks skip the buffer
      data += 64;
      left -= 64;
      continue;
    }
    const std::size_t take = std::min(left, 64 - m_blockUsed);
    std::copy(data, data + take, m_block.begin() + static_cast<std::ptrdiff_t>(m_blockUsed));
    m_blockUsed += take;
    data += take;
    left -= take;
    if (m_blockUsed == 64) {
      compress(m_block.data());
      m_blockUsed = 0;
    }
  }
}

Sha256Digest Sha256::digest() const {
  Sha256 last = *this;
  const std::uint64_t bits = m_length * 8;
  const std::uint8_t one = 0x80;
  last.update(std::string_view(reinterpret_cast<const char*>(&one), 1));
  const std::uint8_t zero = 0;
  while (last.m_blockUsed != 56)
    last.update(std::string_view(reinterpret_cast<const char*>(&zero), 1));
  std::array<char, 8> length{};
  for (int i = 0; i < 8; ++i)
    length[static_cast<std::size_t>(i)] = static_cast<char>(bits >> (56 - 8 * i));
  last.update(std::string_view(length.data(), length.size()));
  Sha256Digest out{};
  for (std::size_t i = 0; i < 8; ++i)
    for (std::size_t j = 0; j < 4; ++j)
      out[4 * i + j] = static_cast<std::uint8_t>(last.m_state[i] >> (24 - 8 * j));
  return out;
}

Sha256Digest Sha256Of(std::string_view bytes) {
  Sha256 hash;
  hash.update(bytes);
  return hash.digest();
}

std::string DigestHex(const Sha256Digest& digest) {
  static constexpr const char* kDigits = "0123456789abcdef";
  std::string out;
  for (std::uint8_t byte : digest) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0xF];
  }
  return out;
}

}  // namespace hs

#include "ui/AccessKeys.h"

#include "common/Text.h"

namespace hs::ui {

namespace {

// Bytes of the UTF-8 character that starts with `lead`.
std::size_t CharacterBytes(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

std::vector<std::string> AccessKeysOf(std::string_view caption) {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    ++i;
    if (caption[i] == '&') continue;
    const std::size_t bytes = CharacterBytes(static_cast<unsigned char>(caption[i]));
    keys.push_back(UpperCase(caption.substr(i, bytes)));
    i += bytes - 1;
  }
  return keys;
}

}  // namespace hs::ui

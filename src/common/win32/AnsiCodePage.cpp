#include "common/win32/AnsiCodePage.h"

#include <windows.h>

#include <climits>

namespace hs::win32 {
namespace {

// The W/A conversions take int lengths; larger text goes in pieces.
constexpr std::size_t kMaxPiece = INT_MAX / 4;

void DecodePiece(std::string_view bytes, std::u16string& out) {
  if (bytes.empty()) return;
  const int size = static_cast<int>(bytes.size());
  const int units = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) return;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(units));
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(&out[start]),
                        units);
}

}  // namespace

std::u16string AnsiCodePage::decode(std::string_view bytes) const {
  std::u16string out;
  while (!bytes.empty()) {
    const std::size_t cut = DecodeCut(bytes, kMaxPiece);
    DecodePiece(bytes.substr(0, cut), out);
    bytes.remove_prefix(cut);
  }
  return out;
}

bool AnsiCodePage::encode(std::u16string_view text, std::string& out) const {
  out.clear();
  if (text.empty()) return true;
  if (text.size() > kMaxPiece) return false;
  // UTF-8 as the ANSI page refuses both the flag and the used-default answer;
  // the round trip below still catches what it cannot carry.
  const bool utf8 = ::GetACP() == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int units = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_ACP, flags, wide, units, nullptr, 0, nullptr, usedDefaultOut);
  if (size <= 0 || usedDefault) return false;
  out.resize(static_cast<std::size_t>(size));
  if (::WideCharToMultiByte(CP_ACP, flags, wide, units, out.data(), size, nullptr,
                            usedDefaultOut) != size ||
      usedDefault)
    return false;
  return decode(out) == text;
}

}  // namespace hs::win32

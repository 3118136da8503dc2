#include "platform/ExpandVariables.h"

namespace hs {

std::string ExpandVariables(const std::string& text, const VariableLookup& lookup) {
  std::string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t open = text.find('%', pos);
    if (open == std::string::npos) break;
    const std::size_t close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out += text.substr(pos, open - pos);
    if (const auto value = lookup(text.substr(open + 1, close - open - 1))) {
      out += *value;
      pos = close + 1;
    } else {
      out += text.substr(open, close - open);
      pos = close;
    }
  }
  out += text.substr(pos);
  return out;
}

}  // namespace hs

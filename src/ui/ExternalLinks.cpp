#include "ui/ExternalLinks.h"

namespace hs::ui {

std::string OnlineHelpAddress(const std::string& language) {
  if (language == "Italian") return "https://www.corvane.example/hivesweep/help/hivesweep-it.pdf";
  if (language == "PortuguesePT")
    return "https://www.corvane.example/hivesweep/help/hivesweep-pt.chm";
  return "https://www.corvane.example/hivesweep/help/";
}

}  // namespace hs::ui

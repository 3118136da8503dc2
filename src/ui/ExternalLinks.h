#pragma once
// The maker's pages that the Help menu and the About box open.
#include <string>

namespace hs::ui {

inline constexpr const char* kHomePageAddress = "https://www.corvane.example/hivesweep/";

// The online help for `language` (the Lan setting, compared exactly): an
// Italian PDF for "Italian", a Portuguese compiled help file for
// "PortuguesePT", else the help page.
std::string OnlineHelpAddress(const std::string& language);

}  // namespace hs::ui

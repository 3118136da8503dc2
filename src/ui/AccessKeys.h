#pragma once
// The access keys of a caption as menus and dialogs read them: "&x" makes x
// the key (Alt+x), "&&" shows one ampersand. Keys compare without regard to
// letter case, in every script.
#include <string>
#include <string_view>
#include <vector>

namespace hs::ui {

// The keys a caption marks, in order, each upper-cased (UTF-8, one
// character). A trailing lone "&" marks nothing.
std::vector<std::string> AccessKeysOf(std::string_view caption);

}  // namespace hs::ui

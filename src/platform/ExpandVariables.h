#pragma once
// %NAME% expansion with ExpandEnvironmentStrings' rules, over any table of
// variables: a known name is replaced, an unknown one stays as written (its
// closing '%' may open the next name), a lone '%' stays.
#include <functional>
#include <optional>
#include <string>

namespace hs {

using VariableLookup = std::function<std::optional<std::string>(const std::string& name)>;

std::string ExpandVariables(const std::string& text, const VariableLookup& lookup);

}  // namespace hs

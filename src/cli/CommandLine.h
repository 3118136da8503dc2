#pragma once
// Small rules shared by the console commands' argument parsers.
#include <string>
#include <vector>

namespace hs {

// "--help", "-h" or "/?".
bool IsHelpFlag(const std::string& arg);
// Whether any argument asks for help: help wins over every other argument.
bool AsksForHelp(const std::vector<std::string>& args);

// For the option at args[i], reads its value into `value` and moves i onto
// it. False, with error "<option> needs a value", when no argument follows
// or it is empty or another option ("--..."); false with "<option> given twice" when `seen` is
// already set. Sets `seen`.
bool TakeOptionValue(const std::vector<std::string>& args, std::size_t& i, bool& seen,
                     std::string& value, std::string& error);
// A switch without value: false with "<option> given twice" when seen.
bool TakeSwitch(const std::string& option, bool& seen, std::string& error);

}  // namespace hs

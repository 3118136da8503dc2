#pragma once
// Splits a fuzz input into the fields a target needs: NUL separates them, so
// the seeds stay readable and a mutation can move text between fields.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hs::fuzz {

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Every NUL-separated field; an input without NUL is one field.
inline std::vector<std::string> SplitFields(std::string_view input) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = input.find('\0', start)) != std::string_view::npos; start = end + 1)
    fields.emplace_back(input.substr(start, end - start));
  fields.emplace_back(input.substr(start));
  return fields;
}

// The first field, cut off the input; the rest stays in `input`.
inline std::string TakeField(std::string_view& input) {
  const std::size_t end = input.find('\0');
  std::string field(input.substr(0, end));
  input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  return field;
}

}  // namespace hs::fuzz

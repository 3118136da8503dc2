#pragma once
// What an item of a backup file puts back, in words short enough for a list
// row: a value's type and data, or a key's counts.
#include <cstddef>
#include <string>

#include "platform/RegistryBackend.h"

namespace hs {

// "REG_SZ \"C:\\App\\app.exe\"", "REG_DWORD 0x00000007 (7)",
// "REG_BINARY 01 02 03 (3 bytes)"; long data is cut with "...".
std::string DescribeValueData(const RegValue& value);

// "1 key, 2 values", "3 keys, 1 value".
std::string DescribeKeys(std::size_t keyCount, std::size_t valueCount);

}  // namespace hs

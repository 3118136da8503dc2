#pragma once
// One row of the findings list, as every scanner reports it and the filter,
// the repair and the list commands read it back.
#include <string>

#include "scan/Evidence.h"

namespace hs {

// What a repair removes for a row, and how the ignore lists match it.
enum class FindingKind : int {
  fkKey = 0,           // the whole key KeyPath
  fkValueInPath = 1,   // value named by KeyPath's last component, in the rest
  fkNamedValue = 2,    // value ValueText in key KeyPath
  fkSubkey = 3,        // key KeyPath + "\" + ValueText
  fkFile = 4,          // the file KeyPath
  fkDefaultValue = 5,  // the default value of KeyPath
  fkRotatedValue = 6,  // value named Rot13(ValueText) in key KeyPath
};

struct Finding {
  std::string Problem;
  std::string KeyPath;
  std::string ValueText;
  FindingKind Kind = FindingKind::fkKey;
  bool Checked = false;
  int Task = 0;                // the scan task that produced the row
  FindingEvidence Evidence{};  // why the row was flagged
};

}  // namespace hs

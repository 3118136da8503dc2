#pragma once
// The scan's rows as JSON for scripts, schema 2 (docs/scan-json-schema-2.json):
// {"schema": 2, "rows": [...]}, each row as the bare array of schema 1 wrote
// it (FindingsToJson) plus its "evidence". Written by nlohmann/json.
#include <string>
#include <vector>

#include "findings/EvidenceTexts.h"
#include "scan/Finding.h"

namespace hs {

inline constexpr int kScanJsonSchema = 2;

// One row per line, UTF-8. Invalid UTF-8 in a text becomes U+FFFD. The
// evidence's "rule" is in the language of `texts`, its "answer" a stable
// name (EvidenceAnswerName); "path" is null when the answer did not come from
// the file system, and "evidence" is null for a row without any.
std::string FindingsToJsonSchema2(const std::vector<Finding>& rows, const EvidenceTexts& texts);

}  // namespace hs

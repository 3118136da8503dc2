#include "findings/ScanJson.h"

#include <nlohmann/json.hpp>

namespace hs {
namespace {

using Json = nlohmann::ordered_json;

Json EvidenceJson(const FindingEvidence& evidence, const EvidenceTexts& texts) {
  if (evidence.Rule() == EvidenceRule::None) return nullptr;
  Json out;
  out["rule"] = texts.Rule(evidence.Rule());
  out["tested"] = evidence.Tested();
  if (AnswerConcernsPath(evidence.Answer()))
    out["path"] = evidence.AskedPath();
  else
    out["path"] = nullptr;
  out["answer"] = std::string(EvidenceAnswerName(evidence.Answer()));
  return out;
}

Json RowJson(const Finding& row, const EvidenceTexts& texts) {
  Json out;
  out["problem"] = row.Problem;
  out["key"] = row.KeyPath;
  out["value"] = row.ValueText;
  out["kind"] = static_cast<int>(row.Kind);
  out["task"] = row.Task;
  out["evidence"] = EvidenceJson(row.Evidence, texts);
  return out;
}

// Registry texts may hold invalid UTF-8: it becomes U+FFFD instead of
// failing the whole output.
std::string Dumped(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

std::string FindingsToJsonSchema2(const std::vector<Finding>& rows, const EvidenceTexts& texts) {
  // The frame by hand, each row by the library: one row per line keeps a
  // large output readable and comparable line by line.
  std::string out = "{\"schema\": " + std::to_string(kScanJsonSchema) + ", \"rows\": [";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    out += i == 0 ? "\n  " : ",\n  ";
    out += Dumped(RowJson(rows[i], texts));
  }
  out += rows.empty() ? "]}\n" : "\n]}\n";
  return out;
}

}  // namespace hs

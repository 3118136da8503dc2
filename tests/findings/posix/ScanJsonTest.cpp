// The scan's JSON of schema 2: read back by the library, and checked against
// the schema in docs/ by an independent validator.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "findings/Report.h"
#include "findings/ScanJson.h"
#include "findings/posix/ScanJsonSchema.h"

namespace hs {
namespace {

Finding Row(std::string key, FindingEvidence evidence) {
  Finding row{"Problem", std::move(key), "value", FindingKind::fkValueInPath, true, 10};
  row.Evidence = std::move(evidence);
  return row;
}

std::vector<Finding> RowsOfEveryAnswer() {
  std::vector<Finding> rows;
  for (int answer = 1; answer < static_cast<int>(EvidenceAnswer::Count); ++answer) {
    const auto kind = static_cast<EvidenceAnswer>(answer);
    rows.push_back(
        Row("HKEY_CURRENT_USER\\K" + std::to_string(answer),
            FindingEvidence(EvidenceRule::StartupCommand, kind, "C:\\T\\t.exe", "C:\\U\\t.exe")));
  }
  rows.push_back(Row("HKEY_CURRENT_USER\\Bare", FindingEvidence()));
  // Registry text is hostile: control characters, quotes, invalid UTF-8.
  rows.push_back(Row("HKEY_CURRENT_USER\\\x01\"\xFF",
                     FindingEvidence(EvidenceRule::FilesAndFoldersValue,
                                     EvidenceAnswer::MissingFile, "C:\\a\"\xC3", "")));
  return rows;
}

TEST(ScanJson, EveryAnswerValidatesAgainstThePublishedSchema) {
  const std::string json = FindingsToJsonSchema2(RowsOfEveryAnswer(), EvidenceTexts());
  EXPECT_EQ(test::ScanJsonSchemaComplaint(json), "") << json;
  EXPECT_EQ(test::ScanJsonSchemaComplaint(FindingsToJsonSchema2({}, EvidenceTexts())), "");
  // The bare array of schema 1 is not schema 2.
  EXPECT_NE(test::ScanJsonSchemaComplaint(FindingsToJson(RowsOfEveryAnswer())), "");
}

TEST(ScanJson, ReadsBackWithThePathAskedOnlyWhereTheFileSystemAnswered) {
  const auto json = nlohmann::json::parse(FindingsToJsonSchema2(RowsOfEveryAnswer(), {}));
  EXPECT_EQ(json["schema"], 2);
  const auto& rows = json["rows"];
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(EvidenceAnswer::Count) + 1);
  const auto& first = rows[0];
  EXPECT_EQ(first["key"], "HKEY_CURRENT_USER\\K1");
  EXPECT_EQ(first["task"], 10);
  EXPECT_EQ(first["evidence"]["rule"],
            "Startup Programs: the program this value starts does not exist");
  EXPECT_EQ(first["evidence"]["tested"], "C:\\T\\t.exe");
  EXPECT_EQ(first["evidence"]["path"], "C:\\U\\t.exe");
  EXPECT_EQ(first["evidence"]["answer"], "missing-file");
  EXPECT_TRUE(rows[3]["evidence"]["path"].is_null());  // empty-text: no file question
  EXPECT_TRUE(rows[rows.size() - 2]["evidence"].is_null());
  // Invalid UTF-8 became U+FFFD, the tested text standing for the path.
  EXPECT_EQ(rows.back()["key"], "HKEY_CURRENT_USER\\\x01\"\xEF\xBF\xBD");
  EXPECT_EQ(rows.back()["evidence"]["path"], "C:\\a\"\xEF\xBF\xBD");
}

}  // namespace
}  // namespace hs

#pragma once
// The words of every check and answer of the findings' evidence in one
// language. Read once per list or output: the translation file is read
// afresh per text, and a scan may yield a hundred thousand rows.
#include <array>
#include <string>
#include <string_view>

#include "scan/Evidence.h"
#include "scan/Finding.h"
#include "translation/Translation.h"

namespace hs {

class EvidenceTexts {
 public:
  // English, the built-in texts.
  EvidenceTexts();
  explicit EvidenceTexts(const Translation& texts);

  const std::string& Rule(EvidenceRule rule) const;
  const std::string& Answer(EvidenceAnswer answer) const;

 private:
  std::array<std::string, static_cast<std::size_t>(EvidenceRule::Count)> m_rules;
  std::array<std::string, static_cast<std::size_t>(EvidenceAnswer::Count)> m_answers;
};

// The stable name of an answer for scripts ("missing-file"); "" for None.
std::string_view EvidenceAnswerName(EvidenceAnswer answer);

// The headings of the evidence's four parts, as the details window shows them.
struct EvidenceHeadings {
  std::string rule = "Check:";
  std::string tested = "Text tested:";
  std::string path = "Path asked:";
  std::string answer = "Answer:";
};

// One line for the status bar: the answer and, when the file system was
// asked, the path ("the file is not there: C:\\App\\app.exe"); "" for a row
// without evidence.
std::string EvidenceSummary(const FindingEvidence& evidence, const EvidenceTexts& texts);

// The row and its evidence as lines ("Check: ...") ended by CR LF, for the
// details window and its Copy; a part without text is left out.
std::string EvidenceDetails(const Finding& row, const EvidenceTexts& texts,
                            const EvidenceHeadings& headings);

}  // namespace hs

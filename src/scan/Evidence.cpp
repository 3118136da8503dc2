#include "scan/Evidence.h"

namespace hs {

bool AnswerConcernsPath(EvidenceAnswer answer) {
  return answer == EvidenceAnswer::MissingFile || answer == EvidenceAnswer::MissingFolder ||
         answer == EvidenceAnswer::DiskNotInDrive;
}

FindingEvidence::FindingEvidence(EvidenceRule rule, EvidenceAnswer answer, std::string tested,
                                 std::string_view asked)
    : m_tested(std::move(tested)), m_rule(rule), m_answer(answer) {
  if (AnswerConcernsPath(answer) && asked != m_tested) m_asked = asked;
}

const std::string& FindingEvidence::AskedPath() const {
  static const std::string kNothingAsked;
  if (!AnswerConcernsPath(m_answer)) return kNothingAsked;
  return m_asked.empty() ? m_tested : m_asked;
}

}  // namespace hs

#include "findings/EvidenceTexts.h"

#include "settings/ResourceStrings.h"

namespace hs {
namespace {

// The words' keys in the message catalogue, which holds their English.
// Indexed by EvidenceRule.
constexpr const char* kRuleKeys[] = {
    "",
    "RES_Evidence_Rule_FilesAndFolders",
    "RES_Evidence_Rule_AppPaths",
    "RES_Evidence_Rule_Font",
    "RES_Evidence_Rule_HelpFile",
    "RES_Evidence_Rule_SharedDllFile",
    "RES_Evidence_Rule_SharedDllUnused",
    "RES_Evidence_Rule_Startup",
    "RES_Evidence_Rule_DisabledStartup",
    "RES_Evidence_Rule_Uninstall",
    "RES_Evidence_Rule_UnusedClass",
    "RES_Evidence_Rule_UnusedFileType",
    "RES_Evidence_Rule_ClassDefault",
    "RES_Evidence_Rule_InterfaceTypeLib",
    "RES_Evidence_Rule_EmptySoftware",
    "RES_Evidence_Rule_Service",
    "RES_Evidence_Rule_MenuOrder",
    "RES_Evidence_Rule_Shortcut",
    "RES_Evidence_Rule_Sound",
    "RES_Evidence_Rule_TypeLibFile",
    "RES_Evidence_Rule_ClassAppId",
    "RES_Evidence_Rule_RecentDocument",
    "RES_Evidence_Rule_UsageProgram",
    "RES_Evidence_Rule_UsageUnused",
    "RES_Evidence_Rule_InstallerFile",
    "RES_Evidence_Rule_InstallerFolder",
    "RES_Evidence_Rule_ArpCache",
    "RES_Evidence_Rule_Application",
};
static_assert(std::size(kRuleKeys) == static_cast<std::size_t>(EvidenceRule::Count));

struct AnswerWords {
  const char* name;  // for scripts: never translated
  const char* key;
};

// Indexed by EvidenceAnswer.
constexpr AnswerWords kAnswerWords[] = {
    {"", ""},
    {"missing-file", "RES_Evidence_Answer_MissingFile"},
    {"missing-folder", "RES_Evidence_Answer_MissingFolder"},
    {"disk-not-in-drive", "RES_Evidence_Answer_DiskNotInDrive"},
    {"empty-text", "RES_Evidence_Answer_EmptyText"},
    {"unused-count", "RES_Evidence_Answer_UnusedCount"},
    {"no-runs-counted", "RES_Evidence_Answer_NoRuns"},
    {"no-uninstall-command", "RES_Evidence_Answer_NoUninstallCommand"},
    {"empty-key", "RES_Evidence_Answer_EmptyKey"},
    {"no-program-folder", "RES_Evidence_Answer_NoProgramFolder"},
    {"missing-type-library", "RES_Evidence_Answer_MissingTypeLibrary"},
    {"missing-appid", "RES_Evidence_Answer_MissingAppId"},
    {"no-uninstall-entry", "RES_Evidence_Answer_NoUninstallEntry"},
};
static_assert(std::size(kAnswerWords) == static_cast<std::size_t>(EvidenceAnswer::Count));

std::string Lookup(const Translation& texts, const char* key) {
  return *key ? texts.GetLanString(key, std::string(CatalogueEnglish(key))) : std::string();
}

void AppendPart(std::string& out, const std::string& heading, const std::string& text) {
  if (!text.empty()) out.append(heading).append(" ").append(text).append("\r\n");
}

}  // namespace

EvidenceTexts::EvidenceTexts() : EvidenceTexts(Translation()) {}

EvidenceTexts::EvidenceTexts(const Translation& texts) {
  for (std::size_t i = 0; i < m_rules.size(); ++i) m_rules[i] = Lookup(texts, kRuleKeys[i]);
  for (std::size_t i = 0; i < m_answers.size(); ++i)
    m_answers[i] = Lookup(texts, kAnswerWords[i].key);
}

const std::string& EvidenceTexts::Rule(EvidenceRule rule) const {
  return m_rules[static_cast<std::size_t>(rule)];
}

const std::string& EvidenceTexts::Answer(EvidenceAnswer answer) const {
  return m_answers[static_cast<std::size_t>(answer)];
}

std::string_view EvidenceAnswerName(EvidenceAnswer answer) {
  return kAnswerWords[static_cast<std::size_t>(answer)].name;
}

std::string EvidenceSummary(const FindingEvidence& evidence, const EvidenceTexts& texts) {
  std::string summary = texts.Answer(evidence.Answer());
  const std::string& path = evidence.AskedPath();
  if (!path.empty()) summary.append(": ").append(path);
  return summary;
}

std::string EvidenceDetails(const Finding& row, const EvidenceTexts& texts,
                            const EvidenceHeadings& headings) {
  std::string out;
  out.append(row.Problem).append("\r\n").append(row.KeyPath).append("\r\n");
  if (!row.ValueText.empty()) out.append(row.ValueText).append("\r\n");
  out.append("\r\n");
  const FindingEvidence& evidence = row.Evidence;
  AppendPart(out, headings.rule, texts.Rule(evidence.Rule()));
  AppendPart(out, headings.tested, evidence.Tested());
  AppendPart(out, headings.path, evidence.AskedPath());
  AppendPart(out, headings.answer, texts.Answer(evidence.Answer()));
  return out;
}

}  // namespace hs

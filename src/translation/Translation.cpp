#include "translation/Translation.h"

#include <string_view>

#include "common/Text.h"
#include "translation/IniFile.h"

namespace hs {

Translation::Translation(FileSystemBackend& fs, std::string programFolder, std::string language)
    : m_fs(&fs), m_programFolder(std::move(programFolder)), m_language(std::move(language)) {}

bool Translation::IsEnglish() const {
  return EqualsNoCase(m_language, "English");
}

std::string Translation::FilePath(const std::string& language) const {
  if (language.empty()) return {};
  for (const char c : language)
    if (static_cast<unsigned char>(c) < 32 ||
        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return {};
  return m_programFolder + "Lan_" + language + ".ini";
}

std::string Translation::GetLanString(const std::string& key, const std::string& english) const {
  if (IsEnglish() || !m_fs) return english;
  const std::string path = FilePath(m_language);
  if (path.empty()) return english;
  const std::string text = IniFile::Load(*m_fs, path).ReadString("ResourceString", key, "");
  return text.empty() ? english : text;
}

}  // namespace hs

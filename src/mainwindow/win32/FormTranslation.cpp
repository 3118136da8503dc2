#include "mainwindow/win32/FormTranslation.h"

#include "common/Text.h"
#include "settings/IniFile.h"
#include "settings/Translation.h"
#include "ui/win32/TranslateForm.h"

namespace hs::win32 {

void TranslateUnlessEnglish(ui::ComponentRegistry& window, FileSystemBackend& fs,
                            const Translation& translation, const std::string& language) {
  if (EqualsNoCase(language, "English")) return;
  const std::string path = translation.FilePath(language);
  if (path.empty()) return;
  ui::TranslateForm(window, IniFile::Load(fs, path));
}

}  // namespace hs::win32

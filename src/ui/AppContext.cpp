#include "ui/AppContext.h"

namespace hs::ui {

LanguageFiles AppContext::languageFiles() const {
  // FilePath does not depend on the translation's own language.
  return {fs, [fs = &fs, folder = programFolder](const std::string& language) {
            return Translation(*fs, folder, "English").FilePath(language);
          }};
}

}  // namespace hs::ui

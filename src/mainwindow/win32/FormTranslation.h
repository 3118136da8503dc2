#pragma once
// A dialog's relabelling when it is shown: TranslateForm with the current
// language's file, unless the language is English.
#include <string>

#include "platform/FileSystemBackend.h"
#include "ui/win32/ComponentRegistry.h"

namespace hs {
class Translation;
}

namespace hs::win32 {

// Nothing happens for English (in any letter case) or a missing file.
void TranslateUnlessEnglish(ui::ComponentRegistry& window, FileSystemBackend& fs,
                            const Translation& translation, const std::string& language);

}  // namespace hs::win32

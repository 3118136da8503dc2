#include "widgets/ReadingOrder.h"

#include "common/Text.h"

namespace hs::ui {

bool ReadsRightToLeft(const IniFile& translation) {
  return AsciiEqualsNoCase(
      Trim(translation.ReadString(kTranslationSection, kReadingOrderKey, kLeftToRight)),
      "RightToLeft");
}

}  // namespace hs::ui

#include "ui/CleanOnce.h"

#include "common/Text.h"

namespace hs::ui {

bool IsCleanOnceRequested(const std::vector<std::string>& arguments) {
  return !arguments.empty() && AsciiEqualsNoCase(arguments.front(), "-cleanonce");
}

bool CleanOnceGate::StartOnActivation() {
  if (!m_requested || m_started) return false;
  m_started = true;
  return true;
}

}  // namespace hs::ui

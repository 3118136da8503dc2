#pragma once
// The unattended clean-once run: asked for by "-cleanonce" as the first
// command-line argument (any letter case), started at most once per process
// however often the main window is activated (its own dialogs reactivate it).
#include <string>
#include <vector>

namespace hs::ui {

// `arguments` without the program's own path.
bool IsCleanOnceRequested(const std::vector<std::string>& arguments);

class CleanOnceGate {
 public:
  explicit CleanOnceGate(bool requested) : m_requested(requested) {}
  // True on the first activation of a requested run, false ever after.
  bool StartOnActivation();
  bool Requested() const { return m_requested; }

 private:
  bool m_requested = false;
  bool m_started = false;
};

}  // namespace hs::ui

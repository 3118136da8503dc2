#include "cli/ScanProgress.h"

#include <utility>

namespace hs {

ScanProgress::ScanProgress(Writer write, std::size_t taskCount, std::chrono::milliseconds interval,
                           Clock clock)
    : m_write(std::move(write)),
      m_taskCount(taskCount),
      m_interval(interval),
      m_clock(std::move(clock)) {}

void ScanProgress::TaskStarted(int task) {
  ++m_taskIndex;
  m_caption = "task " + std::to_string(task);  // until the scanner names itself
  show();
}

void ScanProgress::ShowTaskCaption(const std::string& caption) {
  m_caption = caption;
  show();
}

void ScanProgress::AddFinding(const Finding&) {
  ++m_found;
  m_pending = true;
  if (m_clock() - m_lastShown >= m_interval) show();
}

void ScanProgress::Finish() {
  if (!m_shown) return;
  if (m_pending) show();
  m_write("\n");
  m_shown = false;
}

void ScanProgress::show() {
  // Appended piece by piece: GCC 12 misreads long operator+ chains that
  // start from a literal (false -Wstringop-overflow).
  std::string line = "[";
  line += std::to_string(m_taskIndex) + "/" + std::to_string(m_taskCount) + "] ";
  line += m_caption + " " + std::to_string(m_found);
  line += m_found == 1 ? " row found" : " rows found";
  const std::size_t length = line.size();
  // Blanks wipe what a longer previous line left on the screen.
  if (length < m_shownLength) line.append(m_shownLength - length, ' ');
  m_write("\r" + line);
  m_shownLength = length;
  m_shown = true;
  m_pending = false;
  m_lastShown = m_clock();
}

}  // namespace hs

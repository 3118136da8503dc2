#pragma once
// Progress of a console scan for a person watching standard error: one line,
// rewritten in place, with the task's position in the list, its caption and
// the rows found so far ("[7/22] Scanning Windows Fonts... 12 rows found").
// A new task shows at once; new rows at most once per interval, so that a
// scan with thousands of findings is not slowed by the console. The caller
// decides whether to show it at all (--quiet, not a console).
#include <chrono>
#include <functional>
#include <string>

#include "scan/ScanSink.h"

namespace hs {

class ScanProgress : public NullScanSink {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using Writer = std::function<void(const std::string& utf8)>;

  ScanProgress(Writer write, std::size_t taskCount,
               std::chrono::milliseconds interval = std::chrono::milliseconds(200),
               Clock clock = std::chrono::steady_clock::now);

  void TaskStarted(int task) override;
  void ShowTaskCaption(const std::string& caption) override;
  void AddFinding(const Finding& finding) override;
  // Shows the last state and ends the line; nothing when nothing was shown.
  void Finish();

 private:
  void show();

  Writer m_write;
  std::size_t m_taskCount;
  std::chrono::milliseconds m_interval;
  Clock m_clock;
  std::size_t m_taskIndex = 0;
  std::string m_caption;
  std::size_t m_found = 0;
  std::size_t m_shownLength = 0;
  bool m_shown = false;
  bool m_pending = false;
  std::chrono::steady_clock::time_point m_lastShown{};
};

}  // namespace hs

#include "scan/ScanTaskRunner.h"

#include <charconv>
#include <exception>

#include "scan/ScanDispatch.h"

namespace hs {
namespace {

// Drops the scan's remembered answers however the run ends.
struct MemoDropper {
  ScanContext& context;
  ~MemoDropper() {
    context.Checker.Clear();
    context.Memo.Clear();
  }
};

// Runs one scanner; false when the scan was stopped inside it.
bool RunScanner(ScanContext& context, int task) {
  const ScannerEntry scanner = ScannerForTask(task);
  if (!scanner) return true;
  try {
    scanner(context);
  } catch (const ScanStopped&) {
    return false;
  } catch (const std::exception& error) {
    if (!context.Stop.Requested()) context.Sink.TaskFailed(task, error.what());
  } catch (...) {
    if (!context.Stop.Requested()) context.Sink.TaskFailed(task, "unknown error");
  }
  return true;
}

}  // namespace

int TaskNumberFromText(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return 0;
  return number;
}

ScanOutcome RunScanTasks(ScanContext& context) {
  MemoDropper dropper{context};
  for (const std::string& entry : context.TaskList) {
    if (context.Stop.Requested()) return ScanOutcome::Stopped;
    const int task = TaskNumberFromText(entry);
    context.CurrentTask = task;
    context.Sink.TaskStarted(task);
    if (!RunScanner(context, task) || context.Stop.Requested()) return ScanOutcome::Stopped;
    context.Sink.TaskEnded(task);
  }
  if (context.Stop.Requested()) return ScanOutcome::Stopped;
  context.Sink.ScanFinished();
  return ScanOutcome::Completed;
}

TScanTaskThread::~TScanTaskThread() {
  Stop();
}

void TScanTaskThread::Start() {
  if (m_thread.joinable()) return;
  m_thread = std::thread([this] { m_outcome = RunScanTasks(m_context); });
}

void TScanTaskThread::Stop() {
  m_context.Stop.Request();
  if (m_thread.joinable()) m_thread.join();
}

ScanOutcome TScanTaskThread::Wait() {
  if (m_thread.joinable()) m_thread.join();
  return m_outcome;
}

}  // namespace hs

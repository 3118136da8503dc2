#include <gtest/gtest.h>

#include "cli/ProbeLog.h"
#include "platform/memory/MemoryFileSystem.h"

namespace hs {
namespace {

TEST(ProbeLog, RecordsEveryProbeAndReplaysTheRecordAsWritten) {
  MemoryFileSystem files;
  files.addFile("C:\\Here\\a.exe");
  ProbeRecorder recorder(files);
  // A registry string may hold a line break; the record keeps it whole.
  const std::vector<std::string> asked = {"C:\\Here\\a.exe", "C:\\Gone\nx.exe", "", "C:\\Here"};
  for (const std::string& path : asked) recorder.probe(path);
  EXPECT_EQ(recorder.Paths(), asked);
  const std::vector<std::string> read = ParseProbeLog(ProbeLogBytes(recorder.Paths()));
  EXPECT_EQ(read, asked);
  EXPECT_EQ(ReplayProbes(files, read), 2u);
  EXPECT_EQ(ParseProbeLog(std::string("C:\\a\0C:\\b", 9)),
            (std::vector<std::string>{"C:\\a", "C:\\b"}));
}

}  // namespace
}  // namespace hs

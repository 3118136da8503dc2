#include <gtest/gtest.h>

#include "restore/RestorePointOutcome.h"

namespace hs {
namespace {

RestorePointCall Answer(bool returned, std::uint32_t status, std::int64_t sequence) {
  return {true, true, returned, status, sequence};
}

TEST(RestorePointOutcomeTest, CreatedOnlyWhenTheSystemSaysSoAndTheNumberIsNew) {
  EXPECT_TRUE(JudgeRestorePoint(Answer(true, kSrStatusSuccess, 7)).created);
  EXPECT_TRUE(JudgeRestorePoint(Answer(true, kSrStatusSuccess, 8), 7).created);

  struct Case {
    const char* name;
    RestorePointCall call;
    std::optional<std::int64_t> earlier;
    const char* reasonPart;
  } failures[] = {
      {"System Restore off", Answer(false, kSrStatusDisabled, 0), {}, "turned off"},
      {"status failure despite a true result",
       Answer(true, kSrStatusDisabled, 0),
       {},
       "turned off"},
      {"once a day: the earlier point's number", Answer(true, kSrStatusSuccess, 7), 7, "a day"},
      {"false result with no status", Answer(false, kSrStatusSuccess, 0), {}, "did not make"},
      {"unknown status", Answer(false, 31, 0), {}, "status 31"},
      {"no library (Wine)", {false, false, false, 0, 0}, {}, "not available"},
      {"no function", {true, false, false, 0, 0}, {}, "does not offer"},
  };
  for (const Case& c : failures) {
    const RestorePointVerdict verdict = JudgeRestorePoint(c.call, c.earlier);
    EXPECT_FALSE(verdict.created) << c.name;
    EXPECT_NE(verdict.reason.find(c.reasonPart), std::string::npos)
        << c.name << ": " << verdict.reason;
  }
}

TEST(RestorePointOutcomeTest, ProgressCreepsByTheStepTableAndReaches100After38Ticks) {
  std::vector<int> positions;
  int p = 0;
  for (int tick = 0; tick < 40; ++tick) positions.push_back(p = NextRestorePointProgress(p));
  const std::vector<int> start{10, 20, 30, 40, 45, 50, 55, 58, 61, 63};
  EXPECT_EQ(std::vector<int>(positions.begin(), positions.begin() + 10), start);
  EXPECT_EQ(positions[36], 99);
  EXPECT_EQ(positions[37], 100);
  EXPECT_EQ(positions[39], 100);
  EXPECT_EQ(std::count(positions.begin(), positions.end(), 81), 1);
  EXPECT_EQ(std::count(positions.begin(), positions.end(), 80), 0);
}

}  // namespace
}  // namespace hs

// The trace log file: created anew, appended line by line, never a reason to stop.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/engine_fixture.h"

namespace tvr::test {
namespace {

class TraceTest : public EngineTest {};

TEST_F(TraceTest, StartsAnewOnEveryRun) {
  trace.TraceLine("first run");
  TraceLog second(platform, tracePath.c_str());
  second.Create();
  second.TraceLine("второй");
  EXPECT_EQ(TraceText(), Lines({"Launched...", "второй"}));
  EXPECT_EQ(platform.sleeps, (std::vector<unsigned>{20, 20}));
}

TEST_F(TraceTest, LongLinesAreWrittenWhole) {
  const std::string longLine(3000, 'x');
  trace.TraceLine(longLine.c_str());
  EXPECT_EQ(TraceText(), Lines({"Launched...", longLine}));
}

TEST_F(TraceTest, ALogThatCannotBeWrittenIsSkipped) {
  // A directory where the log should be: every open of it fails.
  const std::string blocked = dir / "blocked";
  std::filesystem::create_directory(blocked);
  TraceLog log(platform, blocked.c_str());
  log.Create();
  log.TraceLine("nothing");
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  EXPECT_EQ(platform.sleeps, std::vector<unsigned>{20});
}

TEST_F(TraceTest, ADisabledLogWritesNothingAndDoesNotPause) {
  TraceLog off(platform, nullptr);
  off.Create();
  off.TraceLine("x");
  EXPECT_TRUE(platform.sleeps.empty());
  EXPECT_EQ(platform.Calls(Op::kWriteText), 1);  // only the fixture's own Create
}

}  // namespace
}  // namespace tvr::test

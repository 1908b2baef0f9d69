// Writing the joined recording: its bytes, name, times, percentages, and every failure.
#include <gtest/gtest.h>

#include <filesystem>

#include "merge/merge.h"
#include "recording/format.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/recording_progress.h"

namespace tvr::test {
namespace {

namespace fs = std::filesystem;

// The percentages a copy of one frame at a time sends: framesDone / (total / 100) from
// 10000 frames on, framesDone * 100 / total below, each change once, capped at 100,
// and 100 at the end if it was not the last.
std::vector<int> FrameByFramePercents(const std::vector<std::int64_t>& frames) {
  std::int64_t total = 0;
  for (auto f : frames) total += f;
  auto percent = [&](std::int64_t done) {
    if (total == 0) return 100;
    const std::int64_t p = total >= 10000 ? done / (total / 100) : done * 100 / total;
    return static_cast<int>(p > 100 ? 100 : p);
  };
  std::vector<int> sent;
  int last = 0;
  std::int64_t done = frames[0];
  for (std::size_t i = 1; i < frames.size(); ++i) {
    for (std::int64_t f = 0; f < frames[i]; ++f) {
      ++done;
      if (percent(done) != last) sent.push_back(last = percent(done));
    }
  }
  if (last != 100) sent.push_back(100);
  return sent;
}

class JoinTest : public EngineTest {
 protected:
  // Adds recordings made an hour apart in the given order of time, shuffled in the table.
  std::vector<std::string> AddSet(const std::vector<RecordingLayout>& layouts) {
    std::vector<std::string> paths(layouts.size());
    for (std::size_t k = 0; k < layouts.size(); ++k) {
      const std::size_t i = (k + 1) % layouts.size();  // the earliest is not first in the table
      paths[i] = Add(std::string(1, static_cast<char>('a' + i)) + ".tvr", layouts[i],
                     MakeTime(2021, 3, 7, 6 + static_cast<int>(i), 5, 0));
    }
    return paths;
  }
  RunStatus Merge() {
    MergeContext context = Context(&progress);
    const RunStatus status = MergeRecordings(context);
    output = context.outputPath;
    return status;
  }
  // Files in the test directory other than the inputs, the trace and the output.
  std::vector<std::string> Leftovers(const std::vector<std::string>& inputs) {
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
      const std::string p = entry.path().string();
      if (p == tracePath || p == output) continue;
      if (std::find(inputs.begin(), inputs.end(), p) != inputs.end()) continue;
      left.push_back(p);
    }
    return left;
  }

  RecordingProgress progress;
  std::string output;
};

RecordingLayout Frames(std::int64_t frames, int trailing = 0, unsigned seed = 1, int channels = 2) {
  RecordingLayout s;
  s.frames = frames;
  s.trailingBytes = trailing;
  s.seed = seed;
  s.channels = channels;
  return s;
}

TEST_F(JoinTest, EarliestWholeThenLaterFramesInTimeOrder) {
  // Partial frames everywhere, the earliest's included: each is left out, so every
  // appended frame starts on a frame boundary.
  const auto paths = AddSet({Frames(100, 5, 1, 3), Frames(50, 11, 2, 3), Frames(50, 1, 3, 3)});
  const auto before = ReadAll(paths[0]);
  ASSERT_EQ(Merge(), RunStatus::kDone);
  EXPECT_EQ(output, dir / "Collected3_a.tvr");
  EXPECT_EQ(ReadAll(output), ExpectedJoin(paths, 3));
  EXPECT_EQ(ReadAll(paths[0]), before);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_TRUE(Leftovers(paths).empty());
  EXPECT_EQ(progress.files, paths);
  EXPECT_EQ(progress.events, (std::vector<std::string>{"open", "file", "file", "percent", "file",
                                                       "percent", "finish", "wait"}));
}

TEST_F(JoinTest, OutputCarriesTheEarliestsCreationTime) {
  const auto paths = AddSet({Frames(10), Frames(10, 0, 2)});
  ASSERT_EQ(Merge(), RunStatus::kDone);
  const FileTime created = MakeTime(2021, 3, 7, 6, 5, 0);
  const FileHandle file = platform.OpenForRead(output.c_str());
  ASSERT_NE(file, kInvalidFile);
  FileTime read;
  EXPECT_TRUE(platform.GetCreationTime(file, &read));
  platform.Close(file);
  EXPECT_EQ(read.ticks, created.ticks);
  const auto written = fs::last_write_time(output);
  const auto sys = std::chrono::file_clock::to_sys(written);
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count(),
            1615097100);  // 2021-03-07 06:05:00 UTC
}

TEST_F(JoinTest, ReplacesAnExistingOutput) {
  const auto paths = AddSet({Frames(10), Frames(10, 0, 2)});
  const std::string old = dir / "Collected2_a.tvr";
  WriteRecording(old, Frames(999, 0, 9));
  ASSERT_EQ(Merge(), RunStatus::kDone);
  EXPECT_EQ(ReadAll(old), ExpectedJoin(paths, 2));
}

struct PercentCase {
  const char* what;
  std::vector<std::int64_t> frames;  // in time order
};

class PercentTest : public JoinTest, public ::testing::WithParamInterface<PercentCase> {};

TEST_P(PercentTest, SendsWhatAFrameByFrameCopyWouldSend) {
  std::vector<RecordingLayout> layouts;
  unsigned seed = 1;
  for (auto f : GetParam().frames) layouts.push_back(Frames(f, 0, seed++));
  const auto paths = AddSet(layouts);
  ASSERT_EQ(Merge(), RunStatus::kDone);
  EXPECT_EQ(progress.percents, FrameByFramePercents(GetParam().frames)) << GetParam().what;
  EXPECT_EQ(ReadAll(output), ExpectedJoin(paths, 2));
}

INSTANTIATE_TEST_SUITE_P(Percents, PercentTest,
                         ::testing::Values(PercentCase{"100, 50, 50: 50 first, 100 last",
                                                       {100, 50, 50}},
                                           PercentCase{"150 frames never pass 100", {50, 100}},
                                           PercentCase{"three frames", {1, 1, 1}},
                                           PercentCase{"no frames at all", {0, 0}},
                                           PercentCase{"nothing after the earliest", {20, 0}},
                                           PercentCase{"step of 100", {5000, 5050}},
                                           PercentCase{"blocks of megabytes", {200000, 800000, 3}}),
                         CaseName());

TEST(PercentCounterTest, NeverPassesOneHundred) {
  for (std::int64_t total : {1, 99, 150, 9999, 10000, 10099, 123456}) {
    const PercentCounter counter(total);
    EXPECT_EQ(counter.Percent(total), 100) << total;
    EXPECT_LE(counter.Percent(total + total / 2), 100) << total;
  }
  EXPECT_EQ(PercentCounter(0).Percent(0), 100);
}

TEST(OutputPathTest, IsTheEarliestsNameWithTheCountBesideIt) {
  char out[64];
  ASSERT_TRUE(BuildOutputPath("D:\\rec\\a.tvr", 3, '\\', out, sizeof out));
  EXPECT_STREQ(out, "D:\\rec\\Collected3_a.tvr");
  ASSERT_TRUE(BuildOutputPath("/data/x.tvr", 12, '/', out, sizeof out));
  EXPECT_STREQ(out, "/data/Collected12_x.tvr");
  ASSERT_TRUE(BuildOutputPath("x.tvr", 2, '/', out, sizeof out));
  EXPECT_STREQ(out, "Collected2_x.tvr");
  EXPECT_FALSE(BuildOutputPath("/data/x.tvr", 2, '/', out, 16));
}

TEST_F(JoinTest, RefusesToWriteOverOneOfTheRecordings) {
  // A recording joined again with its own earlier output: the new output has the old
  // one's name. Here the old output is reached through a second name (a hard link).
  const auto paths = AddSet({Frames(10), Frames(10, 0, 2)});
  const std::string old = dir / "Collected3_a.tvr";
  WriteRecording(old, Frames(20, 0, 5));
  const std::string alias = dir / "alias.tvr";
  fs::create_hard_link(old, alias);
  SetCreationTime(alias, MakeTime(2021, 3, 7, 12, 0, 0));
  ASSERT_TRUE(table->Add(alias.c_str()));
  const auto before = ReadAll(old);
  EXPECT_EQ(Merge(), RunStatus::kOutputIsInput);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0].text,
            "Файл результата совпадает с одним из объединяемых файлов\n" + old);
  EXPECT_EQ(platform.messages[0].caption, "Ошибка");
  EXPECT_EQ(platform.messages[0].style, kMbIconError);
  EXPECT_EQ(ReadAll(old), before);
  EXPECT_EQ(progress.events.back(), "dismiss");
}

enum class Named { kOutput, kFirst, kSecond };

struct FaultCase {
  const char* what;
  Op op;
  int nth;  // counted from the start of the run: the scan of two 2-channel files opens,
            // closes and sizes each once and reads 16 times; the earliest's 2.4 MB take
            // three 1 MiB blocks
  RunStatus status;
  Named named;
  bool outputWritten;  // the join got as far as putting the output in place
};

class JoinFaultTest : public JoinTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(JoinFaultTest, StopsCleansUpAndSaysWhichFile) {
  const FaultCase& c = GetParam();
  const auto paths = AddSet({Frames(300000, 3), Frames(400000, 0, 2)});
  const std::string old = dir / "Collected2_a.tvr";
  WriteRecording(old, Frames(7, 0, 9));
  const auto oldBytes = ReadAll(old);
  const auto firstBytes = ReadAll(paths[0]);
  const auto inputBytes = ReadAll(paths[1]);
  platform.FailNth(c.op, c.nth);

  EXPECT_EQ(Merge(), c.status) << c.what;
  ASSERT_EQ(platform.messages.size(), 1u) << c.what;
  const std::string& named = c.named == Named::kOutput  ? old
                             : c.named == Named::kFirst ? paths[0]
                                                        : paths[1];
  EXPECT_EQ(
      platform.messages[0].text,
      (c.status == RunStatus::kReadError ? "Ошибка чтения файла\n" : "Ошибка записи файла\n") +
          named)
      << c.what;
  EXPECT_EQ(platform.messages[0].caption, "Ошибка");
  EXPECT_EQ(platform.messages[0].style, kMbIconError);
  EXPECT_EQ(progress.events.back(), "dismiss") << c.what;
  // No partial output, no temporary file, no input changed; an older output survives
  // unless the new one was already complete.
  EXPECT_TRUE(Leftovers(paths).empty()) << c.what;
  EXPECT_EQ(ReadAll(paths[0]), firstBytes);
  EXPECT_EQ(ReadAll(paths[1]), inputBytes);
  if (c.outputWritten) {
    EXPECT_EQ(ReadAll(old), ExpectedJoin(paths, 2)) << c.what;
  } else {
    EXPECT_EQ(ReadAll(old), oldBytes) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, JoinFaultTest,
    ::testing::Values(FaultCase{"earliest cannot be opened again", Op::kOpenRead, 3,
                                RunStatus::kReadError, Named::kFirst, false},
                      FaultCase{"later file cannot be opened", Op::kOpenRead, 4,
                                RunStatus::kReadError, Named::kSecond, false},
                      FaultCase{"first block of the earliest", Op::kRead, 17, RunStatus::kReadError,
                                Named::kFirst, false},
                      FaultCase{"first block of the later file", Op::kRead, 20,
                                RunStatus::kReadError, Named::kSecond, false},
                      FaultCase{"a later block of the later file", Op::kRead, 21,
                                RunStatus::kReadError, Named::kSecond, false},
                      FaultCase{"size of the later file", Op::kGetSize, 3, RunStatus::kReadError,
                                Named::kSecond, false},
                      FaultCase{"seek in the later file", Op::kSeek, 1, RunStatus::kReadError,
                                Named::kSecond, false},
                      FaultCase{"first write", Op::kWrite, 1, RunStatus::kWriteError,
                                Named::kOutput, false},
                      FaultCase{"a write of the later frames", Op::kWrite, 4,
                                RunStatus::kWriteError, Named::kOutput, false},
                      FaultCase{"temporary file", Op::kTempFile, 1, RunStatus::kWriteError,
                                Named::kOutput, false},
                      FaultCase{"open of the output", Op::kOpenWrite, 1, RunStatus::kWriteError,
                                Named::kOutput, false},
                      FaultCase{"closing the earliest", Op::kClose, 3, RunStatus::kReadError,
                                Named::kFirst, false},
                      FaultCase{"closing the later file", Op::kClose, 4, RunStatus::kReadError,
                                Named::kSecond, false},
                      FaultCase{"closing the output", Op::kClose, 5, RunStatus::kWriteError,
                                Named::kOutput, false},
                      FaultCase{"moving the output into place", Op::kMove, 1,
                                RunStatus::kWriteError, Named::kOutput, false},
                      FaultCase{"stamping the times", Op::kStamp, 1, RunStatus::kWriteError,
                                Named::kOutput, true}),
    CaseName());

}  // namespace
}  // namespace tvr::test

// The header scan: the table it fills, the messages it shows, the trace it writes.
#include "recording/scan.h"

#include <gtest/gtest.h>

#include "tests/support/engine_fixture.h"

namespace tvr::test {
namespace {

class ScanTest : public EngineTest {
 protected:
  RunStatus Scan() { return ScanRecordings(platform, trace, *table, &totals); }
  ScanTotals totals;
};

struct SizeCase {
  int channels;
  std::int64_t frames;
  int trailing;
  std::uint32_t off;
  std::uint32_t dataOffset;
  std::int64_t dataSize;
  std::int64_t frameCount;
};

class ScanSizeTest : public ScanTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(ScanSizeTest, FillsTheEntry) {
  const SizeCase& c = GetParam();
  RecordingLayout layout;
  layout.channels = c.channels;
  layout.frames = c.frames;
  layout.trailingBytes = c.trailing;
  layout.off = c.off;
  layout.freq = 250.000001;
  Add("a.tvr", layout);
  ASSERT_EQ(Scan(), RunStatus::kDone);
  const FileEntry& e = table->entries[0];
  EXPECT_EQ(e.dataOffset, c.dataOffset);
  EXPECT_EQ(e.dataSize, c.dataSize);
  EXPECT_EQ(e.frameCount, c.frameCount);
  EXPECT_EQ(e.channelCount, c.channels);
  EXPECT_EQ(e.frequency, 250.0f);
  EXPECT_EQ(totals.nallsamp, c.frameCount);
  EXPECT_TRUE(platform.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ScanSizeTest,
    ::testing::Values(SizeCase{2, 100, 0, 0, 280, 800, 100},       // 280 + 800 bytes
                      SizeCase{2, 100, 3, 0, 280, 803, 100},       // partial frame not counted
                      SizeCase{16, 0, 0, 0, 560, 0, 0},            // only the header
                      SizeCase{2, 100, 0, 1000, 280, 800, 100},    // `off` changes nothing
                      SizeCase{256, 3, 1023, 0, 5360, 4095, 3}));  // widest frame

TEST_F(ScanTest, TracedChannelCountIgnoresTheHighBitsOfTheChannelWord) {
  RecordingLayout layout;
  layout.channels = 3;
  layout.channelWordExtra = 0xFFFFFE00;
  Add("a.tvr", layout);
  ASSERT_EQ(Scan(), RunStatus::kDone);
  EXPECT_EQ(table->entries[0].channelCount, 3);
  EXPECT_NE(TraceText().find("Число каналов в файле равно 3"), std::string::npos);
  EXPECT_NE(TraceText().find("nch=3 ndev=-1 "), std::string::npos);
}

TEST_F(ScanTest, SumsFramesOfAllFiles) {
  RecordingLayout a, b;
  a.frames = 100;
  b.frames = 50;
  b.trailingBytes = 7;
  Add("a.tvr", a);
  Add("b.tvr", b);
  ASSERT_EQ(Scan(), RunStatus::kDone);
  EXPECT_EQ(totals.nallsamp, 150);
  EXPECT_NE(TraceText().find(std::string("nallsamp=150(96)") + kEol), std::string::npos);
}

struct RefusalCase {
  const char* what;
  void (*change)(RecordingLayout&);
  RunStatus status;
  const char* text;  // %s is the path
  const char* caption;
  unsigned style;
};

class ScanRefusalTest : public ScanTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ScanRefusalTest, ShowsItsMessageAndStops) {
  const RefusalCase& c = GetParam();
  RecordingLayout good;
  good.frames = 5;
  RecordingLayout bad = good;
  c.change(bad);
  Add("a.tvr", good);
  const std::string badPath = Add("b.tvr", bad);
  Add("c.tvr", good);
  EXPECT_EQ(Scan(), c.status) << c.what;
  char expected[1100];
  std::snprintf(expected, sizeof expected, c.text, badPath.c_str());
  ASSERT_EQ(platform.messages.size(), 1u) << c.what;
  EXPECT_EQ(platform.messages[0].text, expected);
  EXPECT_EQ(platform.messages[0].caption, c.caption);
  EXPECT_EQ(platform.messages[0].style, c.style);
  EXPECT_EQ(totals.failedIndex, 1);
  // The scan stopped: the third file was never opened.
  EXPECT_EQ(TraceText().find("c.tvr"), std::string::npos);
  EXPECT_EQ(platform.Calls(Op::kOpenRead), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, ScanRefusalTest,
    ::testing::Values(
        RefusalCase{"no signature", [](RecordingLayout& s) { s.signature = "RIFF"; },
                    RunStatus::kBadFormat, "Неправильный формат файла", "", kMbOk},
        RefusalCase{"shorter than nine bytes", [](RecordingLayout& s) { s.truncateAt = 8; },
                    RunStatus::kBadFormat, "Неправильный формат файла", "", kMbOk},
        RefusalCase{"ends inside its header", [](RecordingLayout& s) { s.truncateAt = 200; },
                    RunStatus::kBadFormat, "Неправильный формат файла", "", kMbOk},
        RefusalCase{"no channels", [](RecordingLayout& s) { s.channels = 0; },
                    RunStatus::kBadChannelCount, "Неподдерживаемое число каналов (0) в файле\n%s",
                    "Ошибка", kMbIconError},
        RefusalCase{"300 channels", [](RecordingLayout& s) { s.channels = 300; },
                    RunStatus::kBadChannelCount, "Неподдерживаемое число каналов (300) в файле\n%s",
                    "Ошибка", kMbIconError}),
    CaseName());

TEST_F(ScanTest, AFileThatCannotBeOpenedEndsTheScanQuietly) {
  RecordingLayout layout;
  layout.frames = 5;
  Add("a.tvr", layout);
  const std::string missing = dir / "missing.tvr";
  ASSERT_TRUE(table->Add(missing.c_str()));
  Add("c.tvr", layout);
  EXPECT_EQ(Scan(), RunStatus::kOpenFailed);
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(totals.failedIndex, 1);
  EXPECT_EQ(table->entries[0].frameCount, 5);
  const std::string text = TraceText();
  ASSERT_GE(text.size(), missing.size() + 2);
  // The log ends with the path of the file that could not be opened.
  EXPECT_EQ(text.substr(text.size() - missing.size() - std::string(kEol).size()), missing + kEol);
}

TEST_F(ScanTest, FailedReadsOfSizeOrTimeAreReported) {
  for (Op op : {Op::kGetSize, Op::kGetTime, Op::kRead}) {
    FaultPlatform faulty(SystemPlatform());
    faulty.FailNth(op, 1);
    RecordingLayout layout;
    layout.frames = 5;
    const std::string path = Add("a.tvr", layout);
    TraceLog quiet(faulty, nullptr);
    EXPECT_EQ(ScanRecordings(faulty, quiet, *table, &totals), RunStatus::kReadError);
    ASSERT_EQ(faulty.messages.size(), 1u);
    EXPECT_EQ(faulty.messages[0].text, "Ошибка чтения файла\n" + path);
    EXPECT_EQ(faulty.messages[0].style, kMbIconError);
    table->count = 0;
  }
}

TEST_F(ScanTest, EveryTraceLineIsFollowedByItsPause) {
  RecordingLayout layout;
  Add("a.tvr", layout);
  Add("b.tvr", layout);
  ASSERT_EQ(Scan(), RunStatus::kDone);
  // Seven lines per file and the total.
  EXPECT_EQ(platform.sleeps, std::vector<unsigned>(15, 20u));
}

TEST_F(ScanTest, RecordingOfMoreThanFourGigabytesIsCountedWhole) {
  // 5 GiB of data (sparse): a 32-bit size would lose the top and count it wrong.
  RecordingLayout layout;
  layout.channels = 2;
  layout.frames = (5ll << 30) / 8;
  layout.trailingBytes = 5;
  layout.sparseData = true;
  Add("big.tvr", layout);
  ASSERT_EQ(Scan(), RunStatus::kDone);
  const FileEntry& e = table->entries[0];
  EXPECT_EQ(e.dataSize, (5ll << 30) + 5);
  EXPECT_EQ(e.frameCount, (5ll << 30) / 8);
  EXPECT_EQ(totals.nallsamp, (5ll << 30) / 8);
  EXPECT_NE(TraceText().find("Размер файла=5368709405 Смещение начала данных=280"),
            std::string::npos);
  EXPECT_NE(TraceText().find("nallsamp=671088640(28000000)"), std::string::npos);
}

}  // namespace
}  // namespace tvr::test

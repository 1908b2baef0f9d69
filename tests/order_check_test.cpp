// Ordering by creation time, the consistency checks, and one complete trace.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "merge/merge.h"
#include "recording/scan.h"
#include "tests/support/engine_fixture.h"

namespace tvr::test {
namespace {

class OrderTest : public EngineTest {
 protected:
  // Entries with only the names and local times set, in table order.
  void Entries(std::initializer_list<std::pair<const char*, int>> items) {
    for (const auto& [name, hour] : items) {
      ASSERT_TRUE(table->Add(name));
      table->entries[table->count - 1].localCreationTime = MakeTime(2021, 3, 7, hour, 0, 0);
    }
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < table->count; ++i) names.emplace_back(table->entries[i].name);
    return names;
  }
};

TEST_F(OrderTest, OrdersByCreationTime) {
  Entries({{"ten", 10}, {"nine", 9}, {"eleven", 11}});
  OrderByCreationTime(platform, *table);
  EXPECT_EQ(Names(), (std::vector<std::string>{"nine", "ten", "eleven"}));
}

TEST_F(OrderTest, EqualTimesFollowTheExchangeSort) {
  // Not a stable sort: of two equal times the exchange decides which comes first.
  Entries({{"first", 2}, {"second", 2}, {"one", 1}});
  OrderByCreationTime(platform, *table);
  EXPECT_EQ(Names(), (std::vector<std::string>{"one", "second", "first"}));
}

TEST_F(OrderTest, SwapsWholeRecords) {
  Entries({{"late", 12}, {"early", 8}});
  table->entries[0].frameCount = 111;
  table->entries[1].frameCount = 222;
  OrderByCreationTime(platform, *table);
  EXPECT_EQ(table->entries[0].frameCount, 222);
  EXPECT_EQ(table->entries[1].frameCount, 111);
}

struct CheckCase {
  const char* what;
  std::vector<std::pair<float, int>> records;  // frequency, channel count, in time order
  RunStatus status;
};

class CheckTest : public EngineTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(CheckTest, LastDifferingRecordDecides) {
  const CheckCase& c = GetParam();
  for (const auto& [frequency, channels] : c.records) {
    ASSERT_TRUE(table->Add("x"));
    FileEntry& e = table->entries[table->count - 1];
    e.frequency = frequency;
    e.channelCount = channels;
    e.localCreationTime = MakeTime(2021, 3, 7, 9, 5, table->count);
  }
  EXPECT_EQ(CheckConsistency(platform, trace, *table), c.status) << c.what;
  if (c.status == RunStatus::kDone) {
    EXPECT_TRUE(platform.messages.empty());
  } else {
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0].text, c.status == RunStatus::kFrequencyMismatch
                                             ? "Несовпадение частот в объединяемых файлах"
                                             : "Несовпадение числа каналов в объединяемых файлах");
    EXPECT_EQ(platform.messages[0].caption, "Ошибка");
    EXPECT_EQ(platform.messages[0].style, kMbIconError);
  }
  // Every record's time is traced before any message.
  std::string expected = Lines({"Launched..."});
  for (int k = 1; k <= table->count; ++k) {
    char line[64];
    std::snprintf(line, sizeof line, "07.03.2021 09:05:%02d", k);
    expected += Lines({line});
  }
  EXPECT_EQ(TraceText(), expected);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Checks, CheckTest,
    ::testing::Values(
        CheckCase{"all equal", {{250, 2}, {250, 2}, {250, 2}}, RunStatus::kDone},
        CheckCase{"channels then frequency",
                  {{250, 2}, {250, 4}, {500, 2}},
                  RunStatus::kFrequencyMismatch},
        CheckCase{
            "frequency then channels", {{250, 2}, {500, 2}, {250, 4}}, RunStatus::kChannelMismatch},
        CheckCase{"both in the last", {{250, 2}, {500, 2}, {500, 4}}, RunStatus::kChannelMismatch},
        CheckCase{"NaN in the earliest", {{kNaN, 2}, {kNaN, 2}}, RunStatus::kFrequencyMismatch},
        CheckCase{
            "NaN earliest, channels last", {{kNaN, 2}, {kNaN, 3}}, RunStatus::kChannelMismatch}),
    CaseName());

struct FrequencyCase {
  double a;
  double b;
  RunStatus status;
};

class FrequencyTest : public EngineTest, public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FrequencyTest, ComparedAsSinglePrecision) {
  RecordingLayout a, b;
  a.freq = GetParam().a;
  b.freq = GetParam().b;
  Add("a.tvr", a, MakeTime(2021, 1, 1, 0, 0, 0));
  Add("b.tvr", b, MakeTime(2021, 1, 1, 1, 0, 0));
  ScanTotals totals;
  ASSERT_EQ(ScanRecordings(platform, trace, *table, &totals), RunStatus::kDone);
  OrderByCreationTime(platform, *table);
  EXPECT_EQ(CheckConsistency(platform, trace, *table), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Frequencies, FrequencyTest,
                         ::testing::Values(FrequencyCase{250.0, 250.000001, RunStatus::kDone},
                                           FrequencyCase{250.0, 250.0001,
                                                         RunStatus::kFrequencyMismatch},
                                           FrequencyCase{250.0, 250.0, RunStatus::kDone}));

TEST_F(OrderTest, CompleteTraceOfAJoin) {
  RecordingLayout a, b;
  a.frames = 100;
  a.type = -128;
  b.frames = 50;
  b.seed = 2;
  b.trailingBytes = 3;
  // Table order b, a; creation times in UTC, local time is UTC+3 here.
  const std::string pb = Add("b.tvr", b, MakeTime(2021, 3, 7, 7, 0, 0));
  const std::string pa = Add("a.tvr", a, MakeTime(2021, 3, 7, 6, 5, 0));
  MergeContext context = Context();
  ASSERT_EQ(MergeRecordings(context), RunStatus::kDone);
  const std::string output = dir / "Collected2_a.tvr";
  EXPECT_EQ(TraceText(),
            Lines({"Launched...",
                   pb,
                   "mask=000000ff nch=2 ndev=0 freq=250 type=1 lower=0 nbits=18",
                   "Число каналов в файле равно 2",
                   "mask=00000001 minrange=-10 maxrange=10",
                   "nch=2 minrange=-20 maxrange=20",
                   "off=280",
                   "Размер файла=683 Смещение начала данных=280",
                   pa,
                   "mask=000000ff nch=2 ndev=0 freq=250 type=ffffff80 lower=0 nbits=18",
                   "Число каналов в файле равно 2",
                   "mask=00000001 minrange=-10 maxrange=10",
                   "nch=2 minrange=-20 maxrange=20",
                   "off=280",
                   "Размер файла=1080 Смещение начала данных=280",
                   "nallsamp=150(96)",
                   "07.03.2021 09:05:00",
                   "07.03.2021 10:00:00",
                   pa,
                   output}));
}

}  // namespace
}  // namespace tvr::test

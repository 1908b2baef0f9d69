// The merge: scan, order by creation time, check, then join into one recording.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "recording/file_table.h"
#include "trace/trace_log.h"

namespace tvr {

inline constexpr char kFrequencyMismatchText[] = "Несовпадение частот в объединяемых файлах";
inline constexpr char kChannelMismatchText[] = "Несовпадение числа каналов в объединяемых файлах";
inline constexpr char kOutputIsInputText[] =
    "Файл результата совпадает с одним из объединяемых файлов\n%s";

// Everything one merge works with. `progress` may be null (no view at all).
struct MergeContext {
  Platform& platform;
  TraceLog& trace;
  FileTable& table;
  ProgressView* progress = nullptr;
  ScanTotals totals;
  char outputPath[1024] = {};
  // Options of the command-line tool; the Windows program keeps the defaults.
  bool orderByTime = true;               // false keeps the table order
  const char* outputOverride = nullptr;  // a path instead of "Collected<N>_<earliest>"
};

// Puts the table in ascending order of local creation time with the exchange sort the
// tool has always used: equal times never swap, and of several equal times the order
// this exact sort leaves decides which comes first.
void OrderByCreationTime(Platform& platform, FileTable& table);

// Traces each recording's creation time, then refuses a set whose frequencies (as 32-bit
// floats) or channel counts differ from the earliest's. The last recording that differs
// decides which message is shown.
RunStatus CheckConsistency(Platform& platform, TraceLog& trace, const FileTable& table);

// The output path: the earliest's directory, "Collected<count>_" and its name.
// False when it does not fit `size`.
bool BuildOutputPath(const char* earliest, int fileCount, char separator, char* out,
                     std::size_t size);

// Writes the joined recording (the table ordered and checked).
RunStatus Concatenate(MergeContext& context);

// The whole merge: ScanRecordings, OrderByCreationTime, CheckConsistency, Concatenate.
RunStatus MergeRecordings(MergeContext& context);

// The percentage shown while joining, and where it next changes. With 10000 frames or
// more it is framesDone / (total / 100), as the tool has always counted; below that
// framesDone * 100 / total. It never exceeds 100.
class PercentCounter {
 public:
  explicit PercentCounter(std::int64_t total);
  int Percent(std::int64_t framesDone) const;
  // The smallest frame count above `framesDone` whose percentage differs from `last`
  // (INT64_MAX when there is none).
  std::int64_t NextChange(std::int64_t framesDone, int last) const;

 private:
  std::int64_t total_;
  std::int64_t step_;  // total / 100 when total >= 10000, else 0
};

}  // namespace tvr

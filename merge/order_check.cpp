// Ordering the table by creation time and checking that the recordings can be joined.
#include <cmath>
#include <cstdio>

#include "merge/merge.h"
#include "recording/scan.h"

namespace tvr {

void OrderByCreationTime(Platform& platform, FileTable& table) {
  for (int i = 0; i + 1 < table.count; ++i) {
    for (int j = i + 1; j < table.count; ++j) {
      FileEntry& a = table.entries[i];
      FileEntry& b = table.entries[j];
      if (platform.CompareTimes(b.localCreationTime, a.localCreationTime) == -1) {
        const FileEntry scratch = a;
        a = b;
        b = scratch;
      }
    }
  }
}

RunStatus CheckConsistency(Platform& platform, TraceLog& trace, const FileTable& table) {
  int status = 0;
  const FileEntry& reference = table.entries[0];
  for (int k = 0; k < table.count; ++k) {
    const FileEntry& entry = table.entries[k];
    const SystemTime t = platform.ToSystemTime(entry.localCreationTime);
    char line[1024];
    std::snprintf(line, sizeof line, "%02d.%02d.%d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                  t.minute, t.second);
    trace.TraceLine(line);
    // `!=` on floats is true for a NaN on either side, which is what we want.
    if (entry.frequency != reference.frequency) status = 1;
    if (entry.channelCount != reference.channelCount) status = 2;
  }
  if (status == 1) {
    platform.ShowMessage(kFrequencyMismatchText, kErrorCaption, kMbIconError);
    return RunStatus::kFrequencyMismatch;
  }
  if (status == 2) {
    platform.ShowMessage(kChannelMismatchText, kErrorCaption, kMbIconError);
    return RunStatus::kChannelMismatch;
  }
  return RunStatus::kDone;
}

RunStatus MergeRecordings(MergeContext& context) {
  RunStatus status =
      ScanRecordings(context.platform, context.trace, context.table, &context.totals);
  if (status != RunStatus::kDone) return status;
  if (context.orderByTime) OrderByCreationTime(context.platform, context.table);
  status = CheckConsistency(context.platform, context.trace, context.table);
  if (status != RunStatus::kDone) return status;
  return Concatenate(context);
}

}  // namespace tvr

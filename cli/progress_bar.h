// The join's progress on a terminal: one line on stderr, redrawn in place, with the
// percentage, the file being appended and the throughput. Draws nothing when disabled.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "recording/file_table.h"

namespace tvr::cli {

// One frame of the bar, at most 79 columns (UTF-8; the name is cut to fit).
std::string ProgressLine(int percent, const std::string& name, double bytesPerSecond);

class ProgressBar : public ProgressView {
 public:
  // `totals` and `table` are the merge's: read when the join opens the view, after the scan.
  ProgressBar(bool enabled, const ScanTotals& totals, const FileTable& table)
      : enabled_(enabled), totals_(totals), table_(table) {}

  bool Open() override;
  void AddFile(const char* path) override;
  void SetPercent(int percent) override;
  void Finish() override;
  void WaitUntilClosed() override {}  // nothing for the user to close
  void Dismiss() override;

 private:
  void Draw();
  void EndLine();

  bool enabled_;
  const ScanTotals& totals_;
  const FileTable& table_;
  bool drawn_ = false;
  int percent_ = 0;
  std::string name_;
  double totalBytes_ = 0;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace tvr::cli

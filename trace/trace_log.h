// The trace log: a text file that records each step of a run, one line per event.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace tvr {

class TraceLog {
 public:
  static constexpr char kDefaultPath[] = "Trace";
  static constexpr unsigned kLinePauseMs = 20;
  static constexpr std::size_t kTextBufferSize = 256;

  // A null `path` gives a log that writes nothing and does not pause.
  explicit TraceLog(Platform& platform, const char* path = kDefaultPath,
                    unsigned pauseMs = kLinePauseMs);

  // Creates the file anew with its first line.
  void Create();
  // Appends one line. The file is opened and closed for every line, so that the log is
  // complete up to the last step even when the process dies; a log that cannot be
  // written is skipped and the run goes on.
  void TraceLine(const char* text);

  // The log's own buffer for a caller that formats a line in place.
  char* text() { return text_; }

 private:
  Platform& platform_;
  bool enabled_ = false;
  unsigned pauseMs_;
  char path_[1024] = {};
  char text_[kTextBufferSize] = {};
};

}  // namespace tvr

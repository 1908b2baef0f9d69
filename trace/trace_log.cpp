// Writes the trace log through the platform's text files.
#include "trace/trace_log.h"

#include <cstdio>
#include <cstring>

namespace tvr {

TraceLog::TraceLog(Platform& platform, const char* path, unsigned pauseMs)
    : platform_(platform), pauseMs_(pauseMs) {
  if (path != nullptr && std::strlen(path) < sizeof path_) {
    std::memcpy(path_, path, std::strlen(path) + 1);
    enabled_ = true;
  }
}

void TraceLog::Create() {
  if (!enabled_) return;
  // A log that cannot be written is no reason to stop: the run has no other place for it.
  static_cast<void>(platform_.WriteText(path_, "Launched...\n", true));
}

void TraceLog::TraceLine(const char* text) {
  if (!enabled_) return;
  // One write per line keeps the text and its line end together.
  char line[1100];
  const int n = std::snprintf(line, sizeof line, "%s\n", text);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof line) {
    static_cast<void>(platform_.WriteText(path_, line, false));
  } else {
    static_cast<void>(platform_.WriteText(path_, text, false));
    static_cast<void>(platform_.WriteText(path_, "\n", false));
  }
  if (pauseMs_ > 0) platform_.Sleep(pauseMs_);
}

}  // namespace tvr

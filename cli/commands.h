// The tool's commands over the engine: join, info and check. Each returns the exit status.
#pragma once

#include <string>
#include <vector>

#include "recording/file_table.h"

namespace tvr::cli {

// The exit statuses the tool documents.
enum ExitStatus : int {
  kExitDone = 0,
  kExitRefused = 1,  // a check refused the set (format, frequency, channels, limits)
  kExitUsage = 2,    // the command line was wrong
  kExitIoError = 3,  // a file could not be opened, read or written
};

int ExitStatusFor(RunStatus status);

struct JoinOptions {
  std::vector<std::string> files;
  std::string output;  // empty: "Collected<N>_<earliest name>" beside the earliest
  bool orderGiven = false;
  std::string trace;  // empty: no trace log
  bool quiet = false;
};

struct CheckOptions {
  std::vector<std::string> files;
  std::string output;
  bool orderGiven = false;
  bool json = false;
};

struct InfoOptions {
  std::vector<std::string> files;
  bool json = false;
};

int RunJoin(const JoinOptions& options);
int RunCheck(const CheckOptions& options);
int RunInfo(const InfoOptions& options);

}  // namespace tvr::cli

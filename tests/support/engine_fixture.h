// A test fixture with a fresh directory, the fault platform over the real one, a trace
// log in that directory and an empty file table.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "merge/merge.h"
#include "recording/file_table.h"
#include "tests/support/fault_platform.h"
#include "tests/support/recording_writer.h"
#include "trace/trace_log.h"

namespace tvr::test {

class EngineTest : public ::testing::Test {
 protected:
  EngineTest()
      : platform(SystemPlatform()),
        tracePath(dir / "Trace"),
        trace(platform, tracePath.c_str()),
        table(std::make_unique<FileTable>()) {
    platform.SetLocalOffsetSeconds(3 * 3600);
    trace.Create();
  }

  // Writes a recording named `name` in the test directory and adds it to the table.
  std::string Add(const std::string& name, const RecordingLayout& layout) {
    const std::string path = dir / name;
    WriteRecording(path, layout);
    EXPECT_TRUE(table->Add(path.c_str()));
    return path;
  }
  std::string Add(const std::string& name, const RecordingLayout& layout, FileTime created) {
    const std::string path = Add(name, layout);
    SetCreationTime(path, created);
    return path;
  }

  std::string TraceText() {
    const auto bytes = ReadAll(tracePath);
    return std::string(bytes.begin(), bytes.end());
  }

  MergeContext Context(ProgressView* progress = nullptr) {
    return MergeContext{platform, trace, *table, progress, {}, {}};
  }

  TempDir dir;
  FaultPlatform platform;
  std::string tracePath;
  TraceLog trace;
  std::unique_ptr<FileTable> table;
};

// The line end the trace log has on this platform (text mode).
#ifdef _WIN32
inline constexpr char kEol[] = "\r\n";
#else
inline constexpr char kEol[] = "\n";
#endif

// Joins lines with the platform's text-mode line end, each line ended.
inline std::string Lines(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& line : lines) out += line + kEol;
  return out;
}

}  // namespace tvr::test

namespace tvr::test {

// Names a parameterised case after its `what`, so that a failure says which case it was.
struct CaseName {
  template <typename Param>
  std::string operator()(const ::testing::TestParamInfo<Param>& info) const {
    std::string name;
    bool upper = true;
    for (const char* p = info.param.what; *p != '\0'; ++p) {
      const char ch = *p;
      if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9')) {
        name += upper && ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        upper = false;
      } else {
        upper = true;
      }
    }
    return name;
  }
};

}  // namespace tvr::test

// A ProgressView for tests that records what the join showed.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace tvr::test {

class RecordingProgress : public ProgressView {
 public:
  bool Open() override {
    events.push_back("open");
    return true;
  }
  void AddFile(const char* path) override {
    files.emplace_back(path);
    events.push_back("file");
  }
  void SetPercent(int percent) override {
    percents.push_back(percent);
    if (events.empty() || events.back() != "percent") events.push_back("percent");
  }
  void Finish() override { events.push_back("finish"); }
  void WaitUntilClosed() override { events.push_back("wait"); }
  void Dismiss() override { events.push_back("dismiss"); }

  std::vector<std::string> events;  // consecutive percentages recorded as one event
  std::vector<std::string> files;
  std::vector<int> percents;
};

}  // namespace tvr::test

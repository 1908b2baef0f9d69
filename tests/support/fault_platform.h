// A Platform for tests: passes calls to a real one, records message boxes and pauses
// instead of showing or sleeping, and fails any chosen call.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tvr::test {

enum class Op {
  kOpenRead,
  kOpenWrite,
  kRead,
  kWrite,
  kSeek,
  kGetSize,
  kGetTime,
  kStamp,
  kClose,
  kRemove,
  kMove,
  kTempFile,
  kWriteText,
};

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

class FaultPlatform : public Platform {
 public:
  explicit FaultPlatform(Platform& real) : real_(real) {}

  // Fails the nth call (1-based) of `op` from now on counting.
  void FailNth(Op op, int n) { failAt_[op] = n; }
  // Fails every call of `op` whose path argument is `path` (opens, whole-file calls).
  void FailPath(Op op, const std::string& path) { failPaths_[op] = path; }
  int Calls(Op op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
  }
  // Local time as UTC plus this offset, instead of the machine's zone.
  void SetLocalOffsetSeconds(long long seconds) {
    fixedZone_ = true;
    localOffset_ = seconds;
  }

  std::vector<ShownMessage> messages;
  std::vector<unsigned> sleeps;

  FileHandle OpenForRead(const char* path) override;
  FileHandle OpenForWrite(const char* path) override;
  bool Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) override;
  bool Write(FileHandle file, const void* buffer, std::uint32_t size) override;
  bool Seek(FileHandle file, std::int64_t offset, SeekFrom from) override;
  bool GetSize(FileHandle file, std::uint64_t* size) override;
  bool GetCreationTime(FileHandle file, FileTime* creation) override;
  bool StampTimes(FileHandle file, FileTime creation, FileTime lastWrite) override;
  bool Close(FileHandle file) override;
  // CopyBytes is the portable read-then-write one, so that read and write faults reach it.
  bool RemoveFile(const char* path) override;
  bool MoveReplacing(const char* from, const char* to) override;
  bool CreateTempFile(const char* directory, char* path, std::size_t pathSize) override;
  bool SameFile(const char* a, const char* b) override { return real_.SameFile(a, b); }
  char PathSeparator() const override { return real_.PathSeparator(); }
  bool WriteText(const char* path, const char* text, bool truncate) override;
  FileTime ToLocalTime(FileTime utc) override;
  SystemTime ToSystemTime(FileTime time) override { return real_.ToSystemTime(time); }
  int CompareTimes(FileTime a, FileTime b) override { return real_.CompareTimes(a, b); }
  void Sleep(unsigned milliseconds) override { sleeps.push_back(milliseconds); }
  void ShowMessage(const char* text, const char* caption, unsigned style) override {
    messages.push_back({text, caption, style});
  }

 private:
  // Counts the call and says whether it is to fail.
  bool Fails(Op op, const char* path = nullptr);

  Platform& real_;
  std::map<Op, int> calls_;
  std::map<Op, int> failAt_;
  std::map<Op, std::string> failPaths_;
  bool fixedZone_ = false;
  long long localOffset_ = 0;
};

}  // namespace tvr::test

// Writing the joined recording: the earliest's header and whole frames, then the whole
// frames of every later recording in time order, into a temporary file that replaces the
// output only once it is complete.
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "merge/merge.h"
#include "recording/scan.h"

namespace tvr {

PercentCounter::PercentCounter(std::int64_t total)
    : total_(total), step_(total >= 10000 ? total / 100 : 0) {}

int PercentCounter::Percent(std::int64_t framesDone) const {
  if (total_ <= 0) return 100;
  const std::int64_t p = step_ > 0 ? framesDone / step_ : framesDone * 100 / total_;
  return p > 100 ? 100 : static_cast<int>(p);
}

std::int64_t PercentCounter::NextChange(std::int64_t framesDone, int last) const {
  if (Percent(framesDone + 1) != last) return framesDone + 1;
  if (last >= 100 || total_ <= 0) return std::numeric_limits<std::int64_t>::max();
  const std::int64_t target = last + 1;
  const std::int64_t next = step_ > 0 ? target * step_ : (target * total_ + 99) / 100;
  return next > framesDone ? next : framesDone + 1;
}

bool BuildOutputPath(const char* earliest, int fileCount, char separator, char* out,
                     std::size_t size) {
  const char* slash = std::strrchr(earliest, separator);
  const int dirLength = slash != nullptr ? static_cast<int>(slash - earliest) : 0;
  const char* name = slash != nullptr ? slash + 1 : earliest;
  int n;
  if (slash != nullptr) {
    n = std::snprintf(out, size, "%.*s%cCollected%d_%s", dirLength, earliest, separator, fileCount,
                      name);
  } else {
    n = std::snprintf(out, size, "Collected%d_%s", fileCount, name);
  }
  return n >= 0 && static_cast<std::size_t>(n) < size;
}

namespace {

// A megabyte a call: large enough that calls cost nothing beside the copying, small enough
// to stay in a core's cache between the read and the write (under Wine 4 MiB blocks ran at
// half the speed of 1 MiB ones).
constexpr std::uint32_t kCopyBufferSize = 1u << 20;

// The state of one join, so that every failure path releases the same things.
class Join {
 public:
  explicit Join(MergeContext& context) : c_(context), p_(context.platform), table_(context.table) {}

  RunStatus Run();

 private:
  RunStatus Fail(RunStatus status, const char* path);
  RunStatus AppendFrames(const FileEntry& entry);
  // Whole frames only, so that a block never splits a frame.
  std::uint32_t BlockBytes() const { return kCopyBufferSize / width_ * width_; }
  void Progress(int percent) {
    if (c_.progress != nullptr) c_.progress->SetPercent(percent);
  }

  MergeContext& c_;
  Platform& p_;
  FileTable& table_;
  char temp_[1100] = {};
  FileHandle out_ = kInvalidFile;
  FileHandle in_ = kInvalidFile;
  std::uint32_t width_ = 0;
  std::int64_t framesDone_ = 0;
  int lastPercent_ = 0;
  PercentCounter counter_{0};
  std::unique_ptr<unsigned char[]> buffer_;
};

RunStatus Join::Fail(RunStatus status, const char* path) {
  // Already failing: the user hears of the first fault, and a close or removal that fails
  // now has nothing left to protect (the temporary file is never the output).
  if (in_ != kInvalidFile) static_cast<void>(p_.Close(in_));
  if (out_ != kInvalidFile) static_cast<void>(p_.Close(out_));
  in_ = out_ = kInvalidFile;
  if (temp_[0] != '\0') static_cast<void>(p_.RemoveFile(temp_));
  ShowPathError(p_, status == RunStatus::kReadError ? kReadErrorText : kWriteErrorText, path);
  if (c_.progress != nullptr) c_.progress->Dismiss();
  return status;
}

RunStatus Join::AppendFrames(const FileEntry& entry) {
  in_ = p_.OpenForRead(entry.name);
  if (in_ == kInvalidFile) return Fail(RunStatus::kReadError, entry.name);
  std::uint64_t size = 0;
  if (!p_.GetSize(in_, &size) || !p_.Seek(in_, entry.dataOffset, SeekFrom::kBegin)) {
    return Fail(RunStatus::kReadError, entry.name);
  }
  // Frames as the file is now; a trailing partial frame is left out.
  std::int64_t remaining =
      size > entry.dataOffset ? static_cast<std::int64_t>((size - entry.dataOffset) / width_) : 0;
  const std::int64_t blockFrames = kCopyBufferSize / width_;
  while (remaining > 0) {
    // Stop at every frame where the percentage changes, so the view gets each value a
    // frame-by-frame copy would have sent it.
    std::int64_t frames = counter_.NextChange(framesDone_, lastPercent_) - framesDone_;
    if (frames > blockFrames) frames = blockFrames;
    if (frames > remaining) frames = remaining;
    const CopyResult copied = p_.CopyBytes(in_, out_, static_cast<std::uint64_t>(frames) * width_,
                                           buffer_.get(), BlockBytes());
    if (copied == CopyResult::kReadFailed) return Fail(RunStatus::kReadError, entry.name);
    if (copied == CopyResult::kWriteFailed) return Fail(RunStatus::kWriteError, c_.outputPath);
    framesDone_ += frames;
    remaining -= frames;
    const int percent = counter_.Percent(framesDone_);
    if (percent != lastPercent_) {
      lastPercent_ = percent;
      Progress(percent);
    }
  }
  const bool closed = p_.Close(in_);
  in_ = kInvalidFile;
  if (!closed) return Fail(RunStatus::kReadError, entry.name);
  return RunStatus::kDone;
}

RunStatus Join::Run() {
  const FileEntry& first = table_.entries[0];
  const char separator = p_.PathSeparator();
  width_ = static_cast<std::uint32_t>(first.channelCount) * kSampleBytes;
  counter_ = PercentCounter(c_.totals.nallsamp);
  framesDone_ = first.frameCount;
  lastPercent_ = 0;

  if (c_.progress != nullptr) {
    // A view that cannot be shown is no reason not to join; the view then ignores calls.
    static_cast<void>(c_.progress->Open());
    c_.progress->AddFile(first.name);
  }
  if (c_.outputOverride != nullptr) {
    const std::size_t length = std::strlen(c_.outputOverride);
    if (length >= sizeof c_.outputPath) return Fail(RunStatus::kWriteError, c_.outputOverride);
    std::memcpy(c_.outputPath, c_.outputOverride, length + 1);
  } else if (!BuildOutputPath(first.name, table_.count, separator, c_.outputPath,
                              sizeof c_.outputPath)) {
    return Fail(RunStatus::kWriteError, first.name);
  }
  c_.trace.TraceLine(first.name);
  c_.trace.TraceLine(c_.outputPath);

  // Writing over one of the recordings would destroy it before it is read.
  for (int i = 0; i < table_.count; ++i) {
    if (p_.SameFile(c_.outputPath, table_.entries[i].name)) {
      ShowPathError(p_, kOutputIsInputText, c_.outputPath);
      if (c_.progress != nullptr) c_.progress->Dismiss();
      return RunStatus::kOutputIsInput;
    }
  }

  char directory[1024];
  const char* slash = std::strrchr(c_.outputPath, separator);
  if (slash == nullptr) {
    std::snprintf(directory, sizeof directory, ".");
  } else {
    std::snprintf(directory, sizeof directory, "%.*s",
                  static_cast<int>(slash - c_.outputPath) + (slash == c_.outputPath ? 1 : 0),
                  c_.outputPath);
  }
  if (!p_.CreateTempFile(directory, temp_, sizeof temp_)) {
    temp_[0] = '\0';
    return Fail(RunStatus::kWriteError, c_.outputPath);
  }
  buffer_.reset(new (std::nothrow) unsigned char[kCopyBufferSize]);
  if (!buffer_) return Fail(RunStatus::kWriteError, c_.outputPath);

  // The earliest recording's header and whole frames, through the same block copy as the
  // later frames: a trailing partial frame stays behind, so every appended frame starts on a
  // frame boundary. (CopyFileA copies in 64 KiB steps, five times slower under Wine.)
  out_ = p_.OpenForWrite(temp_);
  if (out_ == kInvalidFile) return Fail(RunStatus::kWriteError, c_.outputPath);
  in_ = p_.OpenForRead(first.name);
  if (in_ == kInvalidFile) return Fail(RunStatus::kReadError, first.name);
  const std::uint64_t firstBytes =
      first.dataOffset + static_cast<std::uint64_t>(first.frameCount) * width_;
  const CopyResult copied = p_.CopyBytes(in_, out_, firstBytes, buffer_.get(), BlockBytes());
  if (copied == CopyResult::kReadFailed) return Fail(RunStatus::kReadError, first.name);
  if (copied == CopyResult::kWriteFailed) return Fail(RunStatus::kWriteError, c_.outputPath);
  const bool firstClosed = p_.Close(in_);
  in_ = kInvalidFile;
  if (!firstClosed) return Fail(RunStatus::kReadError, first.name);

  for (int i = 1; i < table_.count; ++i) {
    const FileEntry& entry = table_.entries[i];
    if (c_.progress != nullptr) c_.progress->AddFile(entry.name);
    const RunStatus status = AppendFrames(entry);
    if (status != RunStatus::kDone) return status;
  }
  // The last value shown is 100 even when no frame was appended.
  if (lastPercent_ != 100) {
    lastPercent_ = 100;
    Progress(100);
  }

  const bool closed = p_.Close(out_);
  out_ = kInvalidFile;
  if (!closed || !p_.MoveReplacing(temp_, c_.outputPath)) {
    return Fail(RunStatus::kWriteError, c_.outputPath);
  }
  temp_[0] = '\0';  // it is the output now

  // The joined recording carries the earliest's creation time as both its creation and
  // its last-write time.
  out_ = p_.OpenForWrite(c_.outputPath);
  if (out_ == kInvalidFile || !p_.StampTimes(out_, first.creationTime, first.creationTime)) {
    return Fail(RunStatus::kWriteError, c_.outputPath);
  }
  const bool stampedClosed = p_.Close(out_);
  out_ = kInvalidFile;
  if (!stampedClosed) return Fail(RunStatus::kWriteError, c_.outputPath);

  if (c_.progress != nullptr) {
    c_.progress->Finish();
    c_.progress->WaitUntilClosed();
  }
  return RunStatus::kDone;
}

}  // namespace

RunStatus Concatenate(MergeContext& context) { return Join(context).Run(); }

}  // namespace tvr

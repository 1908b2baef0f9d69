// The one interface between the portable engine and the operating system.
// The engine (recording/, merge/, trace/) reaches files, file times, sleeping and
// message boxes only through Platform, and the progress display only through ProgressView.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tvr {

// An open file; kInvalidFile matches INVALID_HANDLE_VALUE so that a Win32 handle fits as is.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kInvalidFile = -1;

// 100-ns ticks since 1601-01-01, as FILETIME counts them (UTC or local, as the caller says).
struct FileTime {
  std::uint64_t ticks = 0;
};

struct SystemTime {
  int year = 0;
  int month = 0;
  int dayOfWeek = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

// Message box styles, with the values the Win32 MessageBox takes.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbIconError = 0x10;

enum class SeekFrom { kBegin, kEnd };

enum class CopyResult { kOk, kReadFailed, kWriteFailed };

class Platform {
 public:
  virtual ~Platform() = default;

  // Files. Opens are exclusive (no sharing) and need an existing file.
  virtual FileHandle OpenForRead(const char* path) = 0;
  virtual FileHandle OpenForWrite(const char* path) = 0;
  // Reads up to `size` bytes; `*got` is what was delivered (0 at the end of the file).
  virtual bool Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) = 0;
  // Writes all `size` bytes or fails.
  virtual bool Write(FileHandle file, const void* buffer, std::uint32_t size) = 0;
  virtual bool Seek(FileHandle file, std::int64_t offset, SeekFrom from) = 0;
  virtual bool GetSize(FileHandle file, std::uint64_t* size) = 0;
  // The creation time as the file system reports it (UTC).
  virtual bool GetCreationTime(FileHandle file, FileTime* creation) = 0;
  // Sets the creation and last-write times, keeping the last-access time.
  virtual bool StampTimes(FileHandle file, FileTime creation, FileTime lastWrite) = 0;
  virtual bool Close(FileHandle file) = 0;

  // Copies `bytes` bytes from the current position of `from` to that of `to`, through
  // `buffer` where the platform has no faster path. A short source is a read failure:
  // nothing that was not read is ever written.
  virtual CopyResult CopyBytes(FileHandle from, FileHandle to, std::uint64_t bytes, void* buffer,
                               std::uint32_t bufferSize);

  // Whole files, by path.
  virtual bool RemoveFile(const char* path) = 0;
  // Moves `from` over `to`, replacing an existing `to`.
  virtual bool MoveReplacing(const char* from, const char* to) = 0;
  // Creates a new, empty, uniquely named file in `directory` and returns its path.
  virtual bool CreateTempFile(const char* directory, char* path, std::size_t pathSize) = 0;
  // True when both paths name one existing file, however spelled.
  virtual bool SameFile(const char* a, const char* b) = 0;
  // The character that separates a directory from a name in a path.
  virtual char PathSeparator() const = 0;

  // Text files in text mode (CRLF line ends where the platform has them); `truncate`
  // creates the file anew, otherwise the text is appended. Used by the trace log.
  virtual bool WriteText(const char* path, const char* text, bool truncate) = 0;

  // Times.
  virtual FileTime ToLocalTime(FileTime utc) = 0;
  virtual SystemTime ToSystemTime(FileTime time) = 0;
  // -1, 0 or 1, as CompareFileTime.
  virtual int CompareTimes(FileTime a, FileTime b) = 0;

  virtual void Sleep(unsigned milliseconds) = 0;

  // Texts and caption are Windows-1251; paths inside them are as the caller got them.
  virtual void ShowMessage(const char* text, const char* caption, unsigned style) = 0;
};

// The platform of the system the program was built for: Win32 on Windows, POSIX elsewhere.
Platform& SystemPlatform();

// What the user sees of a join while it runs.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows the view; false when it could not be shown (the join goes on without it).
  virtual bool Open() = 0;
  virtual void AddFile(const char* path) = 0;
  virtual void SetPercent(int percent) = 0;
  // The work is done: offer the user a way to close the view.
  virtual void Finish() = 0;
  // Waits until the user has closed the view; returns at once when it is not open.
  virtual void WaitUntilClosed() = 0;
  // Takes the view down without waiting for the user (after a failure).
  virtual void Dismiss() = 0;
};

}  // namespace tvr

// Platform for POSIX systems: file descriptors, statx birth times, copy_file_range.
#include "platform/posix_platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/text_file.h"

namespace tvr {

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

FileTime FromTimespec(std::int64_t seconds, std::int64_t nanoseconds) {
  return FileTime{static_cast<std::uint64_t>(seconds * static_cast<std::int64_t>(kTicksPerSecond) +
                                             nanoseconds / 100) +
                  kUnixEpochTicks};
}

timespec ToTimespec(FileTime t) {
  const std::int64_t unixTicks =
      static_cast<std::int64_t>(t.ticks) - static_cast<std::int64_t>(kUnixEpochTicks);
  std::int64_t seconds = unixTicks / static_cast<std::int64_t>(kTicksPerSecond);
  std::int64_t rest = unixTicks % static_cast<std::int64_t>(kTicksPerSecond);
  if (rest < 0) {
    rest += static_cast<std::int64_t>(kTicksPerSecond);
    --seconds;
  }
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(seconds);
  ts.tv_nsec = static_cast<long>(rest * 100);
  return ts;
}

}  // namespace

FileHandle PosixPlatform::OpenForRead(const char* path) {
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  return fd < 0 ? kInvalidFile : fd;
}

FileHandle PosixPlatform::OpenForWrite(const char* path) {
  const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
  return fd < 0 ? kInvalidFile : fd;
}

bool PosixPlatform::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) {
  *got = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (*got < size) {
    const ssize_t n = ::read(Fd(file), bytes + *got, size - *got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;
    *got += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool PosixPlatform::Write(FileHandle file, const void* buffer, std::uint32_t size) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  std::uint32_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(Fd(file), bytes + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::uint32_t>(n);
  }
  return true;
}

bool PosixPlatform::Seek(FileHandle file, std::int64_t offset, SeekFrom from) {
  return ::lseek(Fd(file), static_cast<off_t>(offset),
                 from == SeekFrom::kBegin ? SEEK_SET : SEEK_END) >= 0;
}

bool PosixPlatform::GetSize(FileHandle file, std::uint64_t* size) {
  struct stat st {};
  if (::fstat(Fd(file), &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool PosixPlatform::GetCreationTime(FileHandle file, FileTime* creation) {
  // The earlier of the birth time and the last-write time: a copy that keeps
  // modification times keeps its creation time too, as it does under Wine.
  struct statx st {};
  if (::statx(Fd(file), "", AT_EMPTY_PATH, STATX_BTIME | STATX_MTIME, &st) != 0) return false;
  FileTime written = FromTimespec(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
  if ((st.stx_mask & STATX_BTIME) != 0) {
    const FileTime born = FromTimespec(st.stx_btime.tv_sec, st.stx_btime.tv_nsec);
    if (born.ticks < written.ticks) written = born;
  }
  *creation = written;
  return true;
}

bool PosixPlatform::StampTimes(FileHandle file, FileTime /*creation*/, FileTime lastWrite) {
  // A creation time cannot be set here; an earlier last-write time stands for it.
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = ToTimespec(lastWrite);
  return ::futimens(Fd(file), times) == 0;
}

bool PosixPlatform::Close(FileHandle file) { return ::close(Fd(file)) == 0; }

CopyResult PosixPlatform::CopyBytes(FileHandle from, FileHandle to, std::uint64_t bytes,
                                    void* buffer, std::uint32_t bufferSize) {
  // The kernel copies without passing the data through user space where it can.
  while (bytes > 0) {
    const ssize_t n =
        ::copy_file_range(Fd(from), nullptr, Fd(to), nullptr,
                          static_cast<size_t>(bytes < (1u << 30) ? bytes : (1u << 30)), 0);
    if (n > 0) {
      bytes -= static_cast<std::uint64_t>(n);
      continue;
    }
    if (n == 0) return CopyResult::kReadFailed;  // the source ended early
    if (errno == EINTR) continue;
    break;  // not supported here, or a failure that the plain path will name
  }
  if (bytes == 0) return CopyResult::kOk;
  return Platform::CopyBytes(from, to, bytes, buffer, bufferSize);
}

bool PosixPlatform::RemoveFile(const char* path) { return ::unlink(path) == 0; }

bool PosixPlatform::MoveReplacing(const char* from, const char* to) {
  return ::rename(from, to) == 0;
}

bool PosixPlatform::CreateTempFile(const char* directory, char* path, std::size_t pathSize) {
  const int n = std::snprintf(path, pathSize, "%s/.tvrjoin-XXXXXX", directory);
  if (n < 0 || static_cast<std::size_t>(n) >= pathSize) return false;
  const int fd = ::mkstemp(path);
  if (fd < 0) return false;
  // mkstemp makes the file private (0600); the temporary file becomes the output, which
  // should get the permissions any new file gets (0666 less the umask).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const bool permitted = ::fchmod(fd, 0666 & ~mask) == 0;
  const bool closed = ::close(fd) == 0;
  if (!permitted || !closed) {
    ::unlink(path);
    return false;
  }
  return true;
}

bool PosixPlatform::SameFile(const char* a, const char* b) {
  struct stat sa {
  }, sb{};
  if (::stat(a, &sa) != 0 || ::stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool PosixPlatform::WriteText(const char* path, const char* text, bool truncate) {
  return WriteTextFile(path, text, truncate);
}

FileTime PosixPlatform::ToLocalTime(FileTime utc) {
  // Like FileTimeToLocalFileTime: the zone's offset now, for every time, so that local
  // times sort as the UTC times do.
  const time_t now = std::time(nullptr);
  struct tm local {};
  ::localtime_r(&now, &local);
  return FileTime{utc.ticks +
                  static_cast<std::uint64_t>(static_cast<std::int64_t>(local.tm_gmtoff) *
                                             static_cast<std::int64_t>(kTicksPerSecond))};
}

SystemTime PosixPlatform::ToSystemTime(FileTime time) { return TicksToSystemTime(time); }

int PosixPlatform::CompareTimes(FileTime a, FileTime b) {
  return a.ticks < b.ticks ? -1 : a.ticks > b.ticks ? 1 : 0;
}

void PosixPlatform::Sleep(unsigned milliseconds) {
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(milliseconds / 1000);
  ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

void PosixPlatform::ShowMessage(const char* text, const char* caption, unsigned /*style*/) {
  const std::string body = Cp1251ToUtf8(text);
  if (caption != nullptr && caption[0] != '\0') {
    std::fprintf(stderr, "%s: %s\n", Cp1251ToUtf8(caption).c_str(), body.c_str());
  } else {
    std::fprintf(stderr, "%s\n", body.c_str());
  }
}

Platform& SystemPlatform() {
  static PosixPlatform platform;
  return platform;
}

}  // namespace tvr

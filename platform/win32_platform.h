// The Platform on Windows: the Win32 calls the program has always made.
#pragma once

#include "platform/platform.h"

namespace tvr {

class Win32Platform : public Platform {
 public:
  FileHandle OpenForRead(const char* path) override;
  FileHandle OpenForWrite(const char* path) override;
  bool Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) override;
  bool Write(FileHandle file, const void* buffer, std::uint32_t size) override;
  bool Seek(FileHandle file, std::int64_t offset, SeekFrom from) override;
  bool GetSize(FileHandle file, std::uint64_t* size) override;
  bool GetCreationTime(FileHandle file, FileTime* creation) override;
  bool StampTimes(FileHandle file, FileTime creation, FileTime lastWrite) override;
  bool Close(FileHandle file) override;
  bool RemoveFile(const char* path) override;
  bool MoveReplacing(const char* from, const char* to) override;
  bool CreateTempFile(const char* directory, char* path, std::size_t pathSize) override;
  bool SameFile(const char* a, const char* b) override;
  char PathSeparator() const override { return '\\'; }
  bool WriteText(const char* path, const char* text, bool truncate) override;
  FileTime ToLocalTime(FileTime utc) override;
  SystemTime ToSystemTime(FileTime time) override;
  int CompareTimes(FileTime a, FileTime b) override;
  void Sleep(unsigned milliseconds) override;
  void ShowMessage(const char* text, const char* caption, unsigned style) override;
};

}  // namespace tvr

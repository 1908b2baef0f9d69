// The fault-injecting test platform.
#include "tests/support/fault_platform.h"

namespace tvr::test {

bool FaultPlatform::Fails(Op op, const char* path) {
  const int n = ++calls_[op];
  auto at = failAt_.find(op);
  if (at != failAt_.end() && at->second == n) return true;
  auto p = failPaths_.find(op);
  return path != nullptr && p != failPaths_.end() && p->second == path;
}

FileHandle FaultPlatform::OpenForRead(const char* path) {
  return Fails(Op::kOpenRead, path) ? kInvalidFile : real_.OpenForRead(path);
}
FileHandle FaultPlatform::OpenForWrite(const char* path) {
  return Fails(Op::kOpenWrite, path) ? kInvalidFile : real_.OpenForWrite(path);
}
bool FaultPlatform::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) {
  if (Fails(Op::kRead)) {
    *got = 0;
    return false;
  }
  return real_.Read(file, buffer, size, got);
}
bool FaultPlatform::Write(FileHandle file, const void* buffer, std::uint32_t size) {
  return !Fails(Op::kWrite) && real_.Write(file, buffer, size);
}
bool FaultPlatform::Seek(FileHandle file, std::int64_t offset, SeekFrom from) {
  return !Fails(Op::kSeek) && real_.Seek(file, offset, from);
}
bool FaultPlatform::GetSize(FileHandle file, std::uint64_t* size) {
  return !Fails(Op::kGetSize) && real_.GetSize(file, size);
}
bool FaultPlatform::GetCreationTime(FileHandle file, FileTime* creation) {
  return !Fails(Op::kGetTime) && real_.GetCreationTime(file, creation);
}
bool FaultPlatform::StampTimes(FileHandle file, FileTime creation, FileTime lastWrite) {
  return !Fails(Op::kStamp) && real_.StampTimes(file, creation, lastWrite);
}
bool FaultPlatform::Close(FileHandle file) {
  // The handle is released even when the close is reported as failed.
  const bool fail = Fails(Op::kClose);
  return real_.Close(file) && !fail;
}
bool FaultPlatform::RemoveFile(const char* path) {
  return !Fails(Op::kRemove, path) && real_.RemoveFile(path);
}
bool FaultPlatform::MoveReplacing(const char* from, const char* to) {
  return !Fails(Op::kMove, to) && real_.MoveReplacing(from, to);
}
bool FaultPlatform::CreateTempFile(const char* directory, char* path, std::size_t pathSize) {
  return !Fails(Op::kTempFile, directory) && real_.CreateTempFile(directory, path, pathSize);
}
bool FaultPlatform::WriteText(const char* path, const char* text, bool truncate) {
  return !Fails(Op::kWriteText, path) && real_.WriteText(path, text, truncate);
}
FileTime FaultPlatform::ToLocalTime(FileTime utc) {
  if (!fixedZone_) return real_.ToLocalTime(utc);
  return FileTime{utc.ticks + static_cast<std::uint64_t>(localOffset_ * 10000000LL)};
}

}  // namespace tvr::test

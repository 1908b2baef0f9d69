// The portable default for Platform::CopyBytes: whole buffers read, then written.
#include "platform/platform.h"

namespace tvr {

CopyResult Platform::CopyBytes(FileHandle from, FileHandle to, std::uint64_t bytes, void* buffer,
                               std::uint32_t bufferSize) {
  while (bytes > 0) {
    const std::uint32_t want = bytes < bufferSize ? static_cast<std::uint32_t>(bytes) : bufferSize;
    std::uint32_t got = 0;
    if (!Read(from, buffer, want, &got) || got != want) return CopyResult::kReadFailed;
    if (!Write(to, buffer, want)) return CopyResult::kWriteFailed;
    bytes -= want;
  }
  return CopyResult::kOk;
}

}  // namespace tvr

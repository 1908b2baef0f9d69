// The layout of a recording ("*.tvr"): six header blocks, then frames of 4-byte samples.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tvr {

inline constexpr char kSignature[] = "TESVARFFS";
inline constexpr int kSignatureLength = 9;
inline constexpr int kMaxChannels = 256;
inline constexpr int kSampleBytes = 4;

inline constexpr std::uint32_t kSignatureBlockSize = 32;
inline constexpr std::uint32_t kAcquisitionBlockSize = 52;
inline constexpr std::uint32_t kRangeBlockSize = 52;
inline constexpr std::uint32_t kChannelPrefixSize = 32;
inline constexpr std::uint32_t kChannelRecordSize = 20;
inline constexpr std::uint32_t kOffsetBlockSize = 40;
inline constexpr std::uint32_t kTailBlockSize = 32;

// File offsets of the fields, for readers and for the code that writes test recordings.
inline constexpr std::uint32_t kAcquisitionMaskOffset = 64;
inline constexpr std::uint32_t kChannelWordOffset = 68;
inline constexpr std::uint32_t kFreqOffset = 72;
inline constexpr std::uint32_t kTypeOffset = 80;
inline constexpr std::uint32_t kLowerOffset = 81;
inline constexpr std::uint32_t kNbitsOffset = 82;
inline constexpr std::uint32_t kRangeMaskOffset = 116;
inline constexpr std::uint32_t kMinRangeOffset = 120;
inline constexpr std::uint32_t kMaxRangeOffset = 128;
inline constexpr std::uint32_t kChannelRecordsOffset = 168;

// Where the sample data starts for `nch` channels: the end of the six blocks.
constexpr std::uint32_t HeaderSize(int nch) {
  return 240 + kChannelRecordSize * static_cast<std::uint32_t>(nch);
}
constexpr std::uint32_t OffsetFieldOffset(int nch) {
  return kChannelRecordsOffset + kChannelRecordSize * static_cast<std::uint32_t>(nch) + 32;
}

struct ChannelRecord {
  std::int32_t number = 0;
  double minrange = 0;
  double maxrange = 0;
};

// Every interpreted header field. `channelWord` is kept whole; `nch` is its low 9 bits.
struct RecordingHeader {
  std::uint32_t mask = 0;
  std::uint32_t channelWord = 0;
  int nch = 0;
  std::int16_t ndev = 0;
  double freq = 0;
  std::int8_t type = 0;
  std::int8_t lower = 0;
  std::int8_t nbits = 0;
  std::uint32_t rangeMask = 0;
  double minrange = 0;
  double maxrange = 0;
  ChannelRecord channels[kMaxChannels] = {};
  std::uint32_t off = 0;
  std::uint32_t headerBytes = 0;  // bytes read, which is where the data starts
};

enum class HeaderStatus {
  kOk,
  kBadSignature,     // no "TESVARFFS" at the start
  kTruncated,        // the file ends inside its header
  kBadChannelCount,  // 0 or more than kMaxChannels channels
  kReadError,        // the platform failed a read
};

// How far a header read got, so that a caller can report what was complete.
enum class HeaderStage { kNone, kAcquisition, kRange, kChannels, kOffset, kTail };

// Reads the header block by block from the start of `file` (already at offset 0).
// `stage` says which blocks were read whole before the status was decided.
HeaderStatus ReadRecordingHeader(Platform& platform, FileHandle file, RecordingHeader* header,
                                 HeaderStage* stage);

// Little-endian field access, shared by the reader and the test recording writer.
std::uint32_t LoadU32(const unsigned char* p);
double LoadDouble(const unsigned char* p);
void StoreU32(unsigned char* p, std::uint32_t v);
void StoreDouble(unsigned char* p, double v);

}  // namespace tvr

// Reads a recording's header the way the acquisition system laid it out.
#include "recording/format.h"

#include <cstring>

namespace tvr {

std::uint32_t LoadU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

double LoadDouble(const unsigned char* p) {
  const std::uint64_t bits = LoadU32(p) | static_cast<std::uint64_t>(LoadU32(p + 4)) << 32;
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

void StoreU32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

void StoreDouble(unsigned char* p, double v) {
  std::uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  StoreU32(p, static_cast<std::uint32_t>(bits));
  StoreU32(p + 4, static_cast<std::uint32_t>(bits >> 32));
}

namespace {

// One block read; a short block means the file ended inside the header.
HeaderStatus ReadBlock(Platform& platform, FileHandle file, unsigned char* buffer,
                       std::uint32_t size, std::uint32_t* total) {
  std::uint32_t got = 0;
  if (!platform.Read(file, buffer, size, &got)) return HeaderStatus::kReadError;
  *total += got;
  return got == size ? HeaderStatus::kOk : HeaderStatus::kTruncated;
}

}  // namespace

HeaderStatus ReadRecordingHeader(Platform& platform, FileHandle file, RecordingHeader* header,
                                 HeaderStage* stage) {
  unsigned char block[kAcquisitionBlockSize];
  std::uint32_t total = 0;
  *stage = HeaderStage::kNone;
  header->headerBytes = 0;

  HeaderStatus status = ReadBlock(platform, file, block, kSignatureBlockSize, &total);
  if (status == HeaderStatus::kReadError) return status;
  // A file shorter than the signature, or one that ends within this block, is not a
  // recording we can read.
  if (total < static_cast<std::uint32_t>(kSignatureLength) ||
      std::strncmp(reinterpret_cast<const char*>(block), kSignature, kSignatureLength) != 0) {
    return HeaderStatus::kBadSignature;
  }
  if (status != HeaderStatus::kOk) return status;

  status = ReadBlock(platform, file, block, kAcquisitionBlockSize, &total);
  if (status != HeaderStatus::kOk) return status;
  header->mask = LoadU32(block + 32);
  header->channelWord = LoadU32(block + 36);
  header->nch = static_cast<int>(header->channelWord & 0x1FF);
  header->ndev = static_cast<std::int16_t>(header->channelWord >> 16);
  header->freq = LoadDouble(block + 40);
  header->type = static_cast<std::int8_t>(block[48]);
  header->lower = static_cast<std::int8_t>(block[49]);
  header->nbits = static_cast<std::int8_t>(block[50]);
  *stage = HeaderStage::kAcquisition;
  if (header->nch < 1 || header->nch > kMaxChannels) return HeaderStatus::kBadChannelCount;

  status = ReadBlock(platform, file, block, kRangeBlockSize, &total);
  if (status != HeaderStatus::kOk) return status;
  header->rangeMask = LoadU32(block + 32);
  header->minrange = LoadDouble(block + 36);
  header->maxrange = LoadDouble(block + 44);
  *stage = HeaderStage::kRange;

  status = ReadBlock(platform, file, block, kChannelPrefixSize, &total);
  if (status != HeaderStatus::kOk) return status;
  for (int i = 0; i < header->nch; ++i) {
    status = ReadBlock(platform, file, block, kChannelRecordSize, &total);
    if (status != HeaderStatus::kOk) return status;
    ChannelRecord& record = header->channels[i];
    record.number = static_cast<std::int32_t>(LoadU32(block));
    record.minrange = LoadDouble(block + 4);
    record.maxrange = LoadDouble(block + 12);
  }
  *stage = HeaderStage::kChannels;

  status = ReadBlock(platform, file, block, kOffsetBlockSize, &total);
  if (status != HeaderStatus::kOk) return status;
  header->off = LoadU32(block + 32);
  *stage = HeaderStage::kOffset;

  status = ReadBlock(platform, file, block, kTailBlockSize, &total);
  if (status != HeaderStatus::kOk) return status;
  *stage = HeaderStage::kTail;
  header->headerBytes = total;
  return HeaderStatus::kOk;
}

}  // namespace tvr

// The header scan, with its trace lines in the order the log has always had them.
#include "recording/scan.h"

#include <cinttypes>
#include <cstdio>

namespace tvr {

void ShowPathError(Platform& platform, const char* format, const char* path) {
  char text[1100];
  std::snprintf(text, sizeof text, format, path);
  platform.ShowMessage(text, kErrorCaption, kMbIconError);
}

namespace {

// Hexadecimal of a signed byte as the log has it: sign-extended to 32 bits (0x80 -> ffffff80).
unsigned Hex8(std::int8_t v) { return static_cast<unsigned>(static_cast<int>(v)); }

// Traces the header lines of the blocks that were read whole.
void TraceHeader(TraceLog& trace, const RecordingHeader& h, HeaderStage stage) {
  char line[1024];
  if (stage >= HeaderStage::kAcquisition) {
    std::snprintf(line, sizeof line, "mask=%08x nch=%d ndev=%d freq=%lg type=%x lower=%x nbits=%x",
                  h.mask, h.nch, static_cast<int>(h.ndev), h.freq, Hex8(h.type), Hex8(h.lower),
                  Hex8(h.nbits));
    trace.TraceLine(line);
    std::snprintf(line, sizeof line, "Число каналов в файле равно %d", h.nch);
    trace.TraceLine(line);
  }
  if (stage >= HeaderStage::kRange) {
    std::snprintf(line, sizeof line, "mask=%08x minrange=%lg maxrange=%lg", h.rangeMask, h.minrange,
                  h.maxrange);
    trace.TraceLine(line);
  }
  if (stage >= HeaderStage::kChannels) {
    const ChannelRecord& last = h.channels[h.nch - 1];
    std::snprintf(line, sizeof line, "nch=%d minrange=%lg maxrange=%lg", last.number, last.minrange,
                  last.maxrange);
    trace.TraceLine(line);
  }
  if (stage >= HeaderStage::kOffset) {
    std::snprintf(line, sizeof line, "off=%u", h.off);
    trace.TraceLine(line);
  }
}

RunStatus ScanOne(Platform& platform, TraceLog& trace, FileEntry& entry, FileHandle file,
                  ScanTotals* totals) {
  RecordingHeader& header = totals->lastHeader;
  HeaderStage stage = HeaderStage::kNone;
  const HeaderStatus status = ReadRecordingHeader(platform, file, &header, &stage);
  TraceHeader(trace, header, stage);
  switch (status) {
    case HeaderStatus::kOk:
      break;
    case HeaderStatus::kBadSignature:
    case HeaderStatus::kTruncated:
      platform.ShowMessage(kWrongFormatText, "", kMbOk);
      return RunStatus::kBadFormat;
    case HeaderStatus::kBadChannelCount: {
      char text[1100];
      std::snprintf(text, sizeof text, kBadChannelCountText, header.nch, entry.name);
      platform.ShowMessage(text, kErrorCaption, kMbIconError);
      return RunStatus::kBadChannelCount;
    }
    case HeaderStatus::kReadError:
      ShowPathError(platform, kReadErrorText, entry.name);
      return RunStatus::kReadError;
  }
  entry.channelCount = header.nch;
  entry.frequency = static_cast<float>(header.freq);
  totals->channelCount = header.nch;

  std::uint64_t size = 0;
  FileTime creation;
  if (!platform.GetSize(file, &size) || !platform.GetCreationTime(file, &creation)) {
    ShowPathError(platform, kReadErrorText, entry.name);
    return RunStatus::kReadError;
  }
  char line[1024];
  std::snprintf(line, sizeof line, "Размер файла=%" PRIu64 " Смещение начала данных=%u", size,
                header.headerBytes);
  trace.TraceLine(line);

  entry.dataOffset = header.headerBytes;
  entry.dataSize = static_cast<std::int64_t>(size - header.headerBytes);
  entry.frameCount = entry.dataSize / (static_cast<std::int64_t>(header.nch) * kSampleBytes);
  totals->nallsamp += entry.frameCount;
  entry.creationTime = creation;
  entry.localCreationTime = platform.ToLocalTime(creation);
  return RunStatus::kDone;
}

}  // namespace

RunStatus ScanRecordings(Platform& platform, TraceLog& trace, FileTable& table,
                         ScanTotals* totals) {
  totals->nallsamp = 0;
  totals->failedIndex = -1;
  for (int i = 0; i < table.count; ++i) {
    FileEntry& entry = table.entries[i];
    const FileHandle file = platform.OpenForRead(entry.name);
    // The path goes to the log before the open is judged, so a log that ends with a path
    // names the file that stopped the run.
    trace.TraceLine(entry.name);
    if (file == kInvalidFile) {
      totals->failedIndex = i;
      return RunStatus::kOpenFailed;
    }
    const RunStatus status = ScanOne(platform, trace, entry, file, totals);
    // Opened for reading only: a failed close loses nothing.
    static_cast<void>(platform.Close(file));
    if (status != RunStatus::kDone) {
      totals->failedIndex = i;
      return status;
    }
  }
  std::snprintf(trace.text(), TraceLog::kTextBufferSize, "%s=%lld(%llx)", "nallsamp",
                static_cast<long long>(totals->nallsamp),
                static_cast<unsigned long long>(totals->nallsamp));
  trace.TraceLine(trace.text());
  return RunStatus::kDone;
}

}  // namespace tvr

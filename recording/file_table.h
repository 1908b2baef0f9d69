// The table of selected recordings that every stage of a run works on.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "recording/format.h"

namespace tvr {

struct FileEntry {
  char name[512] = {};            // full path, zero-terminated
  FileTime localCreationTime;     // creation time in local time: the sort key
  FileTime creationTime;          // creation time as the file system reports it (UTC)
  float frequency = 0;            // `freq` rounded to single precision
  std::int32_t channelCount = 0;  // `nch`
  std::int64_t frameCount = 0;    // whole frames in the data region
  std::uint32_t dataOffset = 0;   // header bytes read: where the data begins
  std::int64_t dataSize = 0;      // file size less dataOffset
};

// What the user is told of a selection the table cannot take (Windows-1251).
inline constexpr char kTooFewFilesText[] = "Выберите не менее 2х файлов для объединения";
inline constexpr char kTooManyFilesText[] = "Выберите не более 256 файлов для объединения";

struct FileTable {
  static constexpr int kCapacity = 256;
  FileEntry entries[kCapacity];
  std::int32_t count = 0;

  // Appends a path; false when the table is full or the path does not fit `name`.
  bool Add(const char* path);
};

// Everything a run outcome can be. Every stage reports one of these.
enum class RunStatus {
  kDone,
  kOpenFailed,       // a recording could not be opened: the run ends quietly
  kBadFormat,        // no signature, or the file ends inside its header
  kBadChannelCount,  // 0 or more than 256 channels
  kFrequencyMismatch,
  kChannelMismatch,
  kOutputIsInput,  // the output would overwrite one of the recordings
  kReadError,
  kWriteError,
};

// What the scan keeps for the whole run besides the table.
struct ScanTotals {
  std::int64_t nallsamp = 0;   // frames of all recordings
  int channelCount = 0;        // of the recording scanned last: the frame width
  int failedIndex = -1;        // the record the scan stopped at, if it stopped
  RecordingHeader lastHeader;  // of the recording scanned last
};

}  // namespace tvr

// Writes recordings for tests, benchmarks and demos: any channel count, frequency, frame
// count, trailing bytes, header field, signature or creation time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tvr::test {

struct RecordingLayout {
  int channels = 2;                    // the low 9 bits of the channel word
  std::uint32_t channelWordExtra = 0;  // ORed into the channel word (bits 9 to 31)
  double freq = 250.0;
  std::int64_t frames = 0;
  int trailingBytes = 0;  // a partial frame after the last whole one
  std::uint32_t mask = 0x000000ff;
  std::uint32_t rangeMask = 0x00000001;
  std::int8_t type = 1;
  std::int8_t lower = 0;
  std::int8_t nbits = 24;
  double minrange = -10.0;
  double maxrange = 10.0;
  std::uint32_t off = 0;  // 0 writes the true header size
  std::string signature = "TESVARFFS";
  std::int64_t truncateAt = -1;  // cut the whole file to this many bytes
  unsigned seed = 1;             // varies the sample bytes between recordings
  bool sparseData = false;       // leave the data region a hole (huge files)
};

std::vector<unsigned char> HeaderBytes(const RecordingLayout& layout);
// The byte at `index` of the data region of a recording written with `seed`.
unsigned char SampleByte(unsigned seed, std::uint64_t index);
void WriteRecording(const std::filesystem::path& path, const RecordingLayout& layout);

// Makes the file's creation time, as the program reads it, `utc`: its last-write time is
// set, which both Wine and the POSIX platform report when it is the earlier time.
void SetCreationTime(const std::filesystem::path& path, FileTime utc);
FileTime MakeTime(int year, int month, int day, int hour, int minute, int second);

std::vector<unsigned char> ReadAll(const std::filesystem::path& path);

// The model of a join, from the inputs as they are on disk (in time order): the earliest's
// header and whole frames, then each later recording's whole frames, without its header.
std::vector<unsigned char> ExpectedJoin(const std::vector<std::string>& inTimeOrder, int channels);

// A fresh, empty directory for one test, removed when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside, as the platform spells paths.
  std::string operator/(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace tvr::test

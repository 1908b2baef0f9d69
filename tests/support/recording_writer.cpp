// The test recording writer.
#include "tests/support/recording_writer.h"

#include <chrono>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/text_file.h"
#include "recording/format.h"

namespace tvr::test {

std::vector<unsigned char> HeaderBytes(const RecordingLayout& layout) {
  const int nch = layout.channels & 0x1FF;
  std::vector<unsigned char> h(HeaderSize(nch), 0);
  // Uninterpreted prefixes get bytes of their own, so a reader that takes a field from
  // the wrong place sees garbage.
  for (std::size_t i = 0; i < h.size(); ++i) h[i] = static_cast<unsigned char>(0xA0 + i % 31);
  for (std::size_t i = 0; i < h.size() && i < 32; ++i) h[i] = 0;
  for (std::size_t i = 0; i < layout.signature.size() && i < 32; ++i) {
    h[i] = static_cast<unsigned char>(layout.signature[i]);
  }
  StoreU32(&h[kAcquisitionMaskOffset], layout.mask);
  StoreU32(&h[kChannelWordOffset], static_cast<std::uint32_t>(nch) | layout.channelWordExtra);
  StoreDouble(&h[kFreqOffset], layout.freq);
  h[kTypeOffset] = static_cast<unsigned char>(layout.type);
  h[kLowerOffset] = static_cast<unsigned char>(layout.lower);
  h[kNbitsOffset] = static_cast<unsigned char>(layout.nbits);
  StoreU32(&h[kRangeMaskOffset], layout.rangeMask);
  StoreDouble(&h[kMinRangeOffset], layout.minrange);
  StoreDouble(&h[kMaxRangeOffset], layout.maxrange);
  for (int i = 0; i < nch; ++i) {
    unsigned char* record =
        &h[kChannelRecordsOffset + kChannelRecordSize * static_cast<unsigned>(i)];
    StoreU32(record, static_cast<std::uint32_t>(i + 1));
    StoreDouble(record + 4, layout.minrange * (i + 1));
    StoreDouble(record + 12, layout.maxrange * (i + 1));
  }
  StoreU32(&h[OffsetFieldOffset(nch)], layout.off != 0 ? layout.off : HeaderSize(nch));
  return h;
}

unsigned char SampleByte(unsigned seed, std::uint64_t index) {
  std::uint64_t x = (index + 1) * 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(seed) << 40);
  x ^= x >> 29;
  return static_cast<unsigned char>(x);
}

void WriteRecording(const std::filesystem::path& path, const RecordingLayout& layout) {
  std::vector<unsigned char> bytes = HeaderBytes(layout);
  const std::uint64_t width = static_cast<std::uint64_t>(layout.channels & 0x1FF) * 4;
  const std::uint64_t dataBytes = static_cast<std::uint64_t>(layout.frames) * width +
                                  static_cast<std::uint64_t>(layout.trailingBytes);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!layout.sparseData) {
      const std::size_t headerSize = bytes.size();
      bytes.resize(headerSize + dataBytes);
      for (std::uint64_t i = 0; i < dataBytes; ++i)
        bytes[headerSize + i] = SampleByte(layout.seed, i);
    }
    std::size_t keep = bytes.size();
    if (layout.truncateAt >= 0 && static_cast<std::size_t>(layout.truncateAt) < keep) {
      keep = static_cast<std::size_t>(layout.truncateAt);
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(keep));
    if (!out) throw std::runtime_error("cannot write " + path.string());
  }
  if (layout.sparseData) std::filesystem::resize_file(path, HeaderBytes(layout).size() + dataBytes);
}

void SetCreationTime(const std::filesystem::path& path, FileTime utc) {
  using namespace std::chrono;
  const auto sinceUnix = duration<std::int64_t, std::ratio<1, 10000000>>(
      static_cast<std::int64_t>(utc.ticks) - static_cast<std::int64_t>(kUnixEpochTicks));
  const sys_time<nanoseconds> sys{duration_cast<nanoseconds>(sinceUnix)};
  std::filesystem::last_write_time(path, file_clock::from_sys(sys));
}

FileTime MakeTime(int year, int month, int day, int hour, int minute, int second) {
  SystemTime t;
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = hour;
  t.minute = minute;
  t.second = second;
  return SystemTimeToTicks(t);
}

std::vector<unsigned char> ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

std::vector<unsigned char> ExpectedJoin(const std::vector<std::string>& inTimeOrder, int channels) {
  const std::size_t width = static_cast<std::size_t>(channels) * kSampleBytes;
  const std::size_t header = HeaderSize(channels);
  std::vector<unsigned char> out;
  for (std::size_t i = 0; i < inTimeOrder.size(); ++i) {
    const auto bytes = ReadAll(inTimeOrder[i]);
    const std::size_t end = header + (bytes.size() - header) / width * width;
    out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(i == 0 ? 0 : header),
               bytes.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return out;
}

TempDir::TempDir() {
  static std::mt19937_64 random{std::random_device{}()};
  for (;;) {
    path_ = std::filesystem::temp_directory_path() /
            ("tvrtest-" + std::to_string(random() % 1000000000ull));
    if (std::filesystem::create_directory(path_)) break;
  }
  // The platform's own spelling of the path, for names handed to the engine.
  path_ = std::filesystem::canonical(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::operator/(const std::string& name) const { return (path_ / name).string(); }

}  // namespace tvr::test

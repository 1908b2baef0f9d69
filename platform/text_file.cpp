// Shared helpers of the platform implementations.
#include "platform/text_file.h"

#include <cstdio>

namespace tvr {

bool WriteTextFile(const char* path, const char* text, bool truncate) {
  std::FILE* file = std::fopen(path, truncate ? "wt" : "at");
  if (file == nullptr) return false;
  const bool written = std::fputs(text, file) >= 0;
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

namespace {

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int* year, int* month, int* day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  *year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
  *month = static_cast<int>(m);
  *day = static_cast<int>(d);
}

}  // namespace

SystemTime TicksToSystemTime(FileTime time) {
  const std::uint64_t totalSeconds = time.ticks / kTicksPerSecond;
  const std::int64_t days = static_cast<std::int64_t>(totalSeconds / 86400) -
                            static_cast<std::int64_t>(kUnixEpochTicks / kTicksPerSecond / 86400);
  const std::uint64_t secondOfDay = totalSeconds % 86400;
  SystemTime t;
  CivilFromDays(days, &t.year, &t.month, &t.day);
  // 1970-01-01 was a Thursday.
  t.dayOfWeek = static_cast<int>(((days % 7) + 11) % 7);
  t.hour = static_cast<int>(secondOfDay / 3600);
  t.minute = static_cast<int>(secondOfDay / 60 % 60);
  t.second = static_cast<int>(secondOfDay % 60);
  t.milliseconds = static_cast<int>(time.ticks % kTicksPerSecond / 10000);
  return t;
}

FileTime SystemTimeToTicks(const SystemTime& t) {
  const std::int64_t days =
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) +
      static_cast<std::int64_t>(kUnixEpochTicks / kTicksPerSecond / 86400);
  const std::int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  return FileTime{static_cast<std::uint64_t>(seconds) * kTicksPerSecond +
                  static_cast<std::uint64_t>(t.milliseconds) * 10000};
}

std::string Cp1251ToUtf8(const char* text) {
  // Windows-1251 0x80..0xBF; 0xC0..0xFF are А..я (U+0410..U+044F).
  static const char16_t kHigh[64] = {
      0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
      0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
      0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
      0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
      0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    const unsigned char c = *p;
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++p;
      continue;
    }
    // A well-formed UTF-8 sequence of 2 to 4 bytes passes through unchanged.
    const int length = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    bool utf8 = length > 0 && c >= 0xC2;
    for (int i = 1; utf8 && i < length; ++i) utf8 = (p[i] & 0xC0) == 0x80;
    if (utf8) {
      out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
      p += length;
      continue;
    }
    const char32_t u = c >= 0xC0 ? static_cast<char32_t>(0x0410 + (c - 0xC0)) : kHigh[c - 0x80];
    if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
    ++p;
  }
  return out;
}

}  // namespace tvr

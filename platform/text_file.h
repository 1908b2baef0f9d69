// Helpers both platform implementations share: stdio text files, FILETIME arithmetic,
// and Windows-1251 text for terminals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tvr {

// Opens `path` with the C library in text mode ("wt" or "at"), writes `text`, closes it.
bool WriteTextFile(const char* path, const char* text, bool truncate);

// Ticks between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;
inline constexpr std::uint64_t kTicksPerSecond = 10000000ull;

// FILETIME ticks <-> calendar fields, as FileTimeToSystemTime and SystemTimeToFileTime do.
SystemTime TicksToSystemTime(FileTime time);
FileTime SystemTimeToTicks(const SystemTime& time);

// Converts text to UTF-8: valid UTF-8 sequences (paths on Linux) stay as they are, every
// other byte is read as Windows-1251 (the program's own texts).
std::string Cp1251ToUtf8(const char* text);

}  // namespace tvr

// The header scan: reads every recording in the table and records what the join needs.
#pragma once

#include "platform/platform.h"
#include "recording/file_table.h"
#include "trace/trace_log.h"

namespace tvr {

// The user-facing texts of the scan (Windows-1251).
inline constexpr char kWrongFormatText[] = "Неправильный формат файла";
inline constexpr char kBadChannelCountText[] = "Неподдерживаемое число каналов (%d) в файле\n%s";
inline constexpr char kReadErrorText[] = "Ошибка чтения файла\n%s";
inline constexpr char kWriteErrorText[] = "Ошибка записи файла\n%s";
inline constexpr char kErrorCaption[] = "Ошибка";

// Shows "text\n<path>"-style messages with the error caption and icon.
void ShowPathError(Platform& platform, const char* format, const char* path);

// Scans the table in order, index 0 first, tracing each step. Stops at the first
// recording that cannot be used, after telling the user why (except for a file that
// cannot be opened, which ends the run quietly).
RunStatus ScanRecordings(Platform& platform, TraceLog& trace, FileTable& table, ScanTotals* totals);

}  // namespace tvr

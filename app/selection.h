// The open-file dialog's selection list turned into the file table, and the text the
// dialog's file name box starts with. Portable, so that it is tested on every build.
#pragma once

#include <cstddef>

#include "recording/file_table.h"

namespace tvr {

inline constexpr char kSelectTitle[] = "Выбор файлов для склейки";
// The filter pairs of the dialog, each zero-terminated, the list ended by an empty string.
inline constexpr char kSelectFilter[] = "Файлы данных Tesvar(*.tvr)\0*.tvr\0";
inline constexpr char kSelectPattern[] = "\\*.tvr";
inline constexpr char kPathTooLongText[] =
    "Путь к файлу длиннее 511 символов, такой файл не может быть объединён\n%s";

enum class SelectionStatus {
  kOk,           // every selected path is in the table
  kTooMany,      // more than the table holds: nothing was added
  kPathTooLong,  // a path does not fit FileEntry::name: nothing was added
};

struct SelectionResult {
  SelectionStatus status = SelectionStatus::kOk;
  // For kPathTooLong: the directory and the name that made the long path (the name
  // empty when the selection was one full path).
  const char* directory = nullptr;
  const char* name = nullptr;
};

// Parses the list the dialog returns: the directory, then each file name, each
// zero-terminated, then an empty string; or one full path followed by the empty string.
// Adds each path, directory + separator + name, to `table` in the order listed.
SelectionResult ParseSelection(const char* list, char separator, FileTable& table);

// Joins a directory and a name with one separator (none is added after a directory that
// already ends with one, such as a drive root). False when it does not fit `size`.
bool JoinPath(const char* directory, const char* name, char separator, char* out, std::size_t size);

// The dialog's initial file name: the current directory followed by `pattern`, with a
// drive root such as "C:\" cut to "C:" so that the pattern's own backslash is the only one.
// False when it does not fit `size`.
bool InitialFileName(const char* currentDirectory, const char* pattern, char* out,
                     std::size_t size);

}  // namespace tvr

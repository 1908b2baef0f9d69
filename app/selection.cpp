// Parsing the open-file dialog's selection list into the file table.
#include "app/selection.h"

#include <cstdio>
#include <cstring>

namespace tvr {

bool JoinPath(const char* directory, const char* name, char separator, char* out,
              std::size_t size) {
  const std::size_t length = std::strlen(directory);
  const bool hasSeparator = length > 0 && directory[length - 1] == separator;
  const int n = hasSeparator ? std::snprintf(out, size, "%s%s", directory, name)
                             : std::snprintf(out, size, "%s%c%s", directory, separator, name);
  return n >= 0 && static_cast<std::size_t>(n) < size;
}

SelectionResult ParseSelection(const char* list, char separator, FileTable& table) {
  SelectionResult result;
  const char* directory = list;
  const char* first = directory + std::strlen(directory) + 1;

  // One full path: the dialog's answer to a single selection.
  if (*first == '\0') {
    if (*directory == '\0') return result;  // nothing selected at all
    if (!table.Add(directory)) {
      result.status = SelectionStatus::kPathTooLong;
      result.directory = directory;
      result.name = "";
    }
    return result;
  }

  // Check the whole list before taking any of it, so that a refusal leaves the table empty.
  int count = 0;
  char path[sizeof(FileEntry::name)];
  for (const char* name = first; *name != '\0'; name += std::strlen(name) + 1) {
    ++count;
    if (!JoinPath(directory, name, separator, path, sizeof path) && result.name == nullptr) {
      result.directory = directory;
      result.name = name;
    }
  }
  if (table.count + count > FileTable::kCapacity) {
    result = SelectionResult{SelectionStatus::kTooMany, nullptr, nullptr};
    return result;
  }
  if (result.name != nullptr) {
    result.status = SelectionStatus::kPathTooLong;
    return result;
  }
  for (const char* name = first; *name != '\0'; name += std::strlen(name) + 1) {
    JoinPath(directory, name, separator, path, sizeof path);  // fits: checked above
    table.Add(path);
  }
  return result;
}

bool InitialFileName(const char* currentDirectory, const char* pattern, char* out,
                     std::size_t size) {
  std::size_t length = std::strlen(currentDirectory);
  if (length == 3 && currentDirectory[2] == '\\') length = 2;
  const int n =
      std::snprintf(out, size, "%.*s%s", static_cast<int>(length), currentDirectory, pattern);
  return n >= 0 && static_cast<std::size_t>(n) < size;
}

}  // namespace tvr

// Filling the file table.
#include "recording/file_table.h"

#include <cstring>

namespace tvr {

bool FileTable::Add(const char* path) {
  if (count >= kCapacity) return false;
  const std::size_t length = std::strlen(path);
  FileEntry& entry = entries[count];
  if (length >= sizeof entry.name) return false;
  entry = FileEntry{};
  std::memcpy(entry.name, path, length + 1);
  ++count;
  return true;
}

}  // namespace tvr

// Platform for Win32: CreateFileA without sharing, ReadFile/WriteFile, MoveFileExA,
// GetFileTime/SetFileTime, FileTimeToLocalFileTime, MessageBoxA.
#include "platform/win32_platform.h"

#include <windows.h>

#include <cstring>

#include "platform/text_file.h"

namespace tvr {

namespace {

HANDLE H(FileHandle file) { return reinterpret_cast<HANDLE>(file); }

FILETIME ToFiletime(FileTime t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t.ticks);
  ft.dwHighDateTime = static_cast<DWORD>(t.ticks >> 32);
  return ft;
}

FileTime FromFiletime(const FILETIME& ft) {
  return FileTime{static_cast<std::uint64_t>(ft.dwHighDateTime) << 32 | ft.dwLowDateTime};
}

FileHandle Open(const char* path, DWORD access) {
  const HANDLE h = ::CreateFileA(path, access, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  return h == INVALID_HANDLE_VALUE ? kInvalidFile : reinterpret_cast<FileHandle>(h);
}

}  // namespace

FileHandle Win32Platform::OpenForRead(const char* path) { return Open(path, GENERIC_READ); }

FileHandle Win32Platform::OpenForWrite(const char* path) { return Open(path, GENERIC_WRITE); }

bool Win32Platform::Read(FileHandle file, void* buffer, std::uint32_t size, std::uint32_t* got) {
  DWORD n = 0;
  const BOOL ok = ::ReadFile(H(file), buffer, size, &n, nullptr);
  *got = n;
  return ok != FALSE;
}

bool Win32Platform::Write(FileHandle file, const void* buffer, std::uint32_t size) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  while (size > 0) {
    DWORD n = 0;
    if (!::WriteFile(H(file), bytes, size, &n, nullptr) || n == 0) return false;
    bytes += n;
    size -= n;
  }
  return true;
}

bool Win32Platform::Seek(FileHandle file, std::int64_t offset, SeekFrom from) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return ::SetFilePointerEx(H(file), distance, nullptr,
                            from == SeekFrom::kBegin ? FILE_BEGIN : FILE_END) != FALSE;
}

bool Win32Platform::GetSize(FileHandle file, std::uint64_t* size) {
  LARGE_INTEGER value;
  if (!::GetFileSizeEx(H(file), &value)) return false;
  *size = static_cast<std::uint64_t>(value.QuadPart);
  return true;
}

bool Win32Platform::GetCreationTime(FileHandle file, FileTime* creation) {
  FILETIME ft;
  if (!::GetFileTime(H(file), &ft, nullptr, nullptr)) return false;
  *creation = FromFiletime(ft);
  return true;
}

bool Win32Platform::StampTimes(FileHandle file, FileTime creation, FileTime lastWrite) {
  FILETIME created, accessed, written;
  if (!::GetFileTime(H(file), &created, &accessed, &written)) return false;
  created = ToFiletime(creation);
  written = ToFiletime(lastWrite);
  return ::SetFileTime(H(file), &created, &accessed, &written) != FALSE;
}

bool Win32Platform::Close(FileHandle file) { return ::CloseHandle(H(file)) != FALSE; }

bool Win32Platform::RemoveFile(const char* path) { return ::DeleteFileA(path) != FALSE; }

bool Win32Platform::MoveReplacing(const char* from, const char* to) {
  return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32Platform::CreateTempFile(const char* directory, char* path, std::size_t pathSize) {
  char name[MAX_PATH];
  if (::GetTempFileNameA(directory, "tvr", 0, name) == 0) return false;
  const std::size_t length = std::strlen(name);
  if (length >= pathSize) {
    ::DeleteFileA(name);
    return false;
  }
  std::memcpy(path, name, length + 1);
  return true;
}

bool Win32Platform::SameFile(const char* a, const char* b) {
  // Identity, not spelling: the volume and file index of two open handles.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const HANDLE ha =
      ::CreateFileA(a, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (ha == INVALID_HANDLE_VALUE) return false;
  const HANDLE hb =
      ::CreateFileA(b, 0, share, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  bool same = false;
  if (hb != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    if (::GetFileInformationByHandle(ha, &ia) && ::GetFileInformationByHandle(hb, &ib)) {
      same = ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
             ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
    }
    ::CloseHandle(hb);
  }
  ::CloseHandle(ha);
  return same;
}

bool Win32Platform::WriteText(const char* path, const char* text, bool truncate) {
  return WriteTextFile(path, text, truncate);
}

FileTime Win32Platform::ToLocalTime(FileTime utc) {
  const FILETIME in = ToFiletime(utc);
  FILETIME out;
  if (!::FileTimeToLocalFileTime(&in, &out)) return utc;
  return FromFiletime(out);
}

SystemTime Win32Platform::ToSystemTime(FileTime time) {
  const FILETIME in = ToFiletime(time);
  SYSTEMTIME st;
  if (!::FileTimeToSystemTime(&in, &st)) return TicksToSystemTime(time);
  SystemTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.dayOfWeek = st.wDayOfWeek;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  return t;
}

int Win32Platform::CompareTimes(FileTime a, FileTime b) {
  const FILETIME fa = ToFiletime(a);
  const FILETIME fb = ToFiletime(b);
  return static_cast<int>(::CompareFileTime(&fa, &fb));
}

void Win32Platform::Sleep(unsigned milliseconds) { ::Sleep(milliseconds); }

void Win32Platform::ShowMessage(const char* text, const char* caption, unsigned style) {
  ::MessageBoxA(nullptr, text, caption, style);
}

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace tvr

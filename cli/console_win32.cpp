// The tool's console on Windows: WriteConsoleW to a console window (right in any console
// code page), UTF-8 bytes to a pipe or a file.
#include <windows.h>

#include <string>

#include "cli/console.h"
#include "platform/win32_platform.h"

namespace tvr::cli {

namespace {

std::wstring Widen(const char* text, UINT codePage) {
  const int n = ::MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  if (::MultiByteToWideChar(codePage, 0, text, -1, wide.data(), n) != n) return std::wstring();
  wide.resize(static_cast<std::size_t>(n - 1));
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  if (::WideCharToMultiByte(codePage, 0, wide.data(), size, out.data(), n, nullptr, nullptr) != n) {
    return std::string();
  }
  return out;
}

HANDLE Handle(Stream stream) {
  return ::GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr &&
         ::GetConsoleMode(handle, &mode) != FALSE;
}

class Win32ConsolePlatform : public Win32Platform {
 public:
  // A console tool shows no message boxes: the text goes to stderr.
  void ShowMessage(const char* text, const char* caption, unsigned /*style*/) override {
    // stderr is the only place for the message; a refused write leaves none better.
    static_cast<void>(cli::Write(Stream::kErr, MessageLine(text, caption)));
  }
};

}  // namespace

Platform& ConsolePlatform() {
  static Win32ConsolePlatform platform;
  return platform;
}

bool Write(Stream stream, const std::string& utf8) {
  const HANDLE handle = Handle(stream);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return false;
  if (IsConsole(handle)) {
    const std::wstring wide = Widen(utf8.c_str(), CP_UTF8);
    DWORD written = 0;
    return ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written,
                           nullptr) != FALSE;
  }
  const char* bytes = utf8.data();
  DWORD left = static_cast<DWORD>(utf8.size());
  while (left > 0) {
    DWORD written = 0;
    if (!::WriteFile(handle, bytes, left, &written, nullptr) || written == 0) return false;
    bytes += written;
    left -= written;
  }
  return true;
}

// The program's texts are Windows-1251; so are the paths in them on the Russian systems
// the texts are written for.
std::string ProgramTextToUtf8(const char* text) { return Narrow(Widen(text, 1251), CP_UTF8); }

std::string PathToUtf8(const char* path) { return Narrow(Widen(path, CP_ACP), CP_UTF8); }

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
}

bool IsTerminal(Stream stream) { return IsConsole(Handle(stream)); }

}  // namespace tvr::cli

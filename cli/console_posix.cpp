// The tool's console on Linux and other POSIX systems: UTF-8 everywhere.
#include <unistd.h>

#include <cstdio>

#include "cli/console.h"
#include "platform/posix_platform.h"
#include "platform/text_file.h"

namespace tvr::cli {

namespace {

class PosixConsolePlatform : public PosixPlatform {
 public:
  void ShowMessage(const char* text, const char* caption, unsigned /*style*/) override {
    // stderr is the only place for the message; a refused write leaves none better.
    static_cast<void>(cli::Write(Stream::kErr, MessageLine(text, caption)));
  }
};

}  // namespace

Platform& ConsolePlatform() {
  static PosixConsolePlatform platform;
  return platform;
}

bool Write(Stream stream, const std::string& utf8) {
  std::FILE* file = stream == Stream::kOut ? stdout : stderr;
  const bool written = std::fwrite(utf8.data(), 1, utf8.size(), file) == utf8.size();
  return std::fflush(file) == 0 && written;
}

std::string ProgramTextToUtf8(const char* text) { return Cp1251ToUtf8(text); }

std::string PathToUtf8(const char* path) { return path; }

std::string NativePath(const std::string& path) { return path; }

bool IsTerminal(Stream stream) {
  return ::isatty(stream == Stream::kOut ? STDOUT_FILENO : STDERR_FILENO) == 1;
}

}  // namespace tvr::cli

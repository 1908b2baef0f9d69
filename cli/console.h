// The tool's console: the system's Platform with messages on stderr instead of message
// boxes, and text written in the terminal's encoding. One implementation per system.
#pragma once

#include <string>

#include "platform/platform.h"

namespace tvr::cli {

enum class Stream { kOut, kErr };

// The system's Platform whose ShowMessage writes "caption: text" to stderr.
Platform& ConsolePlatform();

// Writes UTF-8 text as the stream's reader expects it: UTF-8 bytes to a pipe, a file or a
// Linux terminal; UTF-16 to a Windows console window. False when the stream refused it.
bool Write(Stream stream, const std::string& utf8);

// A text of the program (Windows-1251, with paths as the system spells them) as UTF-8.
std::string ProgramTextToUtf8(const char* text);
// A path as the system spells it (UTF-8 bytes on Linux, the ANSI code page on Windows) as UTF-8.
std::string PathToUtf8(const char* path);

// A path in the spelling the system's file calls and the output name expect
// (on Windows, forward slashes become backslashes).
std::string NativePath(const std::string& path);

bool IsTerminal(Stream stream);

// A message of the program as the console shows it: "caption: text", in UTF-8, one line end.
inline std::string MessageLine(const char* text, const char* caption) {
  std::string line;
  if (caption != nullptr && caption[0] != '\0') line = ProgramTextToUtf8(caption) + ": ";
  return line + ProgramTextToUtf8(text) + "\n";
}

}  // namespace tvr::cli

// Draws the join's progress line with carriage returns: no terminal library needed.
#include "cli/progress_bar.h"

#include <cstdio>

#include "cli/console.h"
#include "recording/format.h"

namespace tvr::cli {

namespace {

constexpr int kBarWidth = 30;
constexpr std::size_t kNameWidth = 24;

// The last path component, by either separator.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The number of UTF-8 characters in `text`.
std::size_t Columns(const std::string& text) {
  std::size_t n = 0;
  for (unsigned char c : text) n += (c & 0xC0) != 0x80;
  return n;
}

// `text` cut to `columns` characters, never inside a UTF-8 sequence, "..." marking the cut.
std::string Fit(const std::string& text, std::size_t columns) {
  if (Columns(text) <= columns) return text;
  std::string out;
  std::size_t n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80 && ++n > columns - 3) break;
    out += static_cast<char>(c);
  }
  return out + "...";
}

}  // namespace

std::string ProgressLine(int percent, const std::string& name, double bytesPerSecond) {
  if (percent < 0) percent = 0;
  if (percent > 100) percent = 100;
  const int filled = percent * kBarWidth / 100;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBarWidth - filled), '.');
  char head[64];
  std::snprintf(head, sizeof head, "%3d%% [%s] ", percent, bar.c_str());
  char rate[32];
  std::snprintf(rate, sizeof rate, " %8.1f MiB/s", bytesPerSecond / (1024.0 * 1024.0));
  std::string file = Fit(name, kNameWidth);
  file.append(kNameWidth - Columns(file), ' ');
  std::string line = head;
  line += file;
  line += rate;
  return line;
}

bool ProgressBar::Open() {
  if (!enabled_) return false;
  start_ = std::chrono::steady_clock::now();
  const std::int64_t width =
      table_.count > 0 ? static_cast<std::int64_t>(table_.entries[0].channelCount) * kSampleBytes
                       : 0;
  totalBytes_ = static_cast<double>(totals_.nallsamp * width);
  Draw();
  return true;
}

void ProgressBar::AddFile(const char* path) {
  if (!enabled_) return;
  name_ = BaseName(PathToUtf8(path));
  Draw();
}

void ProgressBar::SetPercent(int percent) {
  if (!enabled_) return;
  percent_ = percent;
  Draw();
}

void ProgressBar::Finish() {
  if (!enabled_) return;
  percent_ = 100;
  Draw();
  EndLine();
}

void ProgressBar::Dismiss() {
  if (enabled_) EndLine();
}

void ProgressBar::Draw() {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const double done = totalBytes_ * percent_ / 100.0;
  const double rate = seconds > 0 ? done / seconds : 0;
  // A terminal that refuses the bar loses only the bar.
  std::string line = "\r";
  line += ProgressLine(percent_, name_, rate);
  static_cast<void>(Write(Stream::kErr, line));
  drawn_ = true;
}

void ProgressBar::EndLine() {
  if (drawn_) static_cast<void>(Write(Stream::kErr, "\n"));
  drawn_ = false;
}

}  // namespace tvr::cli

// join, info and check: the engine's merge with console messages, a header dump, and a
// dry run of the merge that reports its plan and verdict without writing anything.
#include "cli/commands.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/console.h"
#include "cli/progress_bar.h"
#include "merge/merge.h"
#include "platform/text_file.h"
#include "recording/format.h"
#include "recording/scan.h"
#include "trace/trace_log.h"

namespace tvr::cli {

namespace {

// Fields in the order they are added: the header order, not alphabetical.
using json = nlohmann::ordered_json;

// The shortest text that reads back as the same double.
std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string Hex32(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08x", value);
  return buffer;
}

std::string UtcText(FileTime time) {
  const SystemTime t = TicksToSystemTime(time);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d.%07uZ", t.year, t.month,
                t.day, t.hour, t.minute, t.second,
                static_cast<unsigned>(time.ticks % kTicksPerSecond));
  return buffer;
}

// Local time as the trace log writes it: day.month.year hour:minute:second.
std::string LocalText(Platform& platform, FileTime local) {
  const SystemTime t = platform.ToSystemTime(local);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%d %02d:%02d:%02d", t.day, t.month, t.year,
                t.hour, t.minute, t.second);
  return buffer;
}

// Writes to stdout; remembers a refused write so that the command can fail with status 3.
class Output {
 public:
  void operator()(const std::string& utf8) {
    if (!Write(Stream::kOut, utf8)) failed_ = true;
  }
  int Finish(int status) {
    if (!failed_) return status;
    static_cast<void>(Write(Stream::kErr, "tvr: cannot write to standard output\n"));
    return std::max(status, static_cast<int>(kExitIoError));
  }

 private:
  bool failed_ = false;
};

// Copies the paths into the table, refusing a selection the program would not join.
int FillTable(Platform& platform, const std::vector<std::string>& files, FileTable& table) {
  if (files.size() < 2) {
    platform.ShowMessage(kTooFewFilesText, kErrorCaption, kMbIconError);
    return kExitRefused;
  }
  if (files.size() > static_cast<std::size_t>(FileTable::kCapacity)) {
    platform.ShowMessage(kTooManyFilesText, kErrorCaption, kMbIconError);
    return kExitRefused;
  }
  for (const std::string& file : files) {
    const std::string path = NativePath(file);
    if (!table.Add(path.c_str())) {
      char text[64];
      std::snprintf(text, sizeof text,
                    "tvr: a path longer than %zu bytes: ", sizeof table.entries[0].name - 1);
      static_cast<void>(Write(Stream::kErr, text + PathToUtf8(path.c_str()) + "\n"));
      return kExitRefused;
    }
  }
  return kExitDone;
}

// Tells the user which file a scan stopped at when the engine's own message does not.
void NameFailedFile(Platform& platform, RunStatus status, const FileTable& table,
                    const ScanTotals& totals) {
  if (totals.failedIndex < 0) return;
  const char* name = table.entries[totals.failedIndex].name;
  if (status == RunStatus::kOpenFailed) {
    // The program ends quietly here; a console tool must say which file it could not open.
    ShowPathError(platform, kReadErrorText, name);
  } else if (status == RunStatus::kBadFormat) {
    static_cast<void>(Write(Stream::kErr, PathToUtf8(name) + "\n"));
  }
}

const char* VerdictName(RunStatus status) {
  switch (status) {
    case RunStatus::kDone:
      return "ok";
    case RunStatus::kOpenFailed:
      return "open failed";
    case RunStatus::kBadFormat:
      return "wrong file format";
    case RunStatus::kBadChannelCount:
      return "unsupported channel count";
    case RunStatus::kFrequencyMismatch:
      return "frequency mismatch";
    case RunStatus::kChannelMismatch:
      return "channel count mismatch";
    case RunStatus::kOutputIsInput:
      return "output is an input";
    case RunStatus::kReadError:
      return "read error";
    case RunStatus::kWriteError:
      return "write error";
  }
  return "unknown";
}

}  // namespace

int ExitStatusFor(RunStatus status) {
  switch (status) {
    case RunStatus::kDone:
      return kExitDone;
    case RunStatus::kBadFormat:
    case RunStatus::kBadChannelCount:
    case RunStatus::kFrequencyMismatch:
    case RunStatus::kChannelMismatch:
    case RunStatus::kOutputIsInput:
      return kExitRefused;
    case RunStatus::kOpenFailed:
    case RunStatus::kReadError:
    case RunStatus::kWriteError:
      return kExitIoError;
  }
  return kExitIoError;
}

int RunJoin(const JoinOptions& options) {
  Platform& platform = ConsolePlatform();
  // The log is the program's, line for line, but without its 20 ms pause per line.
  const std::string tracePath = NativePath(options.trace);
  TraceLog trace(platform, options.trace.empty() ? nullptr : tracePath.c_str(), 0);
  trace.Create();
  if (!options.trace.empty()) {
    // The log skips lines it cannot write; a log the user asked for must exist.
    const FileHandle check = platform.OpenForRead(tracePath.c_str());
    if (check == kInvalidFile || !platform.Close(check)) {
      ShowPathError(platform, kWriteErrorText, tracePath.c_str());
      return kExitIoError;
    }
  }

  auto table = std::make_unique<FileTable>();
  if (const int status = FillTable(platform, options.files, *table); status != kExitDone) {
    return status;
  }
  const std::string output = NativePath(options.output);
  MergeContext context{platform, trace, *table, nullptr, {}, {}};
  context.orderByTime = !options.orderGiven;
  context.outputOverride = options.output.empty() ? nullptr : output.c_str();
  ProgressBar bar(!options.quiet && IsTerminal(Stream::kErr), context.totals, *table);
  context.progress = &bar;

  const RunStatus status = MergeRecordings(context);
  NameFailedFile(platform, status, *table, context.totals);
  Output out;
  if (status == RunStatus::kDone && !options.quiet) out(PathToUtf8(context.outputPath) + "\n");
  return out.Finish(ExitStatusFor(status));
}

int RunCheck(const CheckOptions& options) {
  Platform& platform = ConsolePlatform();
  auto table = std::make_unique<FileTable>();
  if (const int status = FillTable(platform, options.files, *table); status != kExitDone) {
    return status;
  }
  TraceLog noTrace(platform, nullptr);
  ScanTotals totals;
  RunStatus status = ScanRecordings(platform, noTrace, *table, &totals);
  if (status != RunStatus::kDone) {
    NameFailedFile(platform, status, *table, totals);
    return ExitStatusFor(status);
  }
  if (!options.orderGiven) OrderByCreationTime(platform, *table);
  status = CheckConsistency(platform, noTrace, *table);

  // The output the join would write, and whether it would overwrite a recording.
  const FileEntry& first = table->entries[0];
  char outputPath[1024];
  const std::string override = NativePath(options.output);
  if (!options.output.empty()) {
    std::snprintf(outputPath, sizeof outputPath, "%s", override.c_str());
  } else if (!BuildOutputPath(first.name, table->count, platform.PathSeparator(), outputPath,
                              sizeof outputPath)) {
    ShowPathError(platform, kWriteErrorText, first.name);
    return kExitIoError;
  }
  if (status == RunStatus::kDone) {
    for (int i = 0; i < table->count; ++i) {
      if (platform.SameFile(outputPath, table->entries[i].name)) {
        ShowPathError(platform, kOutputIsInputText, outputPath);
        status = RunStatus::kOutputIsInput;
        break;
      }
    }
  }

  // Every part's whole frames, and where they start in the output.
  const double frequency = static_cast<double>(first.frequency);
  std::int64_t start = 0;
  json parts = json::array();
  for (int i = 0; i < table->count; ++i) {
    const FileEntry& e = table->entries[i];
    parts.push_back({{"path", PathToUtf8(e.name)},
                     {"created_local", LocalText(platform, e.localCreationTime)},
                     {"created_utc", UtcText(e.creationTime)},
                     {"frequency", static_cast<double>(e.frequency)},
                     {"nch", e.channelCount},
                     {"frames", e.frameCount},
                     {"start_frame", start}});
    start += e.frameCount;
  }
  const json plan = {{"order", options.orderGiven ? "given" : "time"},
                     {"parts", parts},
                     {"total_frames", start},
                     {"duration_seconds", static_cast<double>(start) / frequency},
                     {"output", PathToUtf8(outputPath)},
                     {"verdict", VerdictName(status)}};

  Output out;
  if (options.json) {
    out(plan.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
    return out.Finish(ExitStatusFor(status));
  }
  out("order: " + plan["order"].get<std::string>() + "\n");
  out("     #  created (local)          frames     start frame  file\n");
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const json& p = parts[i];
    char line[128];
    std::snprintf(line, sizeof line, "  %4zu  %s  %12lld  %14lld  ", i + 1,
                  p["created_local"].get<std::string>().c_str(),
                  static_cast<long long>(p["frames"].get<std::int64_t>()),
                  static_cast<long long>(p["start_frame"].get<std::int64_t>()));
    out(line + p["path"].get<std::string>() + "\n");
  }
  out("total frames: " + std::to_string(start) + "\n");
  out("duration: " + Number(static_cast<double>(start) / frequency) + " s at " + Number(frequency) +
      " Hz\n");
  out("output: " + plan["output"].get<std::string>() + "\n");
  out("verdict: " + plan["verdict"].get<std::string>() + "\n");
  return out.Finish(ExitStatusFor(status));
}

namespace {

// One recording's header and data layout, or why it cannot be read.
struct InfoResult {
  int status = kExitDone;
  json fields;
};

InfoResult ReadInfo(Platform& platform, const std::string& path) {
  InfoResult result;
  result.fields["path"] = PathToUtf8(path.c_str());
  const FileHandle file = platform.OpenForRead(path.c_str());
  if (file == kInvalidFile) {
    ShowPathError(platform, kReadErrorText, path.c_str());
    result.status = kExitIoError;
    result.fields["error"] = "open failed";
    return result;
  }
  auto header = std::make_unique<RecordingHeader>();
  HeaderStage stage = HeaderStage::kNone;
  const HeaderStatus headerStatus = ReadRecordingHeader(platform, file, header.get(), &stage);
  std::uint64_t size = 0;
  FileTime created;
  const bool sized = headerStatus == HeaderStatus::kOk && platform.GetSize(file, &size) &&
                     platform.GetCreationTime(file, &created);
  const bool closed = platform.Close(file);
  switch (headerStatus) {
    case HeaderStatus::kOk:
      break;
    case HeaderStatus::kBadSignature:
    case HeaderStatus::kTruncated:
      platform.ShowMessage(kWrongFormatText, "", kMbOk);
      static_cast<void>(Write(Stream::kErr, PathToUtf8(path.c_str()) + "\n"));
      result.status = kExitRefused;
      result.fields["error"] = "wrong file format";
      return result;
    case HeaderStatus::kBadChannelCount: {
      char text[1100];
      std::snprintf(text, sizeof text, kBadChannelCountText, header->nch, path.c_str());
      platform.ShowMessage(text, kErrorCaption, kMbIconError);
      result.status = kExitRefused;
      result.fields["error"] = "unsupported channel count";
      result.fields["nch"] = header->nch;
      return result;
    }
    case HeaderStatus::kReadError:
      break;
  }
  if (headerStatus == HeaderStatus::kReadError || !sized || !closed) {
    ShowPathError(platform, kReadErrorText, path.c_str());
    result.status = kExitIoError;
    result.fields["error"] = "read error";
    return result;
  }

  const RecordingHeader& h = *header;
  const std::uint64_t frameBytes = static_cast<std::uint64_t>(h.nch) * kSampleBytes;
  const std::uint64_t dataBytes = size - h.headerBytes;
  json channels = json::array();
  for (int i = 0; i < h.nch; ++i) {
    channels.push_back({{"number", h.channels[i].number},
                        {"minrange", h.channels[i].minrange},
                        {"maxrange", h.channels[i].maxrange}});
  }
  json& f = result.fields;
  f["signature"] = kSignature;
  f["mask"] = h.mask;
  f["channel_word"] = h.channelWord;
  f["nch"] = h.nch;
  f["ndev"] = h.ndev;
  f["freq"] = h.freq;
  f["type"] = h.type;
  f["lower"] = h.lower;
  f["nbits"] = h.nbits;
  f["range"] = {{"mask", h.rangeMask}, {"minrange", h.minrange}, {"maxrange", h.maxrange}};
  f["channels"] = channels;
  f["off"] = h.off;
  f["data_offset"] = h.headerBytes;
  f["file_size"] = size;
  f["frame_bytes"] = frameBytes;
  f["frames"] = dataBytes / frameBytes;
  f["trailing_bytes"] = dataBytes % frameBytes;
  f["duration_seconds"] = static_cast<double>(dataBytes / frameBytes) / h.freq;
  f["created_utc"] = UtcText(created);
  f["created_local"] = LocalText(platform, platform.ToLocalTime(created));
  f["created_filetime"] = created.ticks;
  return result;
}

// The fields of one recording as readable text.
std::string InfoText(const json& f) {
  std::string s = "file: " + f["path"].get<std::string>() + "\n";
  const auto line = [&s](const std::string& name, const std::string& value) {
    s += "  " + name + ": " + value + "\n";
  };
  line("signature", f["signature"].get<std::string>());
  line("mask", Hex32(f["mask"].get<std::uint32_t>()));
  line("channel word", Hex32(f["channel_word"].get<std::uint32_t>()));
  line("nch", std::to_string(f["nch"].get<int>()));
  line("ndev", std::to_string(f["ndev"].get<int>()));
  line("freq", Number(f["freq"].get<double>()) + " Hz");
  line("type", std::to_string(f["type"].get<int>()));
  line("lower", std::to_string(f["lower"].get<int>()));
  line("nbits", std::to_string(f["nbits"].get<int>()));
  const json& r = f["range"];
  line("range", "mask " + Hex32(r["mask"].get<std::uint32_t>()) + ", minrange " +
                    Number(r["minrange"].get<double>()) + ", maxrange " +
                    Number(r["maxrange"].get<double>()));
  s += "  channels:\n";
  for (const json& c : f["channels"]) {
    s += "    nch " + std::to_string(c["number"].get<std::int32_t>()) + ": minrange " +
         Number(c["minrange"].get<double>()) + ", maxrange " + Number(c["maxrange"].get<double>()) +
         "\n";
  }
  line("off", std::to_string(f["off"].get<std::uint32_t>()));
  line("data offset", std::to_string(f["data_offset"].get<std::uint32_t>()));
  line("file size", std::to_string(f["file_size"].get<std::uint64_t>()));
  line("frame bytes", std::to_string(f["frame_bytes"].get<std::uint64_t>()));
  line("whole frames", std::to_string(f["frames"].get<std::uint64_t>()));
  line("trailing bytes", std::to_string(f["trailing_bytes"].get<std::uint64_t>()));
  line("duration", Number(f["duration_seconds"].get<double>()) + " s");
  line("created", f["created_utc"].get<std::string>() + " (local " +
                      f["created_local"].get<std::string>() + ")");
  return s;
}

}  // namespace

int RunInfo(const InfoOptions& options) {
  Platform& platform = ConsolePlatform();
  int status = kExitDone;
  json recordings = json::array();
  Output out;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    InfoResult result = ReadInfo(platform, NativePath(options.files[i]));
    status = std::max(status, result.status);
    if (options.json) {
      recordings.push_back(std::move(result.fields));
    } else if (result.status == kExitDone) {
      if (i > 0) out("\n");
      out(InfoText(result.fields));
    }
  }
  if (options.json) {
    const json document = {{"recordings", recordings}};
    out(document.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
  }
  return out.Finish(status);
}

}  // namespace tvr::cli

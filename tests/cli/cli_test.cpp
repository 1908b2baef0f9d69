// Black-box tests of the built tvr tool: joins against a model of the expected bytes,
// every refusal's exit status and message, info's fields and check's plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "merge/merge.h"
#include "platform/text_file.h"
#include "recording/format.h"
#include "recording/scan.h"
#include "tests/cli/run_tool.h"
#include "tests/support/recording_writer.h"

namespace tvr::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A program text (Windows-1251 in this build) as the tool prints it: UTF-8.
std::string Shown(const char* text) { return Cp1251ToUtf8(text); }

std::string Text(const fs::path& path) {
  const auto bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A recording of a test set: its name, what it holds and when it was made (hours of a day).
struct Part {
  std::string name;
  RecordingLayout layout;
  int hour = 0;
};

RecordingLayout Frames(std::int64_t frames, int channels = 2, int trailing = 0,
                       double freq = 250.0) {
  RecordingLayout layout;
  layout.frames = frames;
  layout.channels = channels;
  layout.trailingBytes = trailing;
  layout.freq = freq;
  layout.seed = static_cast<unsigned>(frames * 7 + channels + trailing);
  return layout;
}

class ToolTest : public ::testing::Test {
 public:
  std::string Make(const Part& part) {
    const std::string path = dir / part.name;
    WriteRecording(path, part.layout);
    SetCreationTime(path, MakeTime(2021, 3, 7, part.hour, 5, 0));
    return path;
  }
  std::vector<std::string> MakeAll(const std::vector<Part>& parts) {
    std::vector<std::string> paths;
    for (const auto& part : parts) paths.push_back(Make(part));
    return paths;
  }
  ToolRun Run(const std::vector<std::string>& args) {
    return RunTool(args, dir.path().string(), scratch.path().string());
  }

  TempDir dir;
  TempDir scratch;
};

// ---- join: bytes, name, order, times ------------------------------------------------

struct JoinCase {
  const char* name;
  std::vector<Part> parts;           // in the order given on the command line
  std::vector<std::string> options;  // before the files
  std::vector<int> expectedOrder;    // indices into `parts`
  std::string output;                // empty: Collected<N>_<earliest> in the folder
  bool outputExists = false;         // an old file of the output's name is replaced
};

class JoinTest : public ToolTest, public ::testing::WithParamInterface<JoinCase> {};

TEST_P(JoinTest, WritesTheModelBytesAndTouchesNoInput) {
  const JoinCase& c = GetParam();
  const auto inputs = MakeAll(c.parts);
  std::vector<std::vector<unsigned char>> before;
  for (const auto& path : inputs) before.push_back(ReadAll(path));

  std::vector<std::string> inOrder;
  for (int i : c.expectedOrder) inOrder.push_back(inputs[static_cast<std::size_t>(i)]);
  const std::string earliestName = c.parts[static_cast<std::size_t>(c.expectedOrder[0])].name;
  const std::string output =
      c.output.empty() ? dir / ("Collected" + std::to_string(c.parts.size()) + "_" + earliestName)
                       : dir / c.output;
  if (c.outputExists) {
    std::ofstream(output, std::ios::binary) << "an older join, to be replaced";
  }

  std::vector<std::string> args = {"join"};
  args.insert(args.end(), c.options.begin(), c.options.end());
  if (!c.output.empty()) args.insert(args.end(), {"-o", output});
  args.insert(args.end(), inputs.begin(), inputs.end());
  const ToolRun run = Run(args);

  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "") << "no progress bar when stderr is not a terminal";
  const bool quiet = std::any_of(c.options.begin(), c.options.end(),
                                 [](const std::string& o) { return o == "-q" || o == "--quiet"; });
  EXPECT_EQ(run.out, quiet ? "" : output + "\n");
  EXPECT_EQ(ReadAll(output), ExpectedJoin(inOrder, c.parts[0].layout.channels));
  // Stamped with the earliest recording's creation time.
  EXPECT_EQ(fs::last_write_time(output), fs::last_write_time(inOrder[0]));
  for (std::size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(ReadAll(inputs[i]), before[i]);
  // An ordinary new file's permissions, not the private ones of a temporary file.
  std::ofstream(dir / "fresh", std::ios::binary) << "x";
  EXPECT_EQ(fs::status(output).permissions(), fs::status(dir / "fresh").permissions());
  fs::remove(dir / "fresh");
  // The output and nothing else beside the inputs: no temporary file left behind.
  EXPECT_EQ(Listing(dir.path()).size(), inputs.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinTest,
    ::testing::Values(
        JoinCase{"ByCreationTime",
                 {{"a.tvr", Frames(100), 8}, {"b.tvr", Frames(50), 7}, {"c.tvr", Frames(70), 9}},
                 {},
                 {1, 0, 2},
                 "",
                 false},
        JoinCase{"GivenOrder",
                 {{"a.tvr", Frames(100), 8}, {"b.tvr", Frames(50), 7}, {"c.tvr", Frames(70), 9}},
                 {"--order", "given", "-q"},
                 {0, 1, 2},
                 "",
                 false},
        JoinCase{"PartialFramesLeftOut",
                 {{"x.tvr", Frames(33, 3, 5), 10}, {"y.tvr", Frames(20, 3, 11), 6}},
                 {},
                 {1, 0},
                 "",
                 false},
        // Equal times never swap; of (2, 2, 1) the exchange sort leaves 1, second, first.
        JoinCase{"EqualTimesInExchangeSortOrder",
                 {{"p.tvr", Frames(10), 2}, {"q.tvr", Frames(20), 2}, {"r.tvr", Frames(30), 1}},
                 {},
                 {2, 1, 0},
                 "",
                 false},
        JoinCase{"SixteenChannelsNamedOutput",
                 {{"m.tvr", Frames(64, 16), 5},
                  {"n.tvr", Frames(1, 16), 4},
                  {"o.tvr", Frames(0, 16), 6},
                  {"k.tvr", Frames(17, 16, 63), 3}},
                 {"--quiet"},
                 {3, 1, 0, 2},
                 "joined.tvr",
                 false},
        JoinCase{"ReplacesAnOlderOutput",
                 {{"a.tvr", Frames(12), 8}, {"b.tvr", Frames(13), 9}},
                 {},
                 {0, 1},
                 "",
                 true}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ToolTest, TraceHasTheProgramsLines) {
  const auto inputs = MakeAll({{"b.tvr", Frames(20), 9}, {"a.tvr", Frames(10), 8}});
  const std::string trace = dir / "trace.txt";
  const ToolRun run = Run({"join", "-q", "--trace", trace, inputs[0], inputs[1]});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string output = dir / "Collected2_a.tvr";
#ifdef _WIN32
  const std::string eol = "\r\n";
#else
  const std::string eol = "\n";
#endif
  const std::string text = Text(trace);
  EXPECT_EQ(text.rfind("Launched..." + eol, 0), 0u) << text;
  EXPECT_NE(text.find("nallsamp=30(1e)" + eol), std::string::npos) << text;
  EXPECT_NE(text.find(std::string("Число каналов в файле равно 2") + eol), std::string::npos);
  const std::string tail = inputs[1] + eol + output + eol;
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

// ---- refusals: exit status, message, nothing written ----------------------------------

struct RefusalCase {
  const char* name;
  // Makes the files in `dir` and returns the arguments after "join".
  std::function<std::vector<std::string>(ToolTest&)> setup;
  int status;
  // The message on stderr; "{0}" stands for the first file's path, "{1}" for the second's.
  std::string message;
};

std::string Expand(std::string text, const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < 2 && i < args.size(); ++i) {
    const std::string key = "{" + std::to_string(i) + "}";
    for (std::size_t at; (at = text.find(key)) != std::string::npos;) text.replace(at, 3, args[i]);
  }
  return text;
}

class RefusalTest : public ToolTest, public ::testing::WithParamInterface<RefusalCase> {
 public:
  std::vector<std::string> Pair(const RecordingLayout& first, const RecordingLayout& second) {
    return MakeAll({{"a.tvr", first, 8}, {"b.tvr", second, 9}});
  }
};

// The files that a refusal's setup names; every other argument is an option.
std::vector<std::string> Files(const std::vector<std::string>& args) {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o") {
      ++i;
    } else if (args[i].rfind("-", 0) != 0) {
      files.push_back(args[i]);
    }
  }
  return files;
}

TEST_P(RefusalTest, ExitsWithItsStatusAndMessageAndWritesNothing) {
  const RefusalCase& c = GetParam();
  const std::vector<std::string> args = c.setup(*this);
  const auto files = Files(args);
  const auto listing = Listing(dir.path());
  std::vector<std::string> command = {"join"};
  command.insert(command.end(), args.begin(), args.end());
  const ToolRun run = Run(command);
  EXPECT_EQ(run.status, c.status) << run.err;
  EXPECT_NE(run.err.find(Expand(c.message, files)), std::string::npos)
      << "stderr: " << run.err << "\nexpected: " << Expand(c.message, files);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Listing(dir.path()), listing) << "a refused join leaves the folder as it was";
}

RecordingLayout BadSignature() {
  RecordingLayout layout = Frames(10);
  layout.signature = "TESVARFFX";
  return layout;
}
RecordingLayout Truncated() {
  RecordingLayout layout = Frames(10);
  layout.truncateAt = 100;
  return layout;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusalTest,
    ::testing::Values(
        RefusalCase{"OneFile",
                    [](ToolTest& f) {
                      return std::vector<std::string>{f.Make({"a.tvr", Frames(5), 1})};
                    },
                    1, Shown("Ошибка: Выберите не менее 2х файлов для объединения\n")},
        RefusalCase{"MoreThan256Files",
                    [](ToolTest&) {
                      // Refused before any file is opened, so none need exist.
                      std::vector<std::string> names;
                      for (int i = 0; i < 257; ++i) names.push_back(std::to_string(i) + ".tvr");
                      return names;
                    },
                    1, Shown("Ошибка: Выберите не более 256 файлов для объединения\n")},
        RefusalCase{"PathLongerThanTheTableTakes",
                    [](ToolTest& f) {
                      return std::vector<std::string>{f.Make({"a.tvr", Frames(5), 1}),
                                                      std::string(600, 'x') + ".tvr"};
                    },
                    1, "path longer than 511 bytes"},
        RefusalCase{"BadSignature",
                    [](ToolTest& f) {
                      return static_cast<RefusalTest&>(f).Pair(Frames(5), BadSignature());
                    },
                    1, Shown(kWrongFormatText) + "\n{1}\n"},
        RefusalCase{
            "EndsInsideItsHeader",
            [](ToolTest& f) { return static_cast<RefusalTest&>(f).Pair(Truncated(), Frames(5)); },
            1, Shown(kWrongFormatText) + "\n{0}\n"},
        RefusalCase{
            "NoChannels",
            [](ToolTest& f) { return static_cast<RefusalTest&>(f).Pair(Frames(5), Frames(5, 0)); },
            1, Shown("Ошибка: Неподдерживаемое число каналов (0) в файле\n{1}\n")},
        RefusalCase{"MoreThan256Channels",
                    [](ToolTest& f) {
                      return static_cast<RefusalTest&>(f).Pair(Frames(5, 300), Frames(5));
                    },
                    1, Shown("Ошибка: Неподдерживаемое число каналов (300) в файле\n{0}\n")},
        RefusalCase{"FrequencyMismatch",
                    [](ToolTest& f) {
                      return static_cast<RefusalTest&>(f).Pair(Frames(5),
                                                               Frames(5, 2, 0, 250.0001));
                    },
                    1, Shown("Ошибка: Несовпадение частот в объединяемых файлах\n")},
        RefusalCase{
            "ChannelMismatch",
            [](ToolTest& f) { return static_cast<RefusalTest&>(f).Pair(Frames(5), Frames(5, 3)); },
            1, Shown("Ошибка: Несовпадение числа каналов в объединяемых файлах\n")},
        RefusalCase{
            "OutputIsAnInput",
            [](ToolTest& f) {
              auto files = static_cast<RefusalTest&>(f).Pair(Frames(5), Frames(6));
              return std::vector<std::string>{"-o", files[1], files[0], files[1]};
            },
            1, Shown("Ошибка: Файл результата совпадает с одним из объединяемых файлов\n{1}\n")},
        RefusalCase{
            "MissingFile",
            [](ToolTest& f) {
              return std::vector<std::string>{f.Make({"a.tvr", Frames(5), 1}), f.dir / "gone.tvr"};
            },
            3, Shown("Ошибка: Ошибка чтения файла\n{1}\n")},
        RefusalCase{
            "OutputFolderMissing",
            [](ToolTest& f) {
              auto files = static_cast<RefusalTest&>(f).Pair(Frames(5), Frames(6));
              return std::vector<std::string>{"-o", f.dir / "no/such.tvr", files[0], files[1]};
            },
            3, Shown("Ошибка: Ошибка записи файла\n")},
        RefusalCase{"NoFiles", [](ToolTest&) { return std::vector<std::string>{}; }, 2, "FILE"},
        RefusalCase{"UnknownOption",
                    [](ToolTest&) {
                      return std::vector<std::string>{"--sideways", "a.tvr", "b.tvr"};
                    },
                    2, "--sideways"},
        RefusalCase{"UnknownOrder",
                    [](ToolTest&) {
                      return std::vector<std::string>{"--order", "size", "a.tvr", "b.tvr"};
                    },
                    2, "size"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(ToolTest, UsageErrorsAndHelp) {
  EXPECT_EQ(Run({}).status, 2) << "a command is required";
  EXPECT_EQ(Run({"split", "a.tvr"}).status, 2);
  const ToolRun help = Run({"join", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--order"), std::string::npos) << help.out;
  const ToolRun version = Run({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("tvr ", 0), 0u) << version.out;
}

// ---- info --------------------------------------------------------------------------

TEST_F(ToolTest, InfoJsonHasEveryHeaderField) {
  RecordingLayout layout = Frames(40, 3, 6, 1000.5);
  layout.channelWordExtra = 0xFFFE0200;  // ndev -2; bit 9 set, which is not a channel
  layout.mask = 0xDEADBEEF;
  layout.rangeMask = 0x00000007;
  layout.type = -128;
  layout.lower = 5;
  layout.nbits = 16;
  layout.minrange = -2.5;
  layout.maxrange = 2.5;
  layout.off = 12345;
  const std::string path = Make({"rich.tvr", layout, 11});
  const std::string bad = Make({"bad.tvr", BadSignature(), 11});

  const ToolRun run = Run({"info", "--json", path, bad});
  EXPECT_EQ(run.status, 1) << "the unreadable second file is refused";
  EXPECT_NE(run.err.find(Shown(kWrongFormatText) + "\n" + bad), std::string::npos) << run.err;
  const json doc = json::parse(run.out);
  ASSERT_EQ(doc["recordings"].size(), 2u);
  const json& r = doc["recordings"][0];
  EXPECT_EQ(r["path"], path);
  EXPECT_EQ(r["signature"], "TESVARFFS");
  EXPECT_EQ(r["mask"], 0xDEADBEEFu);
  EXPECT_EQ(r["channel_word"], 0xFFFE0203u);
  EXPECT_EQ(r["nch"], 3);
  EXPECT_EQ(r["ndev"], -2);
  EXPECT_EQ(r["freq"], 1000.5);
  EXPECT_EQ(r["type"], -128);
  EXPECT_EQ(r["lower"], 5);
  EXPECT_EQ(r["nbits"], 16);
  EXPECT_EQ(r["range"], json({{"mask", 7}, {"minrange", -2.5}, {"maxrange", 2.5}}));
  ASSERT_EQ(r["channels"].size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r["channels"][i],
              json({{"number", i + 1}, {"minrange", -2.5 * (i + 1)}, {"maxrange", 2.5 * (i + 1)}}));
  }
  EXPECT_EQ(r["off"], 12345);
  EXPECT_EQ(r["data_offset"], 300);  // 240 + 20 * 3, whatever `off` says
  EXPECT_EQ(r["file_size"], 300 + 40 * 12 + 6);
  EXPECT_EQ(r["frame_bytes"], 12);
  EXPECT_EQ(r["frames"], 40);
  EXPECT_EQ(r["trailing_bytes"], 6);
  EXPECT_DOUBLE_EQ(r["duration_seconds"].get<double>(), 40 / 1000.5);
  EXPECT_EQ(r["created_utc"], "2021-03-07T11:05:00.0000000Z");
  EXPECT_EQ(r["created_filetime"], MakeTime(2021, 3, 7, 11, 5, 0).ticks);
  EXPECT_EQ(doc["recordings"][1], json({{"path", bad}, {"error", "wrong file format"}}));
}

TEST_F(ToolTest, InfoTextShowsTheLayout) {
  const std::string path = Make({"a.tvr", Frames(25, 2, 3), 8});
  const ToolRun run = Run({"info", path});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* line : {"  nch: 2\n", "  data offset: 280\n", "  whole frames: 25\n",
                           "  trailing bytes: 3\n", "  duration: 0.1 s\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << " in\n" << run.out;
  }
}

// ---- check -------------------------------------------------------------------------

TEST_F(ToolTest, CheckShowsTheBoundariesAndWritesNothing) {
  const auto inputs = MakeAll(
      {{"a.tvr", Frames(100), 8}, {"b.tvr", Frames(50, 2, 5), 7}, {"c.tvr", Frames(70), 9}});
  const auto listing = Listing(dir.path());
  const ToolRun run = Run({"check", "--json", inputs[0], inputs[1], inputs[2]});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Listing(dir.path()), listing);
  const json plan = json::parse(run.out);
  EXPECT_EQ(plan["order"], "time");
  const std::vector<std::pair<std::string, std::pair<int, int>>> expected = {
      {inputs[1], {50, 0}}, {inputs[0], {100, 50}}, {inputs[2], {70, 150}}};
  ASSERT_EQ(plan["parts"].size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const json& part = plan["parts"][i];
    EXPECT_EQ(part["path"], expected[i].first);
    EXPECT_EQ(part["frames"], expected[i].second.first);
    EXPECT_EQ(part["start_frame"], expected[i].second.second);
  }
  EXPECT_EQ(plan["parts"][0]["created_utc"], "2021-03-07T07:05:00.0000000Z");
  EXPECT_EQ(plan["total_frames"], 220);
  EXPECT_DOUBLE_EQ(plan["duration_seconds"].get<double>(), 220 / 250.0);
  EXPECT_EQ(plan["output"], dir / "Collected3_b.tvr");
  EXPECT_EQ(plan["verdict"], "ok");

  // What check promised is what join does: the boundaries fall where the parts' frames are.
  ASSERT_EQ(Run({"join", "-q", inputs[0], inputs[1], inputs[2]}).status, 0);
  const auto joined = ReadAll(dir / "Collected3_b.tvr");
  EXPECT_EQ(joined.size(), HeaderSize(2) + 220u * 8);
}

TEST_F(ToolTest, CheckGivesTheVerdictOfEachRefusal) {
  const auto inputs = MakeAll({{"a.tvr", Frames(10), 8}, {"b.tvr", Frames(10, 2, 0, 500.0), 9}});
  const ToolRun mismatch = Run({"check", "--order", "given", inputs[1], inputs[0]});
  EXPECT_EQ(mismatch.status, 1);
  EXPECT_NE(mismatch.out.find("verdict: frequency mismatch\n"), std::string::npos) << mismatch.out;
  EXPECT_NE(mismatch.err.find(Shown(kFrequencyMismatchText)), std::string::npos) << mismatch.err;
  // The order is the one given: b first, at frame 0.
  EXPECT_NE(mismatch.out.find("               0  " + inputs[1] + "\n"), std::string::npos)
      << mismatch.out;

  const auto same = MakeAll({{"c.tvr", Frames(10), 8}, {"d.tvr", Frames(10), 9}});
  const ToolRun ontoInput = Run({"check", "--json", "-o", same[0], same[0], same[1]});
  EXPECT_EQ(ontoInput.status, 1);
  EXPECT_EQ(json::parse(ontoInput.out)["verdict"], "output is an input");
}

}  // namespace
}  // namespace tvr::test

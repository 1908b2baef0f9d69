// The real tvrjoin.exe, driven through its real dialogs: a full join checked byte for
// byte, and each way a run ends early, through the message box the user would see.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/selection.h"
#include "merge/merge.h"
#include "recording/format.h"
#include "recording/scan.h"
#include "tests/e2e/driver.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/recording_writer.h"

namespace tvr::test {
namespace {

namespace fs = std::filesystem;
using e2e::ProgramRun;

// The program under test and where artifacts go, from the environment the script sets.
std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? e2e::WindowsPath(value) : std::string();
}

// Windows-1251 names (the program's own spelling) as file system paths.
fs::path AnsiPath(const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, wide.data(), n);
  wide.resize(wcslen(wide.c_str()));
  return fs::path(wide);
}

std::string Slurp(const std::string& path) {
  const auto bytes = ReadAll(AnsiPath(path));
  return std::string(bytes.begin(), bytes.end());
}

FileTime CreationAndWrite(const std::string& path, FileTime* lastWrite) {
  FileTime created;
  const HANDLE h =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME c{}, a{}, w{};
  if (h == INVALID_HANDLE_VALUE || !GetFileTime(h, &c, &a, &w)) {
    ADD_FAILURE() << "cannot read the times of " << path;
  }
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  created.ticks = static_cast<std::uint64_t>(c.dwHighDateTime) << 32 | c.dwLowDateTime;
  lastWrite->ticks = static_cast<std::uint64_t>(w.dwHighDateTime) << 32 | w.dwLowDateTime;
  return created;
}

// A folder of recordings under a Cyrillic name, so that every path the program shows or
// writes goes through Windows-1251.
class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() : folder_(temp_.path().string() + "\\Записи") {
    fs::create_directory(AnsiPath(folder_));
  }

  std::string Path(const std::string& name) const { return folder_ + "\\" + name; }

  void Write(const std::string& name, const RecordingLayout& layout, FileTime created) {
    WriteRecording(AnsiPath(Path(name)), layout);
    SetCreationTime(AnsiPath(Path(name)), created);
  }

  // Starts the program in the folder and answers its dialog with `names`.
  void StartAndChoose(const std::vector<std::string>& names) {
    ASSERT_FALSE(Env("TVRJOIN_EXE").empty()) << "TVRJOIN_EXE names the program under test";
    ASSERT_TRUE(run_.Start(Env("TVRJOIN_EXE"), folder_));
    const HWND dialog = run_.WaitForOpenDialog();
    ASSERT_NE(dialog, nullptr) << "no open-file dialog";
    ExpectCentred(dialog);
    ASSERT_TRUE(ProgramRun::ChooseFiles(dialog, names));
  }

  // The hook centres the dialog; Wine shrinks it a little afterwards, hence the slack.
  static void ExpectCentred(HWND dialog) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(dialog, &r));
    const int middleX = (r.left + r.right) / 2;
    const int middleY = (r.top + r.bottom) / 2;
    EXPECT_NEAR(middleX, GetSystemMetrics(SM_CXFULLSCREEN) / 2, 40);
    EXPECT_NEAR(middleY, GetSystemMetrics(SM_CYFULLSCREEN) / 2, 40);
  }

  void ExpectQuietExit() {
    DWORD code = 1234;
    ASSERT_TRUE(run_.WaitForExit(&code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
  }

  std::vector<std::string> CollectedFiles() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(AnsiPath(folder_))) {
      const std::wstring name = entry.path().filename().wstring();
      if (name.rfind(L"Collected", 0) == 0 || name.rfind(L"tvr", 0) == 0) {
        found.push_back(entry.path().filename().string());
      }
    }
    return found;
  }

  TempDir temp_;
  std::string folder_;
  ProgramRun run_;
};

TEST_F(ProgramTest, JoinsThreeRecordingsInTimeOrderAndShowsTheProgress) {
  // Table order a, b, c; time order b (earliest), c, a. The earliest ends in a partial
  // frame and so does a later one: neither partial frame reaches the output.
  RecordingLayout b{.channels = 3, .freq = 500.0, .frames = 40000, .trailingBytes = 5, .seed = 2};
  RecordingLayout c{.channels = 3, .freq = 500.0, .frames = 25000, .seed = 3};
  RecordingLayout a{.channels = 3, .freq = 500.0, .frames = 35000, .trailingBytes = 7, .seed = 1};
  const FileTime earliest = MakeTime(2021, 3, 7, 9, 5, 0);
  Write("a.tvr", a, MakeTime(2021, 3, 7, 11, 0, 0));
  Write("b.tvr", b, earliest);
  Write("c.tvr", c, MakeTime(2021, 3, 7, 10, 0, 0));
  const std::string output = Path("Collected3_b.tvr");
  // A stale output of the same name is replaced.
  std::FILE* stale = std::fopen(output.c_str(), "wb");
  ASSERT_NE(stale, nullptr);
  std::fputs("stale", stale);
  std::fclose(stale);

  StartAndChoose({"a.tvr", "b.tvr", "c.tvr"});
  const HWND window = run_.WaitForProgressWindow();
  ASSERT_NE(window, nullptr) << "no progress window";
  ASSERT_TRUE(ProgramRun::WaitForDoneButton(window, 60000)) << "no \"done\" button";

  const e2e::ProgressState shown = ProgramRun::ReadProgress(window);
  EXPECT_EQ(shown.caption, "Объединение файлов");
  EXPECT_EQ(shown.files, (std::vector<std::string>{Path("a.tvr"), Path("b.tvr"), Path("c.tvr")}));
  EXPECT_EQ(shown.percentText, "100");
  EXPECT_EQ(shown.barPosition, 100);
  EXPECT_TRUE(shown.doneVisible);
  const std::string artifacts = Env("TVR_E2E_ARTIFACTS");
  if (!artifacts.empty()) {
    EXPECT_TRUE(ProgramRun::SaveScreenshot(window, artifacts + "\\progress.bmp"));
  }

  ASSERT_TRUE(ProgramRun::PressDone(window));
  ExpectQuietExit();

  // The model: b's header and whole frames, then c's and a's whole frames.
  const std::uint32_t width = 3 * 4;
  std::string expected;
  const auto header = HeaderBytes(b);
  expected.assign(header.begin(), header.end());
  for (const RecordingLayout* layout : {&b, &c, &a}) {
    for (std::uint64_t i = 0; i < static_cast<std::uint64_t>(layout->frames) * width; ++i) {
      expected += static_cast<char>(SampleByte(layout->seed, i));
    }
  }
  const std::string joined = Slurp(output);
  ASSERT_EQ(joined.size(), expected.size());
  EXPECT_TRUE(joined == expected) << "the joined bytes differ from the model";

  FileTime lastWrite;
  const FileTime created = CreationAndWrite(output, &lastWrite);
  EXPECT_EQ(created.ticks, earliest.ticks);
  EXPECT_EQ(lastWrite.ticks, earliest.ticks);
  EXPECT_EQ(CollectedFiles(), std::vector<std::string>{"Collected3_b.tvr"})
      << "no temporary file is left behind";

  const std::string trace = Slurp(folder_ + "\\Trace");
  EXPECT_EQ(trace.rfind("Launched...\r\n", 0), 0u) << trace;
  for (const char* name : {"a.tvr", "b.tvr", "c.tvr"}) {
    EXPECT_NE(trace.find(Path(name) + "\r\n"), std::string::npos) << name;
  }
  EXPECT_NE(trace.find("nallsamp=100000(186a0)\r\n"), std::string::npos) << trace;
  const std::string ending = Path("b.tvr") + "\r\n" + output + "\r\n";
  ASSERT_GE(trace.size(), ending.size());
  EXPECT_EQ(trace.substr(trace.size() - ending.size()), ending);
}

TEST_F(ProgramTest, CancelEndsQuietlyWithOnlyTheFirstTraceLine) {
  Write("a.tvr", RecordingLayout{.frames = 10}, MakeTime(2021, 1, 1, 0, 0, 0));
  ASSERT_FALSE(Env("TVRJOIN_EXE").empty());
  ASSERT_TRUE(run_.Start(Env("TVRJOIN_EXE"), folder_));
  const HWND dialog = run_.WaitForOpenDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(ProgramRun::Cancel(dialog));
  ExpectQuietExit();
  EXPECT_EQ(Slurp(folder_ + "\\Trace"), "Launched...\r\n");
}

// A run that ends at a message box: what is in the folder, what the user chooses, the box.
struct RefusalCase {
  const char* what;
  std::vector<std::pair<std::string, RecordingLayout>> files;  // one hour apart, in order
  std::vector<std::string> chosen;
  const char* text;  // "%s" stands for the output path
  const char* caption;
  bool nothingRead;  // the trace holds only its first line
};

class RefusalTest : public ProgramTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, ShowsItsMessageAndLeavesTheRecordingsAlone) {
  const RefusalCase& c = GetParam();
  for (std::size_t i = 0; i < c.files.size(); ++i) {
    Write(c.files[i].first, c.files[i].second,
          MakeTime(2021, 5, 1, 8 + static_cast<int>(i) / 60, static_cast<int>(i) % 60, 0));
  }
  std::vector<std::string> before;
  for (const auto& file : c.files) before.push_back(Slurp(Path(file.first)));

  StartAndChoose(c.chosen);
  const HWND box = run_.WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box";
  const e2e::MessageBoxState shown = ProgramRun::ReadMessageBox(box);
  char text[2048];
  std::snprintf(text, sizeof text, c.text, Path("Collected2_a.tvr").c_str());
  EXPECT_EQ(shown.text, text);
  EXPECT_EQ(shown.caption, c.caption);
  ASSERT_TRUE(ProgramRun::DismissMessageBox(box));
  ExpectQuietExit();

  for (std::size_t i = 0; i < c.files.size(); ++i) {
    EXPECT_TRUE(Slurp(Path(c.files[i].first)) == before[i]) << c.files[i].first << " changed";
  }
  if (c.nothingRead) {
    EXPECT_EQ(Slurp(folder_ + "\\Trace"), "Launched...\r\n");
  }
  const auto collected = CollectedFiles();
  for (const auto& name : collected) {
    EXPECT_NE(name.rfind("tvr", 0), 0u) << "temporary file left: " << name;
  }
}

std::vector<std::pair<std::string, RecordingLayout>> Recordings(
    std::initializer_list<std::pair<std::string, RecordingLayout>> files) {
  return files;
}

RecordingLayout Layout(int channels, double freq, std::string signature = "TESVARFFS") {
  return RecordingLayout{.channels = channels, .freq = freq, .frames = 300, .signature = signature};
}

std::vector<std::pair<std::string, RecordingLayout>> ManyRecordings(int count) {
  std::vector<std::pair<std::string, RecordingLayout>> files;
  for (int i = 0; i < count; ++i) {
    std::string name = "f";
    name.append(std::to_string(1000 + i)).append(".tvr");
    files.emplace_back(name, Layout(1, 250.0));
  }
  return files;
}

std::vector<std::string> Names(const std::vector<std::pair<std::string, RecordingLayout>>& files) {
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  return names;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusalTest,
    ::testing::Values(
        RefusalCase{"one file chosen",
                    Recordings({{"a.tvr", Layout(2, 250)}, {"b.tvr", Layout(2, 250)}}),
                    {"a.tvr"},
                    "Выберите не менее 2х файлов для объединения",
                    "Ошибка",
                    true},
        RefusalCase{"wrong format",
                    Recordings({{"a.tvr", Layout(2, 250)}, {"b.tvr", Layout(2, 250, "TESVARXXX")}}),
                    {"a.tvr", "b.tvr"},
                    kWrongFormatText,
                    "",
                    false},
        RefusalCase{"frequency mismatch",
                    Recordings({{"a.tvr", Layout(2, 250)}, {"b.tvr", Layout(2, 500)}}),
                    {"a.tvr", "b.tvr"},
                    kFrequencyMismatchText,
                    "Ошибка",
                    false},
        RefusalCase{"channel count mismatch",
                    Recordings({{"a.tvr", Layout(2, 250)}, {"b.tvr", Layout(4, 250)}}),
                    {"a.tvr", "b.tvr"},
                    kChannelMismatchText,
                    "Ошибка",
                    false},
        // The earlier output joined again: its name is the output's, so writing the
        // output would destroy it.
        RefusalCase{"output is one of the inputs",
                    Recordings({{"a.tvr", Layout(2, 250)}, {"Collected2_a.tvr", Layout(2, 250)}}),
                    {"a.tvr", "Collected2_a.tvr"},
                    kOutputIsInputText,
                    "Ошибка",
                    false},
        RefusalCase{"more files than the table holds", ManyRecordings(257),
                    Names(ManyRecordings(257)), "Выберите не более 256 файлов для объединения",
                    "Ошибка", true}),
    CaseName{});

}  // namespace
}  // namespace tvr::test

// tvrdrive: runs tvrjoin.exe on every recording of a folder through its real dialogs, for
// the demo and the benchmark.
//   tvrdrive TVRJOIN_EXE FOLDER [SCREENSHOT.bmp]
// Prints the time from the progress window's appearance to the "done" button's, saves a
// screenshot of the finished window if asked, presses the button and waits for the end.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/driver.h"

int main(int argc, char** argv) {
  using tvr::e2e::ProgramRun;
  if (argc < 3) {
    std::fprintf(stderr, "usage: tvrdrive TVRJOIN_EXE FOLDER [SCREENSHOT.bmp]\n");
    return 2;
  }
  const std::string exe = tvr::e2e::WindowsPath(argv[1]);
  const std::string folder = tvr::e2e::WindowsPath(argv[2]);

  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*.tvr").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "tvrdrive: no recordings in %s\n", folder.c_str());
    return 1;
  }
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());

  ProgramRun run;
  if (!run.Start(exe, folder)) return 1;
  const HWND dialog = run.WaitForOpenDialog();
  if (dialog == nullptr || !ProgramRun::ChooseFiles(dialog, names)) {
    std::fprintf(stderr, "tvrdrive: no open-file dialog\n");
    return 1;
  }
  const HWND window = run.WaitForProgressWindow();
  const double shown = tvr::e2e::NowMs();
  if (window == nullptr) {
    std::fprintf(stderr, "tvrdrive: no progress window (a message box instead?)\n");
    const HWND box = run.WaitForMessageBox();
    if (box != nullptr) {
      const auto message = ProgramRun::ReadMessageBox(box);
      std::fprintf(stderr, "tvrdrive: message box: %s\n", message.text.c_str());
      ProgramRun::DismissMessageBox(box);
    }
    return 1;
  }
  // Polled every 10 ms: a tighter loop keeps Wine's server busy and slows the join it times.
  if (!ProgramRun::WaitForDoneButton(window, 3600 * 1000, 10)) {
    std::fprintf(stderr, "tvrdrive: the progress window went without a \"done\" button\n");
    return 1;
  }
  const double done = tvr::e2e::NowMs();
  std::printf("files=%zu\n", names.size());
  std::printf("join_seconds=%.3f\n", (done - shown) / 1000.0);
  std::fflush(stdout);
  if (argc > 3 && !ProgramRun::SaveScreenshot(window, tvr::e2e::WindowsPath(argv[3]))) {
    std::fprintf(stderr, "tvrdrive: cannot save the screenshot\n");
  }
  DWORD code = 1;
  if (!ProgramRun::PressDone(window) || !run.WaitForExit(&code)) {
    std::fprintf(stderr, "tvrdrive: the program did not end\n");
    return 1;
  }
  std::printf("exit_code=%lu\n", code);
  return code == 0 ? 0 : 1;
}

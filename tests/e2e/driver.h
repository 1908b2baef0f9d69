// Drives the real tvrjoin.exe from another process under the same Windows (or Wine):
// starts it, answers its open-file dialog, reads its progress window and message boxes,
// presses its buttons. Shared by the end-to-end tests, the demo and the benchmark.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tvr::e2e {

// A path as Windows spells it: a Unix path (from the build) becomes a Z: path.
std::string WindowsPath(const std::string& path);

// Milliseconds on a monotonic clock.
double NowMs();

// What the progress window shows.
struct ProgressState {
  std::string caption;
  std::vector<std::string> files;  // the list, top to bottom
  std::string percentText;         // control 1112
  int barPosition = -1;            // control 1111
  bool doneVisible = false;        // control 1004
};

// A message box: its caption and its text.
struct MessageBoxState {
  std::string caption;
  std::string text;
};

// One run of the program.
class ProgramRun {
 public:
  ProgramRun() = default;
  ~ProgramRun();
  ProgramRun(const ProgramRun&) = delete;
  ProgramRun& operator=(const ProgramRun&) = delete;

  // Starts `exe` with `directory` as its current directory.
  bool Start(const std::string& exe, const std::string& directory);

  // The next visible top-level dialog of the program for which `accept` is true; null
  // after `timeoutMs`, or at once when the program has ended.
  template <typename Accept>
  HWND WaitForDialog(Accept accept, DWORD timeoutMs = 30000);

  // The open-file dialog, found by its title.
  HWND WaitForOpenDialog();
  // The progress window, found by its caption; null when a message box or the end of
  // the program comes first.
  HWND WaitForProgressWindow();
  // A message box (a dialog with the message text control).
  HWND WaitForMessageBox();

  // Types `names` (each quoted, as the dialog takes several) into the file name box and
  // presses Open; or presses Cancel.
  static bool ChooseFiles(HWND dialog, const std::vector<std::string>& names);
  static bool Cancel(HWND dialog);

  static ProgressState ReadProgress(HWND window);
  static MessageBoxState ReadMessageBox(HWND box);
  // Waits until the "done" button is visible; false after `timeoutMs` or if the window went.
  static bool WaitForDoneButton(HWND window, DWORD timeoutMs, DWORD pollMs = 1);
  static bool PressDone(HWND window);
  static bool DismissMessageBox(HWND box);
  // Saves what the screen shows of `window` as a 24-bit BMP.
  static bool SaveScreenshot(HWND window, const std::string& bmpPath);

  // The exit code once the program has ended; false after `timeoutMs`.
  bool WaitForExit(DWORD* exitCode, DWORD timeoutMs = 30000);
  DWORD processId() const { return process_.dwProcessId; }

 private:
  PROCESS_INFORMATION process_{};
};

// The text of a window or a control.
std::string WindowText(HWND window);

// Searches the program's visible top-level windows of class "#32770".
HWND FindDialog(DWORD processId, bool (*accept)(HWND, void*), void* context);

template <typename Accept>
HWND ProgramRun::WaitForDialog(Accept accept, DWORD timeoutMs) {
  const double until = NowMs() + timeoutMs;
  auto thunk = [](HWND w, void* c) { return (*static_cast<Accept*>(c))(w); };
  for (;;) {
    if (HWND found = FindDialog(process_.dwProcessId, thunk, &accept)) return found;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0 || NowMs() > until) {
      return nullptr;
    }
    Sleep(1);
  }
}

}  // namespace tvr::e2e

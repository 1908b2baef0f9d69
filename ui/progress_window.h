// The progress window: the dialog "OPENPERS" run on a thread of its own, driven from the
// joining (main) thread by three private messages sent to it.
#pragma once

#include <windows.h>

#include <atomic>

#include "platform/platform.h"

namespace tvr {

// The module instance handle, kept by WinMain; the dialog template is loaded from it.
extern HINSTANCE instanceHandle;

// Shared with the main thread: the dialog's handle, set when it initialises, and whether
// it has closed.
extern std::atomic<HWND> progressWindow;
extern std::atomic<int> dialogClosed;

// The private messages: a percentage in lParam; the work is finished; a path (lParam
// points to it) to list.
inline constexpr UINT kMsgPercent = WM_USER;
inline constexpr UINT kMsgFinished = WM_USER + 1;
inline constexpr UINT kMsgAddFile = WM_USER + 2;

DWORD WINAPI ProgressThreadProc(LPVOID parameter);
INT_PTR CALLBACK ProgressDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The join's ProgressView on Windows. One per run.
class ProgressWindow : public ProgressView {
 public:
  ProgressWindow() = default;
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Starts the thread and returns once the dialog is up, or has failed to come up.
  bool Open() override;
  void AddFile(const char* path) override;
  void SetPercent(int percent) override;
  void Finish() override;
  // Polls every 200 ms until the user has closed the window.
  void WaitUntilClosed() override;
  // Closes the window itself and waits for its thread to end.
  void Dismiss() override;

 private:
  // Sends one of the private messages while the window is there.
  void Send(UINT message, LPARAM lParam);
  void JoinThread();

  HANDLE thread_ = nullptr;
};

}  // namespace tvr

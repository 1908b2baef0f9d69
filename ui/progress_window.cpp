// The progress dialog, its thread, and the ProgressView that drives it by SendMessageA.
#include "ui/progress_window.h"

#include <commctrl.h>

#include <cstdio>

#include "res/resource_ids.h"

namespace tvr {

HINSTANCE instanceHandle = nullptr;
std::atomic<HWND> progressWindow{nullptr};
std::atomic<int> dialogClosed{0};

namespace {

constexpr DWORD kClosePollMs = 200;

// Set by the dialog once progressWindow holds its handle, so that Open() need not guess
// how long the thread takes to get there.
HANDLE dialogReady = nullptr;

}  // namespace

DWORD WINAPI ProgressThreadProc(LPVOID /*parameter*/) {
  // -1 means the dialog could not be created; Open() then sees the thread end instead of
  // dialogReady, and the join goes on without a window.
  const INT_PTR result =
      ::DialogBoxParamA(instanceHandle, "OPENPERS", nullptr, ProgressDialogProc, 0);
  return result == -1 ? 1 : 0;
}

INT_PTR CALLBACK ProgressDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // SendDlgItemMessageA's results for these messages carry no failure worth acting on:
  // the window is ours and the controls are in the template.
  switch (message) {
    case WM_INITDIALOG:
      progressWindow = hwnd;
      ::SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
      ::SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETSTEP, 1, 0);
      ::ShowWindow(hwnd, SW_SHOWNORMAL);  // returns the previous visibility, not an error
      if (!::UpdateWindow(hwnd)) {
        // Only a paint that did not happen yet; the next message loop round paints it.
      }
      if (dialogReady != nullptr && !::SetEvent(dialogReady)) {
        // Open() also watches the thread; it will not return until the dialog ends.
      }
      break;
    case kMsgPercent: {
      char text[16];
      std::snprintf(text, sizeof text, "%02d", static_cast<int>(lParam));
      if (!::SetDlgItemTextA(hwnd, IDC_PROGRESS_PERCENT, text)) {
        // The figure stays as it was; the bar below still moves.
      }
      // The bar is one ahead, so that 99 % already fills it; the range caps it at 100.
      ::SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(lParam + 1), 0);
      break;
    }
    case kMsgFinished: {
      const HWND done = ::GetDlgItem(hwnd, IDC_PROGRESS_DONE);
      if (done != nullptr) {
        ::ShowWindow(done, SW_SHOW);
        if (!::UpdateWindow(done)) {
          // Painted with the next message loop round instead.
        }
      }
      break;
    }
    case kMsgAddFile:
      ::SendDlgItemMessageA(hwnd, IDC_PROGRESS_FILES, LB_ADDSTRING, 0, lParam);
      break;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_PROGRESS_DONE) ::SendMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    case WM_CLOSE:
      dialogClosed = 1;
      if (!::EndDialog(hwnd, LOWORD(wParam))) {
        // Only fails for a window that is not a dialog; dialogClosed already lets the
        // main thread go.
      }
      break;
    default:
      break;
  }
  return 0;
}

ProgressWindow::~ProgressWindow() { Dismiss(); }

bool ProgressWindow::Open() {
  progressWindow = nullptr;
  dialogClosed = 0;

  // The template names the progress bar class, which must exist before the dialog does.
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  if (!::InitCommonControlsEx(&controls)) return false;

  dialogReady = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (dialogReady == nullptr) return false;
  thread_ = ::CreateThread(nullptr, 0, ProgressThreadProc, nullptr, 0, nullptr);
  if (thread_ == nullptr) {
    ::CloseHandle(dialogReady);
    dialogReady = nullptr;
    return false;
  }
  // Whichever comes first: the dialog is up, or the thread ended because it never was.
  const HANDLE waitFor[] = {dialogReady, thread_};
  const DWORD woke = ::WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
  ::CloseHandle(dialogReady);
  dialogReady = nullptr;
  if (woke != WAIT_OBJECT_0 || progressWindow.load() == nullptr) {
    JoinThread();
    return false;
  }
  return true;
}

void ProgressWindow::Send(UINT message, LPARAM lParam) {
  const HWND window = progressWindow;
  // A window closed early gets nothing more; the join goes on without it.
  if (window == nullptr || dialogClosed) return;
  ::SendMessageA(window, message, 0, lParam);  // the dialog procedure answers 0 to all
}

void ProgressWindow::AddFile(const char* path) {
  Send(kMsgAddFile, reinterpret_cast<LPARAM>(path));
}

void ProgressWindow::SetPercent(int percent) { Send(kMsgPercent, percent); }

void ProgressWindow::Finish() { Send(kMsgFinished, 0); }

void ProgressWindow::WaitUntilClosed() {
  if (thread_ == nullptr || progressWindow.load() == nullptr) return;
  do {
    ::Sleep(kClosePollMs);
  } while (!dialogClosed);
  JoinThread();
}

void ProgressWindow::Dismiss() {
  const HWND window = progressWindow;
  if (window != nullptr && !dialogClosed) ::SendMessageA(window, WM_CLOSE, 0, 0);
  JoinThread();
}

void ProgressWindow::JoinThread() {
  if (thread_ == nullptr) return;
  if (::WaitForSingleObject(thread_, INFINITE) != WAIT_OBJECT_0) {
    // Cannot happen for a valid handle; the process ends soon after in any case.
  }
  ::CloseHandle(thread_);
  thread_ = nullptr;
}

}  // namespace tvr

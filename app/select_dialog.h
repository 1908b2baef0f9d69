// The open-file dialog in which the user picks the recordings to join.
#pragma once

#include <windows.h>

namespace tvr {

enum class DialogOutcome {
  kChosen,     // selectionBuffer holds the selection list
  kCancelled,  // cancelled, or the dialog failed: the run ends quietly
  kTooMany,    // the selection did not fit selectionBuffer
};

// Receives the initial file name, then the dialog's selection list.
inline constexpr DWORD kSelectionBufferSize = 32768;
extern char selectionBuffer[kSelectionBufferSize];

// Shows the multi-selection dialog on the current directory with `pattern` (appended to
// that directory) in its file name box.
DialogOutcome SelectRecordings(const char* title, const char* filter, const char* pattern);

// Centres the dialog on the screen when it initialises.
UINT_PTR CALLBACK CenterDialogHook(HWND hdlg, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tvr

// The Explorer-style multi-selection open-file dialog and its centring hook.
#include "app/select_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstddef>

#include "app/centre.h"
#include "app/selection.h"

namespace tvr {

char selectionBuffer[kSelectionBufferSize];

namespace {

// The structure as it was before its three trailing fields were added; the hook tells
// the Explorer-style case by this size.
constexpr DWORD kOpenFileNameSize = 76;
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == kOpenFileNameSize);

constexpr DWORD kFlags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_ENABLEHOOK |
                         OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
static_assert(kFlags == 0x88022C);

}  // namespace

UINT_PTR CALLBACK CenterDialogHook(HWND hdlg, UINT message, WPARAM /*wParam*/, LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  const auto* request = reinterpret_cast<const OPENFILENAMEA*>(lParam);
  HWND window = hdlg;
  // An Explorer-style hook gets a child of the dialog; the dialog is its parent.
  if (request != nullptr && request->lStructSize == kOpenFileNameSize) {
    const HWND parent = ::GetParent(hdlg);
    if (parent != nullptr) window = parent;
  }
  RECT rect;
  if (!::GetWindowRect(window, &rect)) return 1;  // left where the system put it
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const Origin origin = CentredOrigin(::GetSystemMetrics(SM_CXFULLSCREEN),
                                      ::GetSystemMetrics(SM_CYFULLSCREEN), width, height);
  if (!::MoveWindow(window, origin.x, origin.y, width, height, TRUE)) {
    // An off-centre dialog still works; nothing better to do.
  }
  return 1;
}

DialogOutcome SelectRecordings(const char* title, const char* filter, const char* pattern) {
  char directory[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryA(MAX_PATH, directory);
  // A directory that cannot be read, or is longer than the box allows, starts the dialog
  // on the pattern alone (the dialog then opens where the process is).
  if (length == 0 || length >= MAX_PATH) directory[0] = '\0';
  if (!InitialFileName(directory, directory[0] != '\0' ? pattern : pattern + 1, selectionBuffer,
                       sizeof selectionBuffer)) {
    selectionBuffer[0] = '\0';
  }

  OPENFILENAMEA request{};
  request.lStructSize = kOpenFileNameSize;
  request.hwndOwner = nullptr;
  request.hInstance = nullptr;
  request.lpstrFilter = filter;
  request.lpstrCustomFilter = nullptr;
  request.nMaxCustFilter = 0;
  request.nFilterIndex = 0;
  request.lpstrFile = selectionBuffer;
  request.nMaxFile = kSelectionBufferSize;
  request.lpstrFileTitle = nullptr;
  request.nMaxFileTitle = 512;
  request.lpstrInitialDir = nullptr;
  request.lpstrTitle = title;
  request.Flags = kFlags;
  request.nFileOffset = 0;
  request.nFileExtension = 0;
  request.lpstrDefExt = nullptr;
  request.lCustData = 1;
  request.lpfnHook = CenterDialogHook;
  request.lpTemplateName = nullptr;

  if (::GetOpenFileNameA(&request)) return DialogOutcome::kChosen;
  // Zero is a cancel; anything else a failure, of which only a full buffer means the user
  // can do better (by choosing fewer files).
  return ::CommDlgExtendedError() == FNERR_BUFFERTOOSMALL ? DialogOutcome::kTooMany
                                                          : DialogOutcome::kCancelled;
}

}  // namespace tvr

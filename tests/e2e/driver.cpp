// The driver's Win32 side: processes, window lookup, cross-process control messages, and
// a screen capture of one window.
#include "tests/e2e/driver.h"

#include <commctrl.h>

#include <cstdio>

#include "res/resource_ids.h"

namespace tvr::e2e {

namespace {

// The dialog and box texts the driver looks for (Windows-1251, like the program's).
constexpr char kOpenDialogTitle[] = "Выбор файлов для склейки";
constexpr char kProgressCaption[] = "Объединение файлов";
constexpr int kFileNameEdit = 0x480;  // the open-file dialog's file name box (Wine 8)
constexpr int kMessageText = 0xFFFF;  // a message box's text

struct Search {
  DWORD processId;
  bool (*accept)(HWND, void*);
  void* context;
  HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[32] = {};
  if (owner != search->processId || !IsWindowVisible(window) ||
      GetClassNameA(window, className, sizeof className) == 0 ||
      lstrcmpA(className, "#32770") != 0) {
    return TRUE;
  }
  if (search->accept(window, search->context)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return path;
  std::string out = "Z:" + path;
  for (char& ch : out) {
    if (ch == '/') ch = '\\';
  }
  return out;
}

double NowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::string WindowText(HWND window) {
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HWND FindDialog(DWORD processId, bool (*accept)(HWND, void*), void* context) {
  Search search{processId, accept, context, nullptr};
  EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

ProgramRun::~ProgramRun() {
  if (process_.hProcess != nullptr) {
    // A test that failed half way must not leave the program waiting for a click.
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool ProgramRun::Start(const std::string& exe, const std::string& directory) {
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.c_str(), &startup, &process_)) {
    std::fprintf(stderr, "cannot start %s in %s: error %lu\n", exe.c_str(), directory.c_str(),
                 GetLastError());
    process_ = PROCESS_INFORMATION{};
    return false;
  }
  return true;
}

HWND ProgramRun::WaitForOpenDialog() {
  return WaitForDialog([](HWND w) { return WindowText(w) == kOpenDialogTitle; });
}

HWND ProgramRun::WaitForProgressWindow() {
  HWND found = WaitForDialog([](HWND w) {
    return WindowText(w) == kProgressCaption || GetDlgItem(w, kMessageText) != nullptr;
  });
  return found != nullptr && WindowText(found) == kProgressCaption ? found : nullptr;
}

HWND ProgramRun::WaitForMessageBox() {
  return WaitForDialog([](HWND w) { return GetDlgItem(w, kMessageText) != nullptr; });
}

bool ProgramRun::ChooseFiles(HWND dialog, const std::vector<std::string>& names) {
  std::string text;
  for (const auto& name : names) text += (text.empty() ? "\"" : " \"") + name + "\"";
  if (names.size() == 1) text = names[0];
  const HWND box = GetDlgItem(dialog, kFileNameEdit);
  if (box == nullptr || !SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) {
    return false;
  }
  return PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0) != FALSE;
}

bool ProgramRun::Cancel(HWND dialog) {
  return PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0) != FALSE;
}

ProgressState ProgramRun::ReadProgress(HWND window) {
  ProgressState state;
  state.caption = WindowText(window);
  const HWND list = GetDlgItem(window, IDC_PROGRESS_FILES);
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // Across processes Wine hands list box text over as UTF-16 whichever way it is asked,
    // so ask for that and convert to the program's code page.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) break;
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    char ansi[4096] = {};
    WideCharToMultiByte(CP_ACP, 0, item.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    state.files.emplace_back(ansi);
  }
  state.percentText = WindowText(GetDlgItem(window, IDC_PROGRESS_PERCENT));
  state.barPosition =
      static_cast<int>(SendMessageA(GetDlgItem(window, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0));
  state.doneVisible = IsWindowVisible(GetDlgItem(window, IDC_PROGRESS_DONE)) != FALSE;
  return state;
}

MessageBoxState ProgramRun::ReadMessageBox(HWND box) {
  return MessageBoxState{WindowText(box), WindowText(GetDlgItem(box, kMessageText))};
}

bool ProgramRun::WaitForDoneButton(HWND window, DWORD timeoutMs, DWORD pollMs) {
  const HWND done = GetDlgItem(window, IDC_PROGRESS_DONE);
  const double until = NowMs() + timeoutMs;
  while (done != nullptr && IsWindow(window)) {
    if (IsWindowVisible(done)) return true;
    if (NowMs() > until) return false;
    Sleep(pollMs);
  }
  return false;
}

bool ProgramRun::PressDone(HWND window) {
  return PostMessageA(GetDlgItem(window, IDC_PROGRESS_DONE), BM_CLICK, 0, 0) != FALSE;
}

bool ProgramRun::DismissMessageBox(HWND box) {
  return PostMessageA(box, WM_COMMAND, IDOK, 0) != FALSE;
}

bool ProgramRun::SaveScreenshot(HWND window, const std::string& bmpPath) {
  // The program paints on its own thread: ask for a full repaint and give it a moment, so
  // that a control just shown is on the screen too.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(200);
  RECT rect;
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  const HDC memory = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  bool ok = memory != nullptr && bitmap != nullptr;
  std::vector<unsigned char> pixels;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up, as a BMP file stores it
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  info.biSizeImage = stride * static_cast<DWORD>(height);
  if (ok) {
    const HGDIOBJ old = SelectObject(memory, bitmap);
    ok = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    SelectObject(memory, old);
    pixels.resize(info.biSizeImage);
    ok = ok && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!ok) return false;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  FILE* out = std::fopen(bmpPath.c_str(), "wb");
  if (out == nullptr) return false;
  ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
       std::fwrite(&info, sizeof info, 1, out) == 1 &&
       std::fwrite(pixels.data(), pixels.size(), 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}

bool ProgramRun::WaitForExit(DWORD* exitCode, DWORD timeoutMs) {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_.hProcess, exitCode) != FALSE;
}

}  // namespace tvr::e2e

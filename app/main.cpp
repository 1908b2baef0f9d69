// The program's entry point: choose the recordings, join them, end.
#include <windows.h>

#include <cstdio>

#include "app/select_dialog.h"
#include "app/selection.h"
#include "merge/merge.h"
#include "recording/scan.h"
#include "trace/trace_log.h"
#include "ui/progress_window.h"

namespace {

// Too large for the stack of a program that only ever has one of each.
tvr::FileTable table;
char message[tvr::kSelectionBufferSize + 256];

void ShowError(const char* text) {
  tvr::SystemPlatform().ShowMessage(text, tvr::kErrorCaption, tvr::kMbIconError);
}

// Fills the table from the dialog's answer; false (after telling the user) when the
// selection cannot be joined.
bool TakeSelection(tvr::DialogOutcome outcome) {
  if (outcome == tvr::DialogOutcome::kTooMany) {
    ShowError(tvr::kTooManyFilesText);
    return false;
  }
  const tvr::SelectionResult result = tvr::ParseSelection(tvr::selectionBuffer, '\\', table);
  switch (result.status) {
    case tvr::SelectionStatus::kOk:
      break;
    case tvr::SelectionStatus::kTooMany:
      ShowError(tvr::kTooManyFilesText);
      return false;
    case tvr::SelectionStatus::kPathTooLong: {
      char path[tvr::kSelectionBufferSize];
      if (*result.name == '\0' ||
          !tvr::JoinPath(result.directory, result.name, '\\', path, sizeof path)) {
        std::snprintf(path, sizeof path, "%s", result.directory);
      }
      std::snprintf(message, sizeof message, tvr::kPathTooLongText, path);
      ShowError(message);
      return false;
    }
  }
  if (table.count < 2) {
    ShowError(tvr::kTooFewFilesText);
    return false;
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR /*lpCmdLine*/,
                   int /*nCmdShow*/) {
  tvr::instanceHandle = hInstance;
  tvr::Platform& platform = tvr::SystemPlatform();
  tvr::TraceLog trace(platform);
  trace.Create();

  const tvr::DialogOutcome outcome =
      tvr::SelectRecordings(tvr::kSelectTitle, tvr::kSelectFilter, tvr::kSelectPattern);
  if (outcome != tvr::DialogOutcome::kCancelled && TakeSelection(outcome)) {
    static tvr::ProgressWindow progress;
    static tvr::MergeContext context{platform, trace, table, &progress, {}, {}};
    tvr::MergeRecordings(context);  // every outcome has been shown to the user already
  }
  return 0;
}

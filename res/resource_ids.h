// Names and numbers shared by the resource script and the code that uses its resources.
#pragma once

#define IDI_TVRJOIN 1

// The progress dialog, template "OPENPERS", and its controls.
#define IDC_PROGRESS_DONE 1004
#define IDC_PROGRESS_FILES 1005
#define IDC_PROGRESS_BAR 1111
#define IDC_PROGRESS_PERCENT 1112
#define IDC_PROGRESS_PERCENT_SIGN 1113

// The Join page (dialog IDD_JOIN): a segment of a set, an output directory and
// name, the set's summary, and the start, pause and cancel of a join.
#pragma once

#include <windows.h>

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

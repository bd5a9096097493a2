// The Split page (dialog IDD_SPLIT): source, output directory and plan, the
// live displays, and the start, pause and cancel of a split.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

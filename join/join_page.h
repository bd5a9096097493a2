// The Join page (dialog 106).
#pragma once

#include <windows.h>

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

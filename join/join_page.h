// The Join page (dialog 106): a segment of a set, an output directory and
// name, the set's summary, and the start, pause and cancel of a join.
#pragma once

#include "join/join_engine.h"
#include "ui/job_dialogs.h"

#include <windows.h>

// What the page keeps for the life of the program.
struct JoinPageState {
    JoinRequest request;
    JobControl control;
    JobProgress progress;
    WindowPrompt prompt;
    JoinThreadArgs args { request, control, progress, prompt };
    HANDLE worker = nullptr;
    WNDPROC previousSourceProc = nullptr;
    RECT clientRect {};
};
JoinPageState& joinPageState();

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

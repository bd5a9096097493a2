// The Split page (dialog 105): source, output directory and plan, the live
// displays, and the start, pause and cancel of a split.
#pragma once

#include "split/split_engine.h"
#include "ui/job_dialogs.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

// What the page keeps for the life of the program.
struct SplitPageState {
    SplitRequest request;
    SplitPlan plan;
    JobControl control;
    JobProgress progress;
    WindowPrompt prompt;
    SplitThreadArgs args { request, plan, control, progress, prompt };
    HANDLE worker = nullptr;
    std::int64_t shownSourceSize = 0;
    WNDPROC previousSourceProc = nullptr;
    RECT clientRect {};
};
SplitPageState& splitPageState();

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Shared with the Join page, on the same control ids: the free space of the
// directory in 1007 shown in 1011, and 1007 filled from the path in 1004.
void ShowFreeSpace(HWND page);
void FillOutputDirFromSource(HWND page);

// A dropped file's whole path, never cut; false unless exactly one file was
// dropped. Finishes the drop either way.
bool TakeSingleDroppedPath(HDROP drop, std::string& path);

// The status panel that both working pages carry: the job's figures, shown at
// each tick of the main window's job timer while a job runs, and the idle
// panel with its one line on how the last job ended.
#pragma once

#include "core/job_control.h"

#include <windows.h>

#include <string>

constexpr int PROGRESS_RANGE = 1000; // the bar counts tenths of a percent

// What a page's job shows at a tick, for the main window's title and taskbar
// button.
struct JobView {
    bool running = false;       // the page's worker has not ended
    bool showsProgress = false; // it has begun its job: the panel shows its figures
    unsigned percent = 0;       // whole percent done, cut, never rounded: 100 only at the end
    bool paused = false;
};

// Fills the panel from a snapshot of the progress and gives what the title
// shows of it. Until the worker has begun its job (it may first refuse it),
// the panel stays blank and there is nothing to cancel or pause.
JobView ShowProgress(JobProgress& progress, HWND page, JobControl& control);

// Returns the panel to idle: its texts empty, the bar at 0, the button "Pause".
void ResetStatusPanel(HWND page);

// The idle panel's one line on how the last job ended (a cancel, a No at the
// overwrite question) and what it left on disk; "" hides it.
void ShowOutcome(HWND page, const std::string& line);

// The status panel that both working pages carry, driven once a second by the
// page's timer while a job runs, and the table of which controls a page offers
// while a job runs and while it is idle.
#pragma once

#include "core/job_control.h"

#include <windows.h>

#include <string>

constexpr int PROGRESS_RANGE = 1000; // the bar counts tenths of a percent

enum class JobTick {
    Running,   // the worker runs; its progress is shown
    Completed, // it has ended with its job complete; the inputs are emptied
    Stopped,   // it has ended early: a cancel, a No, a failure; the inputs stay
};

// One tick of the page's timer. Once the worker has ended, the timer is
// stopped too. A failing wait counts as an ended worker.
JobTick StatusTick(HANDLE worker, HWND page, JobProgress& progress, JobControl& control);

// Fills the panel and the main window's title from a snapshot of the progress.
// Until the worker has begun its job (it may first refuse it), the panel
// stays blank and there is nothing to cancel or pause.
void ShowProgress(JobProgress& progress, HWND page, JobControl& control);

// The idle panel's one line on how the last job ended (a cancel, a No at the
// overwrite question) and what it left on disk; "" hides it.
void ShowOutcome(HWND page, const std::string& line);

// Returns the page, the panel and the title to idle.
void ResetStatusPanel(HWND page, bool isJoinPage);

// Enables, disables, shows and hides the page's controls for a running job or
// for an idle page.
void SetJobControls(HWND page, bool jobRunning, bool isJoinPage);

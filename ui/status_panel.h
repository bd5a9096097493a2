// The status panel that both working pages carry, driven once a second by the
// page's timer while a job runs, and the table of which controls a page offers
// while a job runs and while it is idle.
#pragma once

#include "core/job_control.h"

#include <windows.h>

constexpr int PROGRESS_RANGE = 1000; // the bar counts tenths of a percent

// True while the worker runs (after showing its progress); false once it has
// ended: then the page's inputs are emptied if the job completed, and the
// timer is stopped. A failing wait counts as an ended worker.
bool StatusTick(HANDLE worker, HWND page, JobProgress& progress, JobControl& control);

// Fills the panel and the main window's title from a snapshot of the progress.
// Until the worker has begun its job (it may first refuse it), the panel
// stays blank and there is nothing to cancel or pause.
void ShowProgress(JobProgress& progress, HWND page, JobControl& control);

// Returns the page, the panel and the title to idle.
void ResetStatusPanel(HWND page, bool isJoinPage);

// Enables, disables, shows and hides the page's controls for a running job or
// for an idle page.
void SetJobControls(HWND page, bool jobRunning, bool isJoinPage);

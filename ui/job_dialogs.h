// The window program's side of the worker-to-user seam: message boxes with no
// owner window and the overwrite question (dialog IDD_OVERWRITE), shown on the calling
// thread, which is the worker's own.
#pragma once

#include "core/job_control.h"
#include "core/user_prompt.h"

#include <windows.h>

#include <string>

// The page's status timer (one tick a second while a job runs).
constexpr UINT_PTR STATUS_TIMER_ID = 109;
constexpr UINT STATUS_TIMER_INTERVAL_MS = 1000;

// Shows dialog IDD_OVERWRITE modally with no owner, in front of every window, and gives IDYES (6),
// IDC_YES_TO_ALL ("Yes To All") or IDNO (7; also Esc). When the dialog cannot be created at all the
// answer is IDNO: nothing is replaced that the user was not asked about.
int promptOverwrite(const std::string& path);

class WindowPrompt final : public UserPrompt {
public:
    // The main window, told (posted: the caller may be a worker) when a
    // failure message opens and when it is dismissed, for its taskbar button;
    // nullptr for a prompt that reports no failures.
    HWND taskbarWindow = nullptr;
    // The file of the last overwrite question answered No: the job stopped
    // there. Written by the worker; read once it has ended, emptied before
    // the next job starts.
    std::string refusedPath;

    // An error: a task-modal box with OK (and the taskbar's error state while
    // it is open); a completion: a box with OK; a question: Yes and No.
    int show(const Message& message) override;
    int askOverwrite(const std::string& path) override;
};

// The page-side operations that touch windows. Each works on the page's
// JobControl as the portable operations of the same name do.

// Flips paused and relabels the page's button IDC_PAUSE "Resume" or "Pause".
void TogglePause(HWND page, JobControl& control);
// Asks "Are you sure you want to cancel?" in a message box with no owner.
void ConfirmCancel(JobControl& control);
// Asks "Are you sure you want to exit?" while `worker` still runs.
bool ConfirmExit(JobControl& control, HANDLE worker);
// The page's closing: stops the status timer, stops the job, waits for the worker
// (AwaitWorker), closes its handle (and sets it to nullptr) and ends the page's dialog.
void StopWorker(HWND page, JobControl& control, HANDLE& worker);

// Waits until the worker ends, once its job has been told to stop. A worker
// that waits in a box of its own (its last message, a failure, a question)
// would never end: every tenth of a second such a box is answered, No where it
// can be, so the wait ends within moments of the job's next block.
void AwaitWorker(HANDLE worker);

// Whether the worker behind `worker` has not ended yet (a wait of 0 times out).
bool WorkerRunning(HANDLE worker);

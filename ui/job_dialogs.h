// The window program's side of the worker-to-user seam: message boxes with no
// owner window and the overwrite question (dialog IDD_OVERWRITE), shown on the calling
// thread, which is the worker's own.
#pragma once

#include "core/user_prompt.h"

#include <windows.h>

#include <string>

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

// Message boxes, the overwrite question and the page-side job operations of
// the window program: see job_dialogs.h.
#include "ui/job_dialogs.h"

#include "res/resource.h"
#include "ui/taskbar_progress.h"
#include "ui/text_win32.h"

static_assert(ANSWER_OK == IDOK && ANSWER_YES == IDYES && ANSWER_NO == IDNO);
static_assert(ANSWER_YES_TO_ALL == IDC_YES_TO_ALL);

static INT_PTR CALLBACK OverwriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        setItemTextFormat(dialog, IDC_OVERWRITE_TEXT, "File:\r\n\r\n%s\r\n\r\nalready exists.  Overwrite?",
                          reinterpret_cast<const char*>(lParam));
        return TRUE; // default focus: "Yes"
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        EndDialog(dialog, id == IDCANCEL ? IDNO : id);
        return TRUE;
    }
    default: return FALSE;
    }
}

int promptOverwrite(const std::string& path) {
    const INT_PTR answer =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OVERWRITE), nullptr,
                        OverwriteDialogProc, reinterpret_cast<LPARAM>(path.c_str()));
    if (answer == IDYES || answer == IDC_YES_TO_ALL) return static_cast<int>(answer);
    return IDNO;
}

// The message box style of each kind of message.
static UINT BoxStyle(const Message& message) {
    switch (message.kind) {
    case MessageKind::Error: return MB_OK | MB_TASKMODAL;
    case MessageKind::Completion: return MB_OK;
    case MessageKind::Question: return MB_YESNO | (message.defaultNo ? MB_DEFBUTTON2 : 0);
    }
    return MB_OK;
}

int WindowPrompt::show(const Message& message) {
    const bool failure = taskbarWindow && message.kind == MessageKind::Error;
    if (failure) PostMessageA(taskbarWindow, MSG_TASKBAR_FAILURE, 1, 0);
    const int answer = MessageBoxA(nullptr, message.text.c_str(), message.caption.c_str(), BoxStyle(message));
    if (failure) PostMessageA(taskbarWindow, MSG_TASKBAR_FAILURE, 0, 0);
    return answer;
}

int WindowPrompt::askOverwrite(const std::string& path) { return promptOverwrite(path); }

void TogglePause(HWND page, JobControl& control) {
    TogglePause(control,
                [page](bool paused) { SetDlgItemTextA(page, IDC_PAUSE, paused ? "Resume" : "Pause"); });
}

void ConfirmCancel(JobControl& control) {
    WindowPrompt prompt;
    ConfirmCancel(control, prompt);
}

bool WorkerRunning(HANDLE worker) { return worker && WaitForSingleObject(worker, 0) == WAIT_TIMEOUT; }

bool ConfirmExit(JobControl& control, HANDLE worker) {
    WindowPrompt prompt;
    return ConfirmExit(control, WorkerRunning(worker), prompt);
}

void StopWorker(HWND page, JobControl& control, HANDLE& worker) {
    KillTimer(page, STATUS_TIMER_ID);
    RequestStop(control);
    if (WorkerRunning(worker)) WaitForSingleObject(worker, INFINITE);
    if (worker) CloseHandle(worker);
    worker = nullptr;
    EndDialog(page, 0);
}

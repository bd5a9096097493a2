// Message boxes and the overwrite question of the window program: see
// job_dialogs.h.
#include "ui/job_dialogs.h"

#include "res/resource.h"
#include "ui/messages.h"
#include "ui/text_win32.h"

static_assert(ANSWER_OK == IDOK && ANSWER_YES == IDYES && ANSWER_NO == IDNO);
static_assert(ANSWER_YES_TO_ALL == IDC_YES_TO_ALL);

namespace {

// While it lives, the boxes and dialogs that the calling thread opens go in
// front of every window and stay there: with no owner, a box would otherwise
// be buried by a click on the main window, and its job would seem to hang
// with it. (MB_TOPMOST asks the same of a message box, but not every system
// honours it, and the overwrite question is no message box.)
class InFront {
public:
    InFront() : hook_(SetWindowsHookExA(WH_CALLWNDPROCRET, Raise, nullptr, GetCurrentThreadId())) {}
    ~InFront() {
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    InFront(const InFront&) = delete;
    InFront& operator=(const InFront&) = delete;

private:
    static LRESULT CALLBACK Raise(int code, WPARAM wParam, LPARAM lParam) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        if (code == HC_ACTION && call->message == WM_INITDIALOG &&
            !(GetWindowLongA(call->hwnd, GWL_STYLE) & WS_CHILD))
            SetWindowPos(call->hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK hook_;
};

} // namespace

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
    const InFront inFront;
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
    int answer = 0;
    {
        const InFront inFront;
        answer = MessageBoxA(nullptr, message.text.c_str(), message.caption.c_str(),
                             BoxStyle(message) | MB_SETFOREGROUND | MB_TOPMOST);
    }
    if (failure) PostMessageA(taskbarWindow, MSG_TASKBAR_FAILURE, 0, 0);
    // Only Yes is a Yes: Esc, or the box closed otherwise, answers No.
    if (message.kind == MessageKind::Question && answer != IDYES) answer = IDNO;
    return answer;
}

int WindowPrompt::askOverwrite(const std::string& path) {
    const int answer = promptOverwrite(path);
    if (answer == IDNO) refusedPath = path;
    return answer;
}

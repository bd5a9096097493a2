// The Split and Join pages' shared skeleton: see job_page.h.
#include "ui/job_page.h"

#include "core/display_format.h"
#include "core/segment_name.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/display_scale.h"
#include "ui/main_window.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <shellapi.h>

JobPageState* jobPageState(HWND page) {
    return reinterpret_cast<JobPageState*>(GetWindowLongPtrA(page, GWLP_USERDATA));
}

// A dropped file's whole path, never cut; false unless exactly one file was
// dropped. Finishes the drop either way.
static bool TakeSingleDroppedPath(HDROP drop, std::string& path) {
    const bool single = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0) == 1;
    if (single) {
        // Exactly as long as the path: a fixed buffer would cut a long path (or
        // a UTF-8 one, whose characters take several bytes) to another name.
        const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
        std::string buffer(length + 1, '\0');
        DragQueryFileA(drop, 0, &buffer[0], length + 1);
        path = buffer.c_str();
    }
    DragFinish(drop);
    return single;
}

// The source field: Enter and a drop do the page's work; the field never holds
// a line break.
static LRESULT CALLBACK SourceFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND page = GetParent(field);
    const JobPageState& state = *jobPageState(page);
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) state.onSourceEnter(page);
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN) return 0;
        break;
    case WM_DROPFILES: {
        std::string path;
        if (TakeSingleDroppedPath(reinterpret_cast<HDROP>(wParam), path)) {
            SetWindowTextA(field, path.c_str());
            state.onSourceDropped(page, path);
        }
        break;
    }
    default: break;
    }
    return CallWindowProcA(state.previousSourceProc, field, message, wParam, lParam);
}

void InitJobPage(HWND page, JobPageState* state) {
    SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    GetClientRect(page, &state->clientRect);
    state->dpi = windowDpi(page);
    state->prompt.taskbarWindow = GetParent(page);
    state->previousSourceProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetDlgItem(page, IDC_SOURCE), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SourceFieldProc)));
    installTextProgressBar(GetDlgItem(page, IDC_PROGRESS));
    SendDlgItemMessageA(page, IDC_PROGRESS, MSG_TEXT_BAR_INIT, 0, 0);
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETBARCOLOR, 0, rgb(175, 175, 255));
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETBKCOLOR, 0, rgb(230, 230, 255));
    SetJobControls(page, false, state->isJoinPage);
}

void ShowFreeSpace(HWND page) {
    const std::string directory = itemText(page, IDC_OUTPUT_DIR);
    SetDlgItemTextA(page, IDC_FREE_SPACE, "");
    std::uint64_t available = 0;
    if (platform::isDirectory(directory) && platform::freeBytesAvailable(directory, available))
        SetDlgItemTextA(page, IDC_FREE_SPACE, FormatSize(available, FREE_SPACE_TEMPLATES).c_str());
}

void FillOutputDirFromSource(HWND page) {
    PathParts parts;
    parts.split(itemText(page, IDC_SOURCE));
    const std::string directory = parts.drive + parts.directory;
    if (!directory.empty() && platform::isDirectory(directory))
        SetDlgItemTextA(page, IDC_OUTPUT_DIR, directory.c_str());
}

void ShowInputProblem(HWND page, const std::string& text) {
    MessageBoxA(page, text.c_str(), "Error:", MB_TASKMODAL);
}

void StartJobThread(HWND page, LPTHREAD_START_ROUTINE routine, void* args, const char* failure) {
    JobPageState& state = *jobPageState(page);
    SetJobControls(page, true, state.isJoinPage);
    // No worker runs: the records are the page's alone. Until the new worker
    // begins its job they hold none, so the panel shows nothing of the last.
    BeginJob(state.progress, 0, 0);
    if (state.worker) CloseHandle(state.worker); // only the most recent worker is ever asked about
    state.worker = CreateThread(nullptr, 0, routine, args, 0, nullptr);
    if (!state.worker) {
        ResetStatusPanel(page, state.isJoinPage);
        MessageBoxA(page, failure, "Error:", MB_TASKMODAL);
        return;
    }
    SetTimer(page, STATUS_TIMER_ID, STATUS_TIMER_INTERVAL_MS, nullptr);
}

bool HandleJobPageCommand(HWND page, int id, int code) {
    JobPageState& state = *jobPageState(page);
    switch (id) {
    case IDC_BROWSE_OUTPUT:
        browseForOutputDirectory(page);
        ShowFreeSpace(page);
        return true;
    case IDC_OUTPUT_DIR:
        if (code == EN_UPDATE) ShowFreeSpace(page);
        return true;
    case IDC_CANCEL: ConfirmCancel(state.control); return true;
    case IDC_PAUSE: TogglePause(page, state.control); return true;
    default: return false;
    }
}

// The exit question, on the job's own page: the two pages' questions read
// alike. A Yes leaves the job held until the pages close or the close is
// refused (OnExitRefused).
static bool OnConfirmExit(HWND page, JobPageState& state) {
    const bool running = WorkerRunning(state.worker);
    if (running) SendMessageA(GetParent(page), MSG_SHOW_PAGE, 0, reinterpret_cast<LPARAM>(page));
    state.pausedBeforeExit = IsPaused(state.control);
    const bool mayClose = ConfirmExit(state.control, state.worker);
    state.heldForExit = running && mayClose;
    return mayClose;
}

// The other page said No: a job held for this page's Yes goes on as before
// the question, paused or not, its button labelled to match.
static void OnExitRefused(HWND page, JobPageState& state) {
    if (state.heldForExit && IsPaused(state.control) != state.pausedBeforeExit)
        TogglePause(page, state.control);
    state.heldForExit = false;
}

bool HandleJobPageMessage(HWND page, UINT message, WPARAM wParam, INT_PTR& result) {
    JobPageState* state = jobPageState(page);
    if (!state) return false;
    result = TRUE;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        paintHeaderGradient(dc, state->clientRect, state->dpi);
        EndPaint(page, &paint);
        return true;
    }
    case WM_CLOSE:
        releaseHeaderPens();
        StopWorker(page, state->control, state->worker);
        return true;
    case WM_NCDESTROY:
        // A page destroyed without WM_CLOSE still stops and waits for its worker,
        // which borrows this record.
        RequestStop(state->control);
        if (state->worker) {
            AwaitWorker(state->worker);
            CloseHandle(state->worker);
        }
        SetWindowLongPtrA(page, GWLP_USERDATA, 0);
        delete state;
        return false;
    case MSG_CONFIRM_EXIT:
        *reinterpret_cast<unsigned char*>(wParam) = OnConfirmExit(page, *state) ? 1 : 0;
        return true;
    case MSG_EXIT_REFUSED: OnExitRefused(page, *state); return true;
    case WM_TIMER:
        if (!StatusTick(state->worker, page, state->progress, state->control))
            ResetStatusPanel(page, state->isJoinPage);
        return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<INT_PTR>(whiteBrush);
        return true;
    case WM_CTLCOLORDLG: result = reinterpret_cast<INT_PTR>(whiteBrush); return true;
    default: return false;
    }
}

INT_PTR JobPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam, void (*init)(HWND, const char*),
                    BOOL (*onCommand)(HWND, int id, int code)) {
    INT_PTR result = FALSE;
    switch (message) {
    case WM_INITDIALOG: init(page, reinterpret_cast<const char*>(lParam)); return TRUE;
    case WM_COMMAND: return jobPageState(page) ? onCommand(page, LOWORD(wParam), HIWORD(wParam)) : FALSE;
    default: return HandleJobPageMessage(page, message, wParam, result) ? result : FALSE;
    }
}

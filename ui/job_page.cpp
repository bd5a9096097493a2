// The Split and Join pages' shared skeleton: see job_page.h.
#include "ui/job_page.h"

#include "core/display_format.h"
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/display_scale.h"
#include "ui/main_window.h"
#include "ui/messages.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

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
        ShowOutcome(page, ""); // an input, though the field sends no EN_UPDATE for it
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

// The page's controls for a running job or an idle page: the inputs locked
// while a job runs, Cancel and Pause offered, the panel's first row shown.
static void SetJobControls(HWND page, bool jobRunning) {
    auto enable = [page](int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); };
    auto show = [page](int id, bool on) { ShowWindow(GetDlgItem(page, id), on ? SW_SHOW : SW_HIDE); };
    for (int id : { IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_OUTPUT_DIR, IDC_BROWSE_OUTPUT, IDC_START })
        enable(id, !jobRunning);
    enable(IDC_CANCEL, jobRunning);
    enable(IDC_PAUSE, jobRunning);
    show(IDC_STATUS_BYTES, jobRunning);
    show(IDC_STATUS_FILE, jobRunning);
    jobPageState(page)->enableOwnInputs(page, !jobRunning);
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
    SetJobControls(page, false);
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

// The file part of a path, as the shell finds it.
static std::string FileNameOf(const std::string& path) { return PathFindFileNameA(path.c_str()); }

std::string NotReplacedLine(const std::string& refused, const char* rest) {
    return formatted("Stopped: %s was not replaced; %s.", FileNameOf(refused).c_str(), rest);
}

// ---- The page's job: started, ticked and stopped here only ------------------

// Whether the worker behind `worker` has not ended yet (a wait of 0 times
// out; a failing wait counts as ended).
static bool WorkerRunning(HANDLE worker) { return worker && WaitForSingleObject(worker, 0) == WAIT_TIMEOUT; }

void StartJob(HWND page, LPTHREAD_START_ROUTINE routine, void* args, const char* failure) {
    JobPageState& state = *jobPageState(page);
    SetJobControls(page, true);
    // No worker runs: the records are the page's alone. Until the new worker
    // begins its job they hold none, so the panel shows nothing of the last.
    BeginJob(state.progress, 0, 0);
    state.prompt.refusedPath.clear();
    GetSystemTimeAsFileTime(&state.jobStarted);
    state.worker = CreateThread(nullptr, 0, routine, args, 0, nullptr);
    if (!state.worker) {
        SetJobControls(page, false);
        MessageBoxA(page, failure, "Error:", MB_TASKMODAL);
        return;
    }
    SendMessageA(GetParent(page), MSG_JOB_STARTED, 0, 0);
}

// The temporary file beside `finalPath` ("NAME.partial", "NAME.partial2", ...)
// written last, if that was after `since` (less a second: file times may come
// from a coarser clock): the one the job wrote. An older one is an earlier
// job's, still there because nothing is ever deleted. "" when none is found.
static std::string PartialWrittenSince(const std::string& finalPath, const FILETIME& since) {
    constexpr ULONGLONG TICKS_PER_SECOND = 10000000; // FILETIME counts 100 ns
    const ULONGLONG earliest =
        (ULONGLONG { since.dwHighDateTime } << 32 | since.dwLowDateTime) - TICKS_PER_SECOND;
    const std::string partial = FileNameOf(finalPath) + PARTIAL_SUFFIX;
    std::string newest;
    ULONGLONG newestTime = earliest;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((finalPath + PARTIAL_SUFFIX + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    do {
        const std::string name = found.cFileName;
        const bool ours = name.compare(0, partial.size(), partial) == 0 &&
                          name.find_first_not_of("0123456789", partial.size()) == std::string::npos;
        const ULONGLONG written =
            ULONGLONG { found.ftLastWriteTime.dwHighDateTime } << 32 | found.ftLastWriteTime.dwLowDateTime;
        if (ours && written >= newestTime) {
            newest = name;
            newestTime = written;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return newest;
}

// The one line a job that stopped early leaves in its panel: what stopped it
// and what it left on disk. "" after a failure, whose message has said so.
static std::string StoppedJobLine(HWND page, JobPageState& state) {
    if (!state.prompt.refusedPath.empty()) return state.stoppedAtNo(page, state.prompt.refusedPath);
    if (!CancelRequested(state.control)) return "";
    const std::string partial = PartialWrittenSince(
        state.outputPath(page, ReadSnapshot(state.progress).currentFile), state.jobStarted);
    return partial.empty() ? "Cancelled."
                           : formatted("Cancelled: %s keeps what was written.", partial.c_str());
}

// One tick of the main window's job timer: the job's figures while its worker
// runs (and what the title shows of them, in `view`); at the first tick after
// it has ended, the page back to idle, with the fields emptied after a
// complete job, or the line on what a stopped one left.
static void OnJobTick(HWND page, JobPageState& state, JobView& view) {
    if (!state.worker) return;
    if (WorkerRunning(state.worker)) {
        view = ShowProgress(state.progress, page, state.control);
        return;
    }
    CloseHandle(state.worker);
    state.worker = nullptr;
    const bool completed = TakeFinished(state.progress, [&] {
        for (int id : state.clearedAfterJob) SetDlgItemTextA(page, id, "");
    });
    SetJobControls(page, false);
    ResetStatusPanel(page);
    if (!completed) ShowOutcome(page, StoppedJobLine(page, state));
}

// Answers a box or dialog that a worker has open with its negative answer
// where it has one (No, Cancel: nothing is replaced that was not agreed to),
// else OK.
static BOOL CALLBACK EndWorkerBox(HWND window, LPARAM) {
    char name[8] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    for (int id : { IDNO, IDCANCEL, IDOK })
        if (HWND button = GetDlgItem(window, id)) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
            break;
        }
    return TRUE;
}

// The one way a page ends its job itself (the window closes, the page goes):
// told to stop at its next block, and waited for. A worker that waits in a box
// of its own (its last message, a failure, a question) would never end: every
// tenth of a second such a box is answered, No where it can be, so the wait
// ends within moments of the job's next block.
static void StopJob(JobPageState& state) {
    RequestStop(state.control);
    if (!state.worker) return;
    constexpr DWORD BOX_CHECK_MS = 100;
    const DWORD thread = GetThreadId(state.worker);
    for (;;) {
        // Messages that other threads send to this one are handled meanwhile:
        // a worker's box may send to the window while it opens or closes.
        const DWORD wait = MsgWaitForMultipleObjects(1, &state.worker, FALSE, BOX_CHECK_MS, QS_SENDMESSAGE);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_FAILED) break;
        MSG message;
        if (wait == WAIT_OBJECT_0 + 1)
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        else if (thread)
            EnumThreadWindows(thread, EndWorkerBox, 0);
    }
    CloseHandle(state.worker);
    state.worker = nullptr;
}

// Pause/Resume: flips the job's pause and labels the button to match.
static void TogglePauseButton(HWND page, JobControl& control) {
    TogglePause(control,
                [page](bool paused) { SetDlgItemTextA(page, IDC_PAUSE, paused ? "Resume" : "Pause"); });
}

// The exit question, on the job's own page: the two pages' questions read
// alike. A Yes leaves the job held until the pages close or the close is
// refused (OnExitRefused).
static bool OnConfirmExit(HWND page, JobPageState& state) {
    const bool running = WorkerRunning(state.worker);
    if (running) SendMessageA(GetParent(page), MSG_SHOW_PAGE, 0, reinterpret_cast<LPARAM>(page));
    state.pausedBeforeExit = IsPaused(state.control);
    WindowPrompt asker;
    const bool mayClose = ConfirmExit(state.control, running, asker);
    state.heldForExit = running && mayClose;
    return mayClose;
}

// The other page said No: a job held for this page's Yes goes on as before
// the question, paused or not, its button labelled to match.
static void OnExitRefused(HWND page, JobPageState& state) {
    if (state.heldForExit && IsPaused(state.control) != state.pausedBeforeExit)
        TogglePauseButton(page, state.control);
    state.heldForExit = false;
}

// ---- Commands and messages ----------------------------------------------------

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
    case IDC_CANCEL: {
        WindowPrompt asker;
        ConfirmCancel(state.control, asker);
        return true;
    }
    case IDC_PAUSE: TogglePauseButton(page, state.control); return true;
    default: return false;
    }
}

// The messages both working pages treat alike; true when it did, with the
// dialog procedure's result in `result`.
static bool HandleJobPageMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
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
        StopJob(*state);
        EndDialog(page, 0);
        return true;
    case WM_NCDESTROY:
        // A page destroyed without WM_CLOSE still stops and waits for its
        // worker, which borrows this record.
        StopJob(*state);
        SetWindowLongPtrA(page, GWLP_USERDATA, 0);
        delete state;
        return false;
    case MSG_CONFIRM_EXIT:
        *reinterpret_cast<unsigned char*>(wParam) = OnConfirmExit(page, *state) ? 1 : 0;
        return true;
    case MSG_EXIT_REFUSED: OnExitRefused(page, *state); return true;
    case MSG_JOB_TICK: OnJobTick(page, *state, *reinterpret_cast<JobView*>(lParam)); return true;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        result = reinterpret_cast<INT_PTR>(whiteBrush);
        return true;
    case WM_CTLCOLORDLG: result = reinterpret_cast<INT_PTR>(whiteBrush); return true;
    default: return false;
    }
}

// Whether a command says the user changed an input or pressed a button: a
// text edited, a button clicked, an entry chosen.
static bool IsInput(int code) {
    return code == EN_UPDATE || code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITUPDATE;
}

INT_PTR JobPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam, void (*init)(HWND, const char*),
                    BOOL (*onCommand)(HWND, int id, int code)) {
    INT_PTR result = FALSE;
    switch (message) {
    case WM_INITDIALOG: init(page, reinterpret_cast<const char*>(lParam)); return TRUE;
    case WM_COMMAND:
        if (!jobPageState(page)) return FALSE;
        if (IsInput(HIWORD(wParam))) ShowOutcome(page, ""); // the last job's line stays until then
        return onCommand(page, LOWORD(wParam), HIWORD(wParam));
    default: return HandleJobPageMessage(page, message, wParam, lParam, result) ? result : FALSE;
    }
}

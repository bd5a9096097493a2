// The Join page (dialog 106): see join_page.h. The dialog procedure is a thin
// switch; each message and command has a named handler below it.
#include "join/join_page.h"

#include "core/display_format.h"
#include "core/segment_name.h"
#include "join/segment_discovery.h"
#include "res/resource.h"
#include "split/split_page.h"
#include "ui/dialog_helpers.h"
#include "ui/job_page.h"
#include "ui/main_window.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

JoinPageState& joinPageState() {
    static JoinPageState state; // created with the page's first message, kept for the program's life
    return state;
}

static JobPage jobPage() {
    JoinPageState& state = joinPageState();
    return { state.control, state.progress, state.worker, state.clientRect, true };
}

namespace {

int messageBoxError(HWND page, const char* text) { return MessageBoxA(page, text, "Error:", MB_TASKMODAL); }

// The source file's name recovered from a segment path: movie.avi for
// D:\video\movie.avi.03_of_12.
std::string SourceNameOf(const std::string& segmentPath) {
    const SegmentPathParts parts(segmentPath);
    return parts.name + parts.extension;
}

} // namespace

// The count and total size of the set that 1004 names, in 1027; empty when the
// text names no segment, nothing is found, or the set holds no bytes.
static void RefreshJoinSummary(HWND page) {
    SetDlgItemTextA(page, IDC_SUMMARY, "");
    const std::string path = itemText(page, IDC_SOURCE);
    if (!isSegmentPath(path) || !PathFileExistsA(path.c_str())) return;
    const SegmentSet set = DiscoverSegments(path);
    if (set.empty()) return;
    std::uint64_t total = 0;
    for (const auto& entry : set) total += static_cast<std::uint64_t>(entry.second);
    if (total == 0) return;
    SetDlgItemTextA(page, IDC_SUMMARY,
                    FormatSetSummary(static_cast<std::uint32_t>(set.size()), total).c_str());
}

// The three ways of filling the source differ: a drop fills the output
// directory and name, Enter the directory and (when the segment's name has an
// extension) the name, Browse... neither.
static LRESULT CALLBACK JoinSourceFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND page = GetParent(field);
    const WNDPROC previous = joinPageState().previousSourceProc;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            FillOutputDirFromSource(page);
            ShowFreeSpace(page);
            const SegmentPathParts parts(windowText(field));
            if (!parts.extension.empty())
                SetDlgItemTextA(page, IDC_OUTPUT_NAME, (parts.name + parts.extension).c_str());
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN) return 0; // the field never holds a line break
        break;
    case WM_DROPFILES: {
        std::string path;
        if (TakeSingleDroppedPath(reinterpret_cast<HDROP>(wParam), path)) {
            SetWindowTextA(field, path.c_str());
            RefreshJoinSummary(page);
            FillOutputDirFromSource(page);
            ShowFreeSpace(page);
            SetDlgItemTextA(page, IDC_OUTPUT_NAME, SourceNameOf(path).c_str());
        }
        break;
    }
    default: break;
    }
    return CallWindowProcA(previous, field, message, wParam, lParam);
}

static bool ValidateJoinRequest(HWND page, JoinRequest& request) {
    request.sourcePath = itemText(page, IDC_SOURCE);
    if (request.sourcePath.empty())
        return messageBoxError(page, "Please enter an input split file path."), false;
    if (!PathFileExistsA(request.sourcePath.c_str()))
        return messageBoxError(page, "The specified input file does not exist."), false;
    if (!isSegmentPath(request.sourcePath))
        return messageBoxError(page, "Please enter a valid split file pathname."), false;
    request.outputDir = itemText(page, IDC_OUTPUT_DIR);
    if (request.outputDir.empty()) return messageBoxError(page, "Please enter an output directory."), false;
    if (!PathIsDirectoryA(request.outputDir.c_str()))
        return messageBoxError(page, "The specified output directory does not exist."), false;
    request.outputFileName = itemText(page, IDC_OUTPUT_NAME);
    if (request.outputFileName.empty())
        return messageBoxError(page, "Please enter an output filename."), false;
    return true;
}

static DWORD WINAPI JoinWorkerThread(LPVOID parameter) {
    JoinWorker(*static_cast<JoinThreadArgs*>(parameter));
    return 0;
}

static void StartJoin(HWND page) {
    JoinPageState& state = joinPageState();
    if (!ValidateJoinRequest(page, state.request)) return;
    StartJobThread(page, jobPage(), JoinWorkerThread, &state.args,
                   "The join could not be started: the system could not create a worker thread.");
}

static BOOL OnCommand(HWND page, int id, int code) {
    JoinPageState& state = joinPageState();
    switch (id) {
    case IDC_SOURCE:
        if (code == EN_UPDATE) RefreshJoinSummary(page);
        return TRUE;
    case IDC_BROWSE_SOURCE:
        browseForSourceFile(page);
        RefreshJoinSummary(page);
        return TRUE;
    case IDC_BROWSE_OUTPUT:
        browseForOutputDirectory(page);
        ShowFreeSpace(page);
        return TRUE;
    case IDC_OUTPUT_DIR:
        if (code == EN_UPDATE) ShowFreeSpace(page);
        return TRUE;
    case IDC_START: StartJoin(page); return TRUE;
    case IDC_CANCEL: ConfirmCancel(state.control); return TRUE;
    case IDC_PAUSE: TogglePause(page, state.control); return TRUE;
    default: return FALSE;
    }
}

static void InitJoinPage(HWND page, const char* initialPath) {
    JoinPageState& state = joinPageState();
    HWND source = GetDlgItem(page, IDC_SOURCE);
    state.previousSourceProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(source, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(JoinSourceFieldProc)));
    InitJobPageBar(page);
    SetJobControls(page, false, true);
    if (initialPath) {
        SetWindowTextA(source, initialPath);
        FillOutputDirFromSource(page);
        SetDlgItemTextA(page, IDC_OUTPUT_NAME, SourceNameOf(initialPath).c_str());
        RefreshJoinSummary(page);
        ShowFreeSpace(page);
    }
}

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    JoinPageState& state = joinPageState();
    INT_PTR result = FALSE;
    switch (message) {
    case WM_INITDIALOG:
        GetClientRect(page, &state.clientRect);
        InitJoinPage(page, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_COMMAND: return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
    default: return HandleJobPageMessage(page, message, wParam, jobPage(), result) ? result : FALSE;
    }
}

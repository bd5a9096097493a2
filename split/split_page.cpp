// The Split page (dialog 105): see split_page.h. The dialog procedure is a thin
// switch; each message and command has a named handler below it.
#include "split/split_page.h"

#include "split/size_text.h"

#include "core/display_format.h"
#include "core/segment_name.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/job_page.h"
#include "ui/main_window.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cstdlib>

SplitPageState& splitPageState() {
    static SplitPageState state; // created with the page's first message, kept for the program's life
    return state;
}

static JobPage jobPage() {
    SplitPageState& state = splitPageState();
    return { state.control, state.progress, state.worker, state.clientRect, false };
}

namespace {

const char* const UNIT_NAMES[] = { "Bytes  (B)", "Kilobytes  (KB)", "Megabytes  (MB)", "Gigabytes  (GB)" };

bool isChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void enableItem(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }
void sendUpdate(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

int messageBoxError(HWND page, const char* text) { return MessageBoxA(page, text, "Error:", MB_TASKMODAL); }

} // namespace

// ---- Live displays ---------------------------------------------------------

static void ShowSizePerFile(HWND page) {
    SplitPageState& state = splitPageState();
    if (state.shownSourceSize == 0) return;
    if (itemText(page, IDC_FILE_COUNT).empty()) {
        SetDlgItemTextA(page, IDC_SIZE_PER_FILE, "");
        return;
    }
    BOOL valid = FALSE;
    const UINT count = GetDlgItemInt(page, IDC_FILE_COUNT, &valid, FALSE);
    if (!valid || count < 2) {
        SetDlgItemTextA(page, IDC_SIZE_PER_FILE, "Invalid Entry");
        return;
    }
    SplitPlan scratch;
    scratch.sourceSize = state.shownSourceSize;
    PlanByFileCount(scratch, count);
    SetDlgItemTextA(page, IDC_SIZE_PER_FILE, FormatSize(scratch.leadSize, SIZE_PER_FILE_TEMPLATES).c_str());
}

static void ShowFileCount(HWND page) {
    SplitPageState& state = splitPageState();
    SetDlgItemTextA(page, IDC_COUNT_DISPLAY, "");
    const std::string text = itemText(page, IDC_CUSTOM_SIZE);
    if (state.shownSourceSize == 0 || text.empty()) return;
    const double size = LeadingDecimal(text);
    if (size <= 0) return;
    const auto unit = static_cast<std::int32_t>(SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_GETCURSEL, 0, 0));
    std::int64_t bytes = 0;
    if (!CustomSizeToBytes(size, unit, bytes) || bytes < 1) return;
    const std::int64_t whole = state.shownSourceSize / bytes;
    const std::uint64_t count = static_cast<std::uint64_t>(whole) + (state.shownSourceSize % bytes ? 1 : 0);
    // Shown whole: a count beyond 32 bits is not cut (the plan check refuses it).
    setItemTextFormat(page, IDC_COUNT_DISPLAY, "%llu Files", static_cast<unsigned long long>(count));
}

static void ShowSourceSize(HWND page) {
    SplitPageState& state = splitPageState();
    const std::string path = itemText(page, IDC_SOURCE);
    platform::File source = platform::File::openRead(path, platform::Share::None);
    if (!source.valid()) {
        SetDlgItemTextA(page, IDC_SOURCE_SIZE, "");
        state.shownSourceSize = 0;
        SetDlgItemTextA(page, IDC_SIZE_PER_FILE, "");
    } else {
        std::int64_t size = 0;
        if (!source.size(size)) return; // nothing changes
        state.shownSourceSize = size;
        SetDlgItemTextA(page, IDC_SOURCE_SIZE, FormatSize(size, SOURCE_SIZE_TEMPLATES).c_str());
        source.close();
        if (size == 0) SetDlgItemTextA(page, IDC_SIZE_PER_FILE, "");
    }
    if (isChecked(page, IDC_MODE_COUNT))
        ShowSizePerFile(page);
    else
        ShowFileCount(page);
}

void ShowFreeSpace(HWND page) {
    const std::string directory = itemText(page, IDC_OUTPUT_DIR);
    SetDlgItemTextA(page, IDC_FREE_SPACE, "");
    std::uint64_t available = 0;
    if (PathIsDirectoryA(directory.c_str()) && platform::freeBytesAvailable(directory, available))
        SetDlgItemTextA(page, IDC_FREE_SPACE, FormatSize(available, FREE_SPACE_TEMPLATES).c_str());
}

void FillOutputDirFromSource(HWND page) {
    PathParts parts;
    parts.split(itemText(page, IDC_SOURCE));
    const std::string directory = parts.drive + parts.directory;
    if (!directory.empty() && PathIsDirectoryA(directory.c_str()))
        SetDlgItemTextA(page, IDC_OUTPUT_DIR, directory.c_str());
}

bool TakeSingleDroppedPath(HDROP drop, std::string& path) {
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

// ---- The source field ------------------------------------------------------

static LRESULT CALLBACK SourceFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND page = GetParent(field);
    const WNDPROC previous = splitPageState().previousSourceProc;
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            FillOutputDirFromSource(page);
            ShowFreeSpace(page);
        }
        break;
    case WM_CHAR:
        if (wParam == VK_RETURN) return 0; // the field never holds a line break
        break;
    case WM_DROPFILES: {
        std::string path;
        if (TakeSingleDroppedPath(reinterpret_cast<HDROP>(wParam), path)) {
            SetWindowTextA(field, path.c_str());
            sendUpdate(page, IDC_SOURCE);
            FillOutputDirFromSource(page);
            ShowFreeSpace(page);
            sendUpdate(page, isChecked(page, IDC_MODE_COUNT) ? IDC_FILE_COUNT : IDC_CUSTOM_SIZE);
        }
        break;
    }
    default: break;
    }
    return CallWindowProcA(previous, field, message, wParam, lParam);
}

// ---- Commands --------------------------------------------------------------

static void BrowseSource(HWND page) {
    browseForSourceFile(page);
    ShowSourceSize(page);
    if (isChecked(page, IDC_MODE_COUNT)) ShowSizePerFile(page);
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
}

static void SelectFileCountMode(HWND page) {
    CheckDlgButton(page, IDC_MODE_COUNT, BST_CHECKED);
    CheckDlgButton(page, IDC_MODE_SIZE, BST_UNCHECKED);
    enableItem(page, IDC_CUSTOM_SIZE, false);
    enableItem(page, IDC_SIZE_UNIT, false);
    enableItem(page, IDC_FILE_COUNT, true);
    SetDlgItemTextA(page, IDC_COUNT_DISPLAY, "");
    ShowSizePerFile(page);
}

static void SelectCustomSizeMode(HWND page) {
    CheckDlgButton(page, IDC_MODE_COUNT, BST_UNCHECKED);
    CheckDlgButton(page, IDC_MODE_SIZE, BST_CHECKED);
    enableItem(page, IDC_CUSTOM_SIZE, true);
    enableItem(page, IDC_SIZE_UNIT, true);
    enableItem(page, IDC_FILE_COUNT, false);
    SetDlgItemTextA(page, IDC_SIZE_PER_FILE, "");
    sendUpdate(page, IDC_CUSTOM_SIZE);
}

static bool ValidateSplitInputs(HWND page, SplitRequest& request) {
    request.sourcePath = itemText(page, IDC_SOURCE);
    if (request.sourcePath.empty()) return messageBoxError(page, "Please enter an input file path."), false;
    if (!PathFileExistsA(request.sourcePath.c_str()) || PathIsDirectoryA(request.sourcePath.c_str()))
        return messageBoxError(page, "The specified input file does not exist."), false;
    request.outputDir = itemText(page, IDC_OUTPUT_DIR);
    if (request.outputDir.empty()) return messageBoxError(page, "Please enter an output directory."), false;
    if (!PathIsDirectoryA(request.outputDir.c_str()))
        return messageBoxError(page, "The specified output directory does not exist."), false;

    if (isChecked(page, IDC_MODE_COUNT)) {
        request.mode = SplitMode::FileCount;
        BOOL valid = FALSE;
        request.fileCount = GetDlgItemInt(page, IDC_FILE_COUNT, &valid, FALSE);
        if (!valid) return messageBoxError(page, "Please enter a valid number of output files."), false;
        if (request.fileCount < 2)
            return messageBoxError(page, "Please specify at least 2 output files."), false;
        return true;
    }
    request.mode = SplitMode::CustomSize;
    const std::string text = itemText(page, IDC_CUSTOM_SIZE);
    const std::string problem = CustomSizeTextError(text);
    if (!problem.empty()) return messageBoxError(page, problem.c_str()), false;
    request.customSize = LeadingDecimal(text);
    request.sizeUnit =
        static_cast<std::int32_t>(SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_GETCURSEL, 0, 0));
    return true;
}

static DWORD WINAPI SplitWorkerThread(LPVOID parameter) {
    SplitWorker(*static_cast<SplitThreadArgs*>(parameter));
    return 0;
}

static void StartSplit(HWND page) {
    SplitPageState& state = splitPageState();
    if (!ValidateSplitInputs(page, state.request)) return;
    if (isSegmentPath(state.request.sourcePath) &&
        MessageBoxA(page,
                    "It appears you have entered as input the pathname of an already-split file segment.\r\n"
                    "Are you sure you wish to continue?",
                    "Confirm Input Pathname:", MB_OKCANCEL | MB_TASKMODAL) != IDOK)
        return;
    if (!PrepareSplitPlan(state.request, state.plan, state.prompt)) return;
    StartJobThread(page, jobPage(), SplitWorkerThread, &state.args,
                   "The split could not be started: the system could not create a worker thread.");
}

static BOOL OnCommand(HWND page, int id, int code) {
    SplitPageState& state = splitPageState();
    switch (id) {
    case IDC_SOURCE:
        if (code == EN_UPDATE) ShowSourceSize(page);
        return TRUE;
    case IDC_BROWSE_SOURCE: BrowseSource(page); return TRUE;
    case IDC_BROWSE_OUTPUT:
        browseForOutputDirectory(page);
        ShowFreeSpace(page);
        return TRUE;
    case IDC_OUTPUT_DIR:
        if (code == EN_UPDATE) ShowFreeSpace(page);
        return TRUE;
    case IDC_START: StartSplit(page); return TRUE;
    case IDC_CANCEL: ConfirmCancel(state.control); return TRUE;
    case IDC_MODE_COUNT: SelectFileCountMode(page); return TRUE;
    case IDC_MODE_SIZE: SelectCustomSizeMode(page); return TRUE;
    case IDC_FILE_COUNT:
        if (code == EN_UPDATE && state.shownSourceSize != 0) ShowSizePerFile(page);
        return TRUE;
    case IDC_CUSTOM_SIZE:
        if (code == EN_UPDATE && state.shownSourceSize != 0) ShowFileCount(page);
        return TRUE;
    case IDC_SIZE_UNIT: ShowFileCount(page); return TRUE;
    case IDC_PAUSE: TogglePause(page, state.control); return TRUE;
    default: return FALSE;
    }
}

// ---- Messages --------------------------------------------------------------

static void InitSplitPage(HWND page, const char* initialPath) {
    SplitPageState& state = splitPageState();
    state.shownSourceSize = 0;
    HWND source = GetDlgItem(page, IDC_SOURCE);
    state.previousSourceProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(source, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SourceFieldProc)));
    InitJobPageBar(page);

    for (const char* unit : UNIT_NAMES)
        SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_SETCURSEL, 2, 0);
    CheckDlgButton(page, IDC_MODE_SIZE, BST_CHECKED);
    SetJobControls(page, false, false);

    if (initialPath) {
        SetWindowTextA(source, initialPath);
        ShowSourceSize(page);
        FillOutputDirFromSource(page);
        ShowFreeSpace(page);
        ShowFileCount(page);
    }
}

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    SplitPageState& state = splitPageState();
    INT_PTR result = FALSE;
    switch (message) {
    case WM_INITDIALOG:
        GetClientRect(page, &state.clientRect);
        InitSplitPage(page, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_COMMAND: return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
    default: return HandleJobPageMessage(page, message, wParam, jobPage(), result) ? result : FALSE;
    }
}

// The Split page (dialog IDD_SPLIT): see split_page.h. The dialog procedure is
// a thin switch; each message and command has a named handler below it.
#include "ui/split_page.h"

#include "core/display_format.h"
#include "core/segment_name.h"
#include "res/resource.h"
#include "split/size_text.h"
#include "split/split_engine.h"
#include "split/split_input.h"
#include "ui/dialog_helpers.h"
#include "ui/job_page.h"
#include "ui/text_win32.h"

#include <commctrl.h>

namespace {

// What the page keeps while its window lives.
struct SplitPageState : JobPageState {
    SplitRequest request;
    SplitPlan plan;
    SplitThreadArgs args { request, plan, control, progress, prompt };
    std::int64_t shownSourceSize = 0;
};

SplitPageState& stateOf(HWND page) { return pageState<SplitPageState>(page); }

const char* const UNIT_NAMES[] = { "Bytes  (B)", "Kilobytes  (KB)", "Megabytes  (MB)", "Gigabytes  (GB)" };

bool isChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
void enableItem(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }
void sendUpdate(HWND page, int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}
SizeUnit selectedUnit(HWND page) {
    return static_cast<SizeUnit>(SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_GETCURSEL, 0, 0));
}

} // namespace

// ---- Live displays ---------------------------------------------------------

static void ShowSizePerFile(HWND page) {
    SplitPageState& state = stateOf(page);
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
    SplitPageState& state = stateOf(page);
    SetDlgItemTextA(page, IDC_COUNT_DISPLAY, "");
    const std::string text = itemText(page, IDC_CUSTOM_SIZE);
    if (state.shownSourceSize == 0 || text.empty()) return;
    const double size = LeadingDecimal(text);
    if (size <= 0) return;
    std::int64_t bytes = 0;
    if (!CustomSizeToBytes(size, selectedUnit(page), bytes) || bytes < 1) return;
    const std::int64_t whole = state.shownSourceSize / bytes;
    const std::uint64_t count = static_cast<std::uint64_t>(whole) + (state.shownSourceSize % bytes ? 1 : 0);
    // Shown whole: a count beyond 32 bits is not cut (the plan check refuses it).
    setItemTextFormat(page, IDC_COUNT_DISPLAY, "%llu Files", static_cast<unsigned long long>(count));
}

static void ShowSourceSize(HWND page) {
    SplitPageState& state = stateOf(page);
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

// ---- The source field ------------------------------------------------------

static void OnSourceEnter(HWND page) {
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
}

static void OnSourceDropped(HWND page, const std::string&) {
    sendUpdate(page, IDC_SOURCE);
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
    sendUpdate(page, isChecked(page, IDC_MODE_COUNT) ? IDC_FILE_COUNT : IDC_CUSTOM_SIZE);
}

// ---- Commands --------------------------------------------------------------

static void BrowseSource(HWND page) {
    browseForSourceFile(page);
    ShowSourceSize(page);
    if (isChecked(page, IDC_MODE_COUNT)) ShowSizePerFile(page);
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
}

// The page's own inputs, idle or while a job runs: the two modes, the field
// (and unit list) of the mode chosen, the other mode's staying disabled, and
// the checksum box.
static void EnableOwnInputs(HWND page, bool idle) {
    const bool byCount = isChecked(page, IDC_MODE_COUNT);
    for (int id : { IDC_MODE_COUNT, IDC_MODE_SIZE, IDC_WRITE_LISTING }) enableItem(page, id, idle);
    enableItem(page, IDC_FILE_COUNT, idle && byCount);
    enableItem(page, IDC_CUSTOM_SIZE, idle && !byCount);
    enableItem(page, IDC_SIZE_UNIT, idle && !byCount);
}

// The radio buttons: by number of files, or by a custom size per file. The
// other mode's fields are disabled and its display emptied.
static void SelectMode(HWND page, bool byCount) {
    CheckDlgButton(page, IDC_MODE_COUNT, byCount ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_MODE_SIZE, byCount ? BST_UNCHECKED : BST_CHECKED);
    EnableOwnInputs(page, true);
    SetDlgItemTextA(page, byCount ? IDC_COUNT_DISPLAY : IDC_SIZE_PER_FILE, "");
    if (byCount)
        ShowSizePerFile(page);
    else
        sendUpdate(page, IDC_CUSTOM_SIZE);
}

// The fields as a split's input; the count is read as the field's number.
static SplitInput ReadSplitInput(HWND page) {
    SplitInput input;
    input.sourcePath = itemText(page, IDC_SOURCE);
    input.outputDir = itemText(page, IDC_OUTPUT_DIR);
    input.mode = isChecked(page, IDC_MODE_COUNT) ? SplitMode::FileCount : SplitMode::CustomSize;
    BOOL valid = FALSE;
    const UINT count = GetDlgItemInt(page, IDC_FILE_COUNT, &valid, FALSE);
    if (valid) input.fileCount = count;
    input.sizeText = itemText(page, IDC_CUSTOM_SIZE);
    input.sizeUnit = selectedUnit(page);
    return input;
}

static std::string SegmentPath(HWND page, std::uint32_t index) {
    const SplitPageState& state = stateOf(page);
    return ComposeSegmentPath(state.request.sourcePath, state.request.outputDir, index,
                              state.plan.segmentCount());
}

// The line after a No at the question about `refused`: which segments are new
// and which old when the split leaves a mix of two splits behind, else what
// the split did write.
static std::string StoppedAtNo(HWND page, const std::string& refused) {
    const SplitPageState& state = stateOf(page);
    const auto stoppedAt = static_cast<std::uint32_t>(SegmentPathParts(refused).segmentNumber());
    const std::string mix = SplitStopNote(state.request, state.plan, stoppedAt);
    if (!mix.empty()) return mix;
    return NotReplacedLine(refused,
                           stoppedAt > 1 ? "the segments before it are complete" : "nothing was written");
}

static DWORD WINAPI SplitWorkerThread(LPVOID parameter) {
    SplitWorker(*static_cast<SplitThreadArgs*>(parameter));
    return 0;
}

static void StartSplit(HWND page) {
    SplitPageState& state = stateOf(page);
    const std::string problem = CheckSplitInput(ReadSplitInput(page), state.request);
    if (!problem.empty()) return ShowInputProblem(page, problem);
    state.request.writeListing = isChecked(page, IDC_WRITE_LISTING);
    if (isSegmentPath(state.request.sourcePath) &&
        MessageBoxA(page, TEXT_SOURCE_IS_SEGMENT, "Confirm Input Pathname:", MB_OKCANCEL | MB_TASKMODAL) !=
            IDOK)
        return;
    if (!PrepareSplitPlan(state.request, state.plan, state.prompt)) return;
    StartJob(page, SplitWorkerThread, &state.args,
             "The split could not be started: the system could not create a worker thread.");
}

static BOOL OnCommand(HWND page, int id, int code) {
    SplitPageState& state = stateOf(page);
    switch (id) {
    case IDC_SOURCE:
        if (code == EN_UPDATE) ShowSourceSize(page);
        return TRUE;
    case IDC_BROWSE_SOURCE: BrowseSource(page); return TRUE;
    case IDC_START: StartSplit(page); return TRUE;
    case IDC_MODE_COUNT: SelectMode(page, true); return TRUE;
    case IDC_MODE_SIZE: SelectMode(page, false); return TRUE;
    case IDC_FILE_COUNT:
        if (code == EN_UPDATE && state.shownSourceSize != 0) ShowSizePerFile(page);
        return TRUE;
    case IDC_CUSTOM_SIZE:
        if (code == EN_UPDATE && state.shownSourceSize != 0) ShowFileCount(page);
        return TRUE;
    case IDC_SIZE_UNIT: ShowFileCount(page); return TRUE;
    default: return HandleJobPageCommand(page, id, code) ? TRUE : FALSE;
    }
}

// ---- Messages --------------------------------------------------------------

static void InitSplitPage(HWND page, const char* initialPath) {
    for (const char* unit : UNIT_NAMES)
        SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
    SendDlgItemMessageA(page, IDC_SIZE_UNIT, CB_SETCURSEL, static_cast<WPARAM>(SizeUnit::MB), 0);
    CheckDlgButton(page, IDC_MODE_SIZE, BST_CHECKED);
    auto* state = new SplitPageState;
    state->onSourceEnter = OnSourceEnter;
    state->onSourceDropped = OnSourceDropped;
    state->enableOwnInputs = EnableOwnInputs;
    state->clearedAfterJob = { IDC_SOURCE,     IDC_SOURCE_SIZE,   IDC_OUTPUT_DIR,  IDC_FREE_SPACE,
                               IDC_FILE_COUNT, IDC_COUNT_DISPLAY, IDC_CUSTOM_SIZE, IDC_SIZE_PER_FILE };
    state->outputPath = SegmentPath;
    state->stoppedAtNo = StoppedAtNo;
    InitJobPage(page, state);

    if (initialPath) {
        SetDlgItemTextA(page, IDC_SOURCE, initialPath);
        ShowSourceSize(page);
        FillOutputDirFromSource(page);
        ShowFreeSpace(page);
        ShowFileCount(page);
    }
}

INT_PTR CALLBACK SplitPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return JobPageProc(page, message, wParam, lParam, InitSplitPage, OnCommand);
}

// The Join page (dialog IDD_JOIN): see join_page.h. The dialog procedure is a
// thin switch; each message and command has a named handler below it.
#include "ui/join_page.h"

#include "core/display_format.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "join/join_input.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/job_page.h"
#include "ui/text_win32.h"

namespace {

// What the page keeps while its window lives.
struct JoinPageState : JobPageState {
    JoinRequest request;
    JoinThreadArgs args { request, control, progress, prompt };
};

JoinPageState& stateOf(HWND page) { return pageState<JoinPageState>(page); }

// The source file's name recovered from a segment path: movie.avi for
// D:\video\movie.avi.03_of_12.
std::string SourceNameOf(const std::string& segmentPath) {
    const SegmentPathParts parts(segmentPath);
    return parts.name + parts.extension;
}

} // namespace

// The count and total size of the set that IDC_SOURCE names, in IDC_SUMMARY;
// empty when the text names no segment, nothing is found, or the set holds no
// bytes.
static void RefreshJoinSummary(HWND page) {
    SetDlgItemTextA(page, IDC_SUMMARY, "");
    const std::string path = itemText(page, IDC_SOURCE);
    if (!isSegmentPath(path) || !platform::pathExists(path)) return;
    const SegmentSet set = DiscoverSegments(path);
    const std::int64_t total = SetTotal(set);
    if (total == 0) return;
    SetDlgItemTextA(
        page, IDC_SUMMARY,
        FormatSetSummary(static_cast<std::uint32_t>(set.size()), static_cast<std::uint64_t>(total)).c_str());
}

// The three ways of filling the source differ: a drop fills the output
// directory and name, Enter the directory and (when the segment's name has an
// extension) the name, Browse... neither.
static void OnSourceEnter(HWND page) {
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
    const SegmentPathParts parts(itemText(page, IDC_SOURCE));
    if (!parts.extension.empty())
        SetDlgItemTextA(page, IDC_OUTPUT_NAME, (parts.name + parts.extension).c_str());
}

static void OnSourceDropped(HWND page, const std::string& path) {
    RefreshJoinSummary(page);
    FillOutputDirFromSource(page);
    ShowFreeSpace(page);
    SetDlgItemTextA(page, IDC_OUTPUT_NAME, SourceNameOf(path).c_str());
}

static void EnableOwnInputs(HWND page, bool idle) {
    EnableWindow(GetDlgItem(page, IDC_OUTPUT_NAME), idle ? TRUE : FALSE);
}

static std::string OutputPath(HWND page, std::uint32_t) { return JoinOutputPath(stateOf(page).request); }

static std::string StoppedAtNo(HWND, const std::string& refused) {
    return NotReplacedLine(refused, "nothing was written");
}

static DWORD WINAPI JoinWorkerThread(LPVOID parameter) {
    JoinWorker(*static_cast<JoinThreadArgs*>(parameter));
    return 0;
}

static void StartJoin(HWND page) {
    JoinPageState& state = stateOf(page);
    state.request.sourcePath = itemText(page, IDC_SOURCE);
    state.request.outputDir = itemText(page, IDC_OUTPUT_DIR);
    state.request.outputFileName = itemText(page, IDC_OUTPUT_NAME);
    const std::string problem = CheckJoinInput(state.request);
    if (!problem.empty()) return ShowInputProblem(page, problem);
    StartJob(page, JoinWorkerThread, &state.args,
             "The join could not be started: the system could not create a worker thread.");
}

static BOOL OnCommand(HWND page, int id, int code) {
    switch (id) {
    case IDC_SOURCE:
        if (code == EN_UPDATE) RefreshJoinSummary(page);
        return TRUE;
    case IDC_BROWSE_SOURCE:
        browseForSourceFile(page);
        RefreshJoinSummary(page);
        return TRUE;
    case IDC_START: StartJoin(page); return TRUE;
    default: return HandleJobPageCommand(page, id, code) ? TRUE : FALSE;
    }
}

static void InitJoinPage(HWND page, const char* initialPath) {
    auto* state = new JoinPageState;
    state->onSourceEnter = OnSourceEnter;
    state->onSourceDropped = OnSourceDropped;
    state->enableOwnInputs = EnableOwnInputs;
    state->clearedAfterJob = { IDC_SOURCE, IDC_SUMMARY, IDC_OUTPUT_DIR, IDC_FREE_SPACE, IDC_OUTPUT_NAME };
    state->outputPath = OutputPath;
    state->stoppedAtNo = StoppedAtNo;
    InitJobPage(page, state);
    if (initialPath) {
        SetDlgItemTextA(page, IDC_SOURCE, initialPath);
        FillOutputDirFromSource(page);
        SetDlgItemTextA(page, IDC_OUTPUT_NAME, SourceNameOf(initialPath).c_str());
        RefreshJoinSummary(page);
        ShowFreeSpace(page);
    }
}

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    return JobPageProc(page, message, wParam, lParam, InitJoinPage, OnCommand);
}

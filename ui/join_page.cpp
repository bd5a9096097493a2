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
#include "ui/messages.h"
#include "ui/text_win32.h"

#include <memory>
#include <mutex>

namespace {

// The set summary is worked out on a thread of its own: discovery lists the
// folder and measures every member, which takes most of a second for a set of
// ten thousand and far longer on a network share, and the window must answer
// meanwhile. The page asks (each change of the source field asks anew), the
// thread works on the newest request and posts MSG_SUMMARY_READY with each
// summary; the page shows one only while the field still names its path, so
// an older request's summary never shows after a newer keystroke.
struct SummaryChannel {
    std::mutex mutex;                 // guards every field below
    HWND page = nullptr;              // nullptr once the page is gone: nothing more is posted
    std::string wanted;               // the newest request's path
    unsigned asked = 0;               // requests made
    unsigned done = 0;                // the last request worked out
    bool busy = false;                // a thread works on the requests
    std::string readyPath, readyText; // the last summary worked out, and its path
};

// What the page keeps while its window lives.
struct JoinPageState : JobPageState {
    JoinRequest request;
    JoinThreadArgs args { request, control, progress, prompt };
    std::shared_ptr<SummaryChannel> summary = std::make_shared<SummaryChannel>();
    ~JoinPageState() override {
        const std::lock_guard lock(summary->mutex);
        summary->page = nullptr;
    }
};

JoinPageState& stateOf(HWND page) { return pageState<JoinPageState>(page); }

// The source file's name recovered from a segment path: movie.avi for
// D:\video\movie.avi.03_of_12.
std::string SourceNameOf(const std::string& segmentPath) {
    const SegmentPathParts parts(segmentPath);
    return parts.name + parts.extension;
}

// Measures a member by its directory entry and opens nothing: a join of this
// page may be opening the members this moment, without sharing.
bool MeasureByEntry(const std::string& path, std::int64_t& size, std::string& reason) {
    WIN32_FILE_ATTRIBUTE_DATA entry;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &entry)) {
        reason = "cannot be read";
        return false;
    }
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) {
        reason = "not a regular file";
        return false;
    }
    size = static_cast<std::int64_t>(std::uint64_t { entry.nFileSizeHigh } << 32 | entry.nFileSizeLow);
    return true;
}

// The summary of the set that `path` names: its member count and total size,
// and the checksum file that a join of it checks against; "" when the path
// names no segment, nothing is found, a member cannot be measured or the set
// holds no bytes. On the summary thread.
std::string SetSummary(const std::string& path) {
    std::vector<std::string> names; // the candidates, listed as discovery lists them
    if (!isSegmentPath(path) || !platform::pathExists(path) ||
        !platform::listMatching(SegmentPathParts(path).path() + ".*", names))
        return "";
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = SelectSetMembers(path, names, MeasureByEntry, unreadable);
    const std::int64_t total = SetTotal(set);
    if (!unreadable.empty() || total == 0) return "";
    const std::string summary =
        FormatSetSummary(static_cast<std::uint32_t>(set.size()), static_cast<std::uint64_t>(total));
    JoinRequest join;
    join.sourcePath = path;
    SetListing listing;
    if (!FindSetListing(join, ExamineSet(set), listing).empty()) return summary + ", checksum file unusable";
    return listing.path.empty() ? summary : summary + ", checked against " + listing.name;
}

DWORD WINAPI SummaryThread(LPVOID parameter) {
    const std::unique_ptr<std::shared_ptr<SummaryChannel>> owned(
        static_cast<std::shared_ptr<SummaryChannel>*>(parameter));
    SummaryChannel& channel = **owned;
    std::unique_lock lock(channel.mutex);
    while (channel.page && channel.done != channel.asked) {
        const unsigned request = channel.asked;
        const std::string path = channel.wanted;
        lock.unlock();
        std::string text = SetSummary(path);
        lock.lock();
        channel.done = request;
        channel.readyPath = path;
        channel.readyText = std::move(text);
        if (channel.page) PostMessageA(channel.page, MSG_SUMMARY_READY, 0, 0);
    }
    channel.busy = false;
    return 0;
}

} // namespace

// Empties IDC_SUMMARY and asks for the summary of the set that IDC_SOURCE
// names; it shows when ready (ShowReadySummary).
static void RefreshJoinSummary(HWND page) {
    SetDlgItemTextA(page, IDC_SUMMARY, "");
    const std::string path = itemText(page, IDC_SOURCE);
    if (!isSegmentPath(path)) return;
    JoinPageState& state = stateOf(page);
    SummaryChannel& channel = *state.summary;
    const std::lock_guard lock(channel.mutex);
    channel.wanted = path;
    ++channel.asked;
    if (channel.busy) return; // the thread takes the newest request next
    auto* parameter = new std::shared_ptr<SummaryChannel>(state.summary);
    HANDLE thread = CreateThread(nullptr, 0, SummaryThread, parameter, 0, nullptr);
    if (!thread) { // no summary then; nothing else depends on it
        delete parameter;
        return;
    }
    channel.busy = true;
    CloseHandle(thread);
}

static void ShowReadySummary(HWND page) {
    SummaryChannel& channel = *stateOf(page).summary;
    const std::lock_guard lock(channel.mutex);
    if (channel.readyPath == itemText(page, IDC_SOURCE))
        SetDlgItemTextA(page, IDC_SUMMARY, channel.readyText.c_str());
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
    state->summary->page = page;
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
    if (message == MSG_SUMMARY_READY && jobPageState(page)) {
        ShowReadySummary(page);
        return TRUE;
    }
    return JobPageProc(page, message, wParam, lParam, InitJoinPage, OnCommand);
}

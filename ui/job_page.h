// The skeleton the Split and Join pages share: the state both keep (reached
// through the page window's GWLP_USERDATA), the source field's Enter and drop
// handling, the output directory and free space, the page's job from its start
// to its end (the one place where a worker is started, ticked and stopped),
// and the messages and commands both pages treat alike.
#pragma once

#include "core/job_control.h"
#include "ui/job_dialogs.h"

#include <windows.h>

#include <string>
#include <vector>

// What a working page keeps while its window lives; each page's own record
// begins with it. Created at WM_INITDIALOG, deleted at WM_NCDESTROY.
struct JobPageState {
    virtual ~JobPageState() = default;
    JobControl control;
    JobProgress progress;
    WindowPrompt prompt;
    HANDLE worker = nullptr; // the job's worker thread, until a tick finds it ended
    RECT clientRect {};      // taken at initialisation: the header gradient's width
    int dpi = 96;            // the page's, taken at initialisation: the gradient's height
    WNDPROC previousSourceProc = nullptr;
    // Whether the job is held for an exit question that was answered Yes, and
    // whether it was paused before that question: the state it goes back to
    // when the program does not end after all.
    bool heldForExit = false;
    bool pausedBeforeExit = false;
    FILETIME jobStarted {}; // when the last job was started (system time)

    // What the page itself adds to the skeleton.
    // Enter and a dropped file in the source field; the skeleton has already
    // taken the drop and put its path in the field.
    void (*onSourceEnter)(HWND page) = nullptr;
    void (*onSourceDropped)(HWND page, const std::string& path) = nullptr;
    // Enables (idle) or disables (a job runs) the page's own inputs: all but
    // the source, the output directory, their Browse... buttons and Start.
    void (*enableOwnInputs)(HWND page, bool idle) = nullptr;
    // The fields a complete job empties, for the next one.
    std::vector<int> clearedAfterJob;
    // The final path of the file the job writes as its file `index` (0-based).
    std::string (*outputPath)(HWND page, std::uint32_t index) = nullptr;
    // The panel's line after the user's No at the question about `refused`.
    std::string (*stoppedAtNo)(HWND page, const std::string& refused) = nullptr;
};

// The page's record, or nullptr before WM_INITDIALOG and after WM_NCDESTROY.
JobPageState* jobPageState(HWND page);
template <class State> State& pageState(HWND page) { return *static_cast<State*>(jobPageState(page)); }

// Attaches `state` (taking ownership) to the page at WM_INITDIALOG, subclasses
// the source field, makes IDC_PROGRESS the painted bar and shows the idle controls.
void InitJobPage(HWND page, JobPageState* state);

// The free space of the directory in IDC_OUTPUT_DIR, shown in IDC_FREE_SPACE.
void ShowFreeSpace(HWND page);
// IDC_OUTPUT_DIR filled with the directory of the path in IDC_SOURCE, when
// that is an existing directory.
void FillOutputDirFromSource(HWND page);
// An input check's message, owned by the page.
void ShowInputProblem(HWND page, const std::string& text);
// The stop line after a No: "Stopped: NAME was not replaced; `rest`."
std::string NotReplacedLine(const std::string& refused, const char* rest);

// Locks the page's inputs and starts `routine` with `args` on a thread of its
// own; the main window's job timer then ticks the page. When the thread cannot
// be created, the page is restored and `failure` shown.
void StartJob(HWND page, LPTHREAD_START_ROUTINE routine, void* args, const char* failure);

// The commands both pages treat alike (Browse... for the output, the output
// directory's edits, Cancel, Pause/Resume); false for any other.
bool HandleJobPageCommand(HWND page, int id, int code);

// The dialog procedure both pages run: WM_INITDIALOG goes to `init` with the
// initial path (or nullptr), commands to `onCommand` once the page has its
// record; the skeleton treats the other messages (painting, colours, the
// job's ticks, the exit question, closing).
INT_PTR JobPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam, void (*init)(HWND, const char*),
                    BOOL (*onCommand)(HWND, int id, int code));

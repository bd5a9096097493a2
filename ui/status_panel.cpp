// The status panel and the page's job/idle control table: see status_panel.h.
#include "ui/status_panel.h"

#include "core/display_format.h"
#include "res/resource.h"
#include "ui/job_dialogs.h"
#include "ui/taskbar_progress.h"
#include "ui/text_win32.h"

#include <commctrl.h>

// The input fields a completed job empties, across both pages; an id the page
// does not have is skipped.
static const int INPUTS_CLEARED_AFTER_JOB[] = { IDC_SOURCE,       IDC_SOURCE_SIZE,   IDC_SUMMARY,
                                                IDC_OUTPUT_DIR,   IDC_FREE_SPACE,    IDC_OUTPUT_NAME,
                                                IDC_FILE_COUNT,   IDC_COUNT_DISPLAY, IDC_CUSTOM_SIZE,
                                                IDC_SIZE_PER_FILE };

JobTick StatusTick(HANDLE worker, HWND page, JobProgress& progress, JobControl& control) {
    const DWORD wait = WaitForSingleObject(worker, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_FAILED) {
        ShowProgress(progress, page, control);
        return JobTick::Running;
    }
    const bool completed = TakeFinished(progress, [page] {
        for (int id : INPUTS_CLEARED_AFTER_JOB)
            if (GetDlgItem(page, id)) SetDlgItemTextA(page, id, "");
    });
    KillTimer(page, STATUS_TIMER_ID);
    return completed ? JobTick::Completed : JobTick::Stopped;
}

void ShowProgress(JobProgress& progress, HWND page, JobControl& control) {
    const ProgressSnapshot s = ReadSnapshot(progress);
    // A worker counts its files when it begins its job: every job has one or more.
    const bool begun = s.totalFiles > 0;
    EnableWindow(GetDlgItem(page, IDC_CANCEL), begun ? TRUE : FALSE);
    EnableWindow(GetDlgItem(page, IDC_PAUSE), begun ? TRUE : FALSE);
    if (s.totalBytes == 0) return;
    const auto done = static_cast<std::int64_t>(s.bytesDone);
    const auto total = static_cast<std::int64_t>(s.totalBytes);
    const double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total);
    setWindowTextFormat(GetDlgItem(page, IDC_PROGRESS), "%.1f%%", percent);
    setItemTextFormat(page, IDC_STATUS_BYTES, "%s / %s Bytes", FormatSignedThousands(done).c_str(),
                      FormatSignedThousands(total).c_str());
    if (IsPaused(control))
        SetDlgItemTextA(page, IDC_STATUS_FILE, "Paused");
    else
        setItemTextFormat(page, IDC_STATUS_FILE, "Copying file %u of %u", s.currentFile + 1, s.totalFiles);
    // Computed in 64 bits: the product overflows 32 bits from 4 MB on.
    const auto position = static_cast<WPARAM>(done * PROGRESS_RANGE / total);
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, position, 0);
    setItemTextFormat(page, IDC_ELAPSED, "Time Elapsed: %s", FormatDuration(s.elapsedSeconds).c_str());
    const double remaining = EstimateSecondsLeft(s.bytesDone, s.totalBytes, s.elapsedSeconds);
    setItemTextFormat(page, IDC_REMAINING, "Estimated Time Remaining: %s", FormatDuration(remaining).c_str());
    // The title's whole percentage, and the taskbar button with it.
    const auto whole = static_cast<unsigned>(percent);
    setWindowTextFormat(GetParent(page), "%u%% - Morvane", whole);
    SendMessageA(GetParent(page), MSG_TASKBAR_PROGRESS, whole, IsPaused(control) ? 1 : 0);
}

void ResetStatusPanel(HWND page, bool isJoinPage) {
    SetJobControls(page, false, isJoinPage);
    SetDlgItemTextA(page, IDC_PAUSE, "Pause");
    for (int id : { IDC_STATUS_FILE, IDC_STATUS_BYTES, IDC_ELAPSED, IDC_REMAINING, IDC_PROGRESS })
        SetDlgItemTextA(page, id, "");
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    SetWindowTextA(GetParent(page), "Morvane");
    SendMessageA(GetParent(page), MSG_TASKBAR_IDLE, 0, 0);
}

void ShowOutcome(HWND page, const std::string& line) {
    SetDlgItemTextA(page, IDC_OUTCOME, line.c_str());
    ShowWindow(GetDlgItem(page, IDC_OUTCOME), line.empty() ? SW_HIDE : SW_SHOW);
}

void SetJobControls(HWND page, bool jobRunning, bool isJoinPage) {
    auto enable = [page](int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); };
    auto show = [page](int id, bool on) { ShowWindow(GetDlgItem(page, id), on ? SW_SHOW : SW_HIDE); };
    for (int id : { IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_OUTPUT_DIR, IDC_BROWSE_OUTPUT, IDC_START })
        enable(id, !jobRunning);
    enable(IDC_CANCEL, jobRunning);
    enable(IDC_PAUSE, jobRunning);
    show(IDC_STATUS_BYTES, jobRunning);
    show(IDC_STATUS_FILE, jobRunning);
    if (isJoinPage) {
        enable(IDC_OUTPUT_NAME, !jobRunning);
        return;
    }
    enable(IDC_MODE_COUNT, !jobRunning);
    enable(IDC_MODE_SIZE, !jobRunning);
    const bool countMode = IsDlgButtonChecked(page, IDC_MODE_COUNT) == BST_CHECKED;
    enable(IDC_FILE_COUNT, !jobRunning && countMode);
    enable(IDC_CUSTOM_SIZE, !jobRunning && !countMode);
    enable(IDC_SIZE_UNIT, !jobRunning && !countMode);
}

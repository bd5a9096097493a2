// The status panel: see status_panel.h.
#include "ui/status_panel.h"

#include "core/display_format.h"
#include "res/resource.h"
#include "ui/text_win32.h"

#include <commctrl.h>

JobView ShowProgress(JobProgress& progress, HWND page, JobControl& control) {
    const ProgressSnapshot s = ReadSnapshot(progress);
    JobView view;
    view.running = true;
    // A worker counts its files when it begins its job: every job has one or more.
    const bool begun = s.totalFiles > 0;
    EnableWindow(GetDlgItem(page, IDC_CANCEL), begun ? TRUE : FALSE);
    EnableWindow(GetDlgItem(page, IDC_PAUSE), begun ? TRUE : FALSE);
    if (s.totalBytes == 0) return view;
    const auto done = static_cast<std::int64_t>(s.bytesDone);
    const auto total = static_cast<std::int64_t>(s.totalBytes);
    const double percent = static_cast<double>(done) * 100.0 / static_cast<double>(total);
    view.showsProgress = true;
    view.percent = static_cast<unsigned>(percent); // the bar rounds (99.96: "100.0%"), the title does not
    view.paused = IsPaused(control);
    setWindowTextFormat(GetDlgItem(page, IDC_PROGRESS), "%.1f%%", percent);
    setItemTextFormat(page, IDC_STATUS_BYTES, "%s / %s Bytes", FormatSignedThousands(done).c_str(),
                      FormatSignedThousands(total).c_str());
    if (view.paused)
        SetDlgItemTextA(page, IDC_STATUS_FILE, "Paused");
    else
        setItemTextFormat(page, IDC_STATUS_FILE, "Copying file %u of %u", s.currentFile + 1, s.totalFiles);
    // Computed in 64 bits: the product overflows 32 bits from 4 MB on.
    const auto position = static_cast<WPARAM>(done * PROGRESS_RANGE / total);
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, position, 0);
    setItemTextFormat(page, IDC_ELAPSED, "Time Elapsed: %s", FormatDuration(s.elapsedSeconds).c_str());
    const double remaining = EstimateSecondsLeft(s.bytesDone, s.totalBytes, s.elapsedSeconds);
    setItemTextFormat(page, IDC_REMAINING, "Estimated Time Remaining: %s", FormatDuration(remaining).c_str());
    return view;
}

void ResetStatusPanel(HWND page) {
    SetDlgItemTextA(page, IDC_PAUSE, "Pause");
    for (int id : { IDC_STATUS_FILE, IDC_STATUS_BYTES, IDC_ELAPSED, IDC_REMAINING, IDC_PROGRESS })
        SetDlgItemTextA(page, id, "");
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

void ShowOutcome(HWND page, const std::string& line) {
    SetDlgItemTextA(page, IDC_OUTCOME, line.c_str());
    ShowWindow(GetDlgItem(page, IDC_OUTCOME), line.empty() ? SW_HIDE : SW_SHOW);
}

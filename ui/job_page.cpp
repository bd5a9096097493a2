// The Split and Join pages' common parts: see job_page.h.
#include "ui/job_page.h"

#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/job_dialogs.h"
#include "ui/main_window.h"
#include "ui/status_panel.h"

#include <commctrl.h>

void InitJobPageBar(HWND page) {
    installTextProgressBar(GetDlgItem(page, IDC_PROGRESS));
    SendDlgItemMessageA(page, IDC_PROGRESS, MSG_TEXT_BAR_INIT, 0, 0);
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETBARCOLOR, 0, rgb(175, 175, 255));
    SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETBKCOLOR, 0, rgb(230, 230, 255));
}

void StartJobThread(HWND page, const JobPage& job, LPTHREAD_START_ROUTINE routine, void* args,
                    const char* failure) {
    SetJobControls(page, true, job.isJoinPage);
    if (job.worker) CloseHandle(job.worker); // only the most recent worker is ever asked about
    job.worker = CreateThread(nullptr, 0, routine, args, 0, nullptr);
    if (!job.worker) {
        ResetStatusPanel(page, job.isJoinPage);
        MessageBoxA(page, failure, "Error:", MB_TASKMODAL);
        return;
    }
    SetTimer(page, STATUS_TIMER_ID, STATUS_TIMER_INTERVAL_MS, nullptr);
}

bool HandleJobPageMessage(HWND page, UINT message, WPARAM wParam, const JobPage& job, INT_PTR& result) {
    result = TRUE;
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(page, &paint);
        paintHeaderGradient(dc, job.clientRect);
        EndPaint(page, &paint);
        return true;
    }
    case WM_CLOSE:
        releaseHeaderPens();
        StopWorker(page, job.control, job.worker);
        return true;
    case MSG_CONFIRM_EXIT:
        *reinterpret_cast<unsigned char*>(wParam) = ConfirmExit(job.control, job.worker) ? 1 : 0;
        return true;
    case WM_TIMER:
        if (!StatusTick(job.worker, page, job.progress, job.control)) ResetStatusPanel(page, job.isJoinPage);
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

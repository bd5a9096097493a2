// The Join page (dialog 106). Until its procedure is built, the page answers
// the main window's close question and closes; nothing else.
#include "join/join_page.h"

#include "ui/main_window.h"

INT_PTR CALLBACK JoinPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: return TRUE;
    case MSG_CONFIRM_EXIT: *reinterpret_cast<unsigned char*>(wParam) = 1; return TRUE;
    case WM_CLOSE: EndDialog(page, 0); return TRUE;
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(whiteBrush);
    default: return FALSE;
    }
}

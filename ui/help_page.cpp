// The Help page and the About panel: see help_page.h. (Being built.)
#include "ui/help_page.h"

const HelpTopic HELP_TOPICS[HELP_TOPIC_COUNT] = {};

HWND aboutPanel() { return nullptr; }

INT_PTR CALLBACK HelpPageProc(HWND page, UINT message, WPARAM, LPARAM) {
    if (message == WM_CLOSE) EndDialog(page, 0);
    return message == WM_INITDIALOG || message == WM_CLOSE;
}

INT_PTR CALLBACK AboutPanelProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

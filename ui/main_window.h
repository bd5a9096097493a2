// The process entry and the main window (dialog IDD_MAIN): the tabs "Split", "Join"
// and "Help", one page per tab, the one job timer that refreshes the pages'
// status panels, the title and the taskbar button, and the closing protocol
// that asks both working pages before the program ends.
#pragma once

#include "ui/messages.h"
#include "ui/taskbar_progress.h"

#include <windows.h>

// Shared brushes, created before the entry runs and kept until the process
// ends: white for pages and unselected tabs, grey for the selected tab.
extern const HBRUSH whiteBrush;
extern const HBRUSH greyBrush;

enum PageIndex { SPLIT_PAGE = 0, JOIN_PAGE = 1, HELP_PAGE = 2, PAGE_COUNT = 3 };

struct MainWindowState {
    HWND pages[PAGE_COUNT] = {};
    HWND currentPage = nullptr;
    HFONT tabFont = nullptr;
    int dpi = 96; // the window's, taken at initialisation (the program is system-DPI aware)
    TaskbarProgress taskbar;
};

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Creates the main window (and its pages) from dialog IDD_MAIN with the command-line
// text after the program name; nullptr when that fails.
HWND CreateMainWindow(HINSTANCE instance, const char* commandLine);

// What the message loop does with each message before it is dispatched: the
// keys that switch tabs, then the dialog keys (Tab, Enter, Esc, mnemonics).
// True when the message was taken and must not be dispatched.
bool TranslateMainWindowMessage(HWND window, MSG& message);

// The whole run of the program: window, icons, component services, common
// controls, message loop. Gives the exit code: 0 after a normal close, 1 when
// start-up fails.
int RunMorvane(HINSTANCE instance, const char* commandLine);

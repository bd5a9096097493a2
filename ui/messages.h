// The window program's private messages, all numbered here (WM_APP + n), with
// who sends each to whom and what its parameters carry.
#pragma once

#include <windows.h>

// Main window -> working page, when the user closes the window: may the
// program end? wParam points at one byte, 1 on sending; the page sets it to 0
// to keep running. A page that holds its job while it asks keeps it held until
// the pages close or MSG_EXIT_REFUSED comes.
constexpr UINT MSG_CONFIRM_EXIT = WM_APP + 1;

// Page -> its painted progress bar, once: take your size, range and font.
constexpr UINT MSG_TEXT_BAR_INIT = WM_APP + 2;

// Main window -> working page, at each tick of the window's one job timer: show
// your job's progress in your panel, or return to idle once its worker has
// ended. lParam points at the page's JobView, which the page fills in.
constexpr UINT MSG_JOB_TICK = WM_APP + 3;

// Working page -> main window: a job has started; tick until none runs.
constexpr UINT MSG_JOB_STARTED = WM_APP + 4;

// Worker thread -> main window (posted): wParam 1 when a failure box opens, 0
// when it is dismissed; the taskbar button is red in between.
constexpr UINT MSG_TASKBAR_FAILURE = WM_APP + 5;

// Main window -> working pages, when the program does not end after all (a
// page said No): a job held for the exit question goes on as it was before it.
constexpr UINT MSG_EXIT_REFUSED = WM_APP + 6;

// Working page -> main window: select my tab and show me (lParam: the page).
constexpr UINT MSG_SHOW_PAGE = WM_APP + 7;

// Summary thread -> Join page (posted): a set summary is ready; the page shows
// it if its source field still names that summary's path.
constexpr UINT MSG_SUMMARY_READY = WM_APP + 8;

// Small pieces of user interface that several pages share: the two browse
// dialogs, the progress bar that paints its percentage, and the grey header
// gradient at the top of each page.
#pragma once

#include <windows.h>

// RGB() without the sign conversions of the system macro.
constexpr COLORREF rgb(unsigned red, unsigned green, unsigned blue) {
    return red | (green << 8) | (blue << 16);
}

// Tahoma of `points` at the window's display resolution (windowDpi).
HFONT createTahomaFont(HWND window, int points, int weight);

// Shows the folder browser owned by `page`; a chosen folder goes into IDC_OUTPUT_DIR. Gives whether a folder
// was chosen.
bool browseForOutputDirectory(HWND page);

// Shows the open-file dialog owned by `page`; a chosen file goes into IDC_SOURCE. Gives whether a file was
// chosen.
bool browseForSourceFile(HWND page);

// Makes `bar` a painted progress bar: replaces its window procedure with
// TextProgressBar, keeping the old one. The page then sends MSG_TEXT_BAR_INIT.
void installTextProgressBar(HWND bar);
LRESULT CALLBACK TextProgressBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam);

// Draws the grey header gradient across `rect` from row 0 down: at 96 DPI
// rows 0 to 14, one pen each; at `dpi` each pen takes the rows its row scales
// to, so the strip keeps its height on screen. The 15 pens are created on
// first use and shared by every page.
void paintHeaderGradient(HDC dc, const RECT& rect, int dpi);
// Releases the shared pens; harmless when already released. The next paint
// creates them anew.
void releaseHeaderPens();

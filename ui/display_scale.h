// The display scale of a window: its dots per inch, and pixel measures drawn
// for 96 DPI (100%) converted to it. The program declares itself DPI aware
// (system-wide: see res/morvane.manifest), so Windows does not stretch its
// window as a bitmap; in return everything it places or paints in pixels goes
// through scaled().
#pragma once

#include <windows.h>

// The resolution that the pixel measures in the code are written for.
constexpr int BASE_DPI = 96;

// The window's dots per inch: GetDpiForWindow where the system has it
// (Windows 10 1607 and later), else the vertical resolution of its device
// context (LOGPIXELSY), which is the same for a system-aware program.
int windowDpi(HWND window);

// `pixels` at 96 DPI, at `dpi`: the same value at 96, rounded to the nearest
// pixel elsewhere (MulDiv).
inline int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, BASE_DPI); }

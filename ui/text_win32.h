// Formatted text for windows: window and item texts of any length (measured,
// allocated, formatted, used, freed; never cut).
#pragma once

#include "core/format_text.h"

#include <windows.h>

// Set a window's or a dialog item's text; give the text's length.
int setWindowTextFormat(HWND window, const char* format, ...) MORVANE_PRINTF(2, 3);
int setItemTextFormat(HWND dialog, int item, const char* format, ...) MORVANE_PRINTF(3, 4);

// A window's or a dialog item's whole text, read into a buffer of its length + 1.
std::string windowText(HWND window);
std::string itemText(HWND dialog, int item);

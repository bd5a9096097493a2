// Formatted text for windows: see text_win32.h.
#include "ui/text_win32.h"

#include <vector>

int setWindowTextFormat(HWND window, const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    const int length = formatStringV(text, format, args);
    va_end(args);
    SetWindowTextA(window, text.c_str());
    return length;
}

int setItemTextFormat(HWND dialog, int item, const char* format, ...) {
    std::string text;
    va_list args;
    va_start(args, format);
    const int length = formatStringV(text, format, args);
    va_end(args);
    SetDlgItemTextA(dialog, item, text.c_str());
    return length;
}

std::string windowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, buffer.data(), length + 1);
    return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

std::string itemText(HWND dialog, int item) { return windowText(GetDlgItem(dialog, item)); }

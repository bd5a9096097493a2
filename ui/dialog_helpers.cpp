// Browse dialogs, the painted progress bar and the header gradient: see
// dialog_helpers.h.
#include "ui/dialog_helpers.h"

#include "res/resource.h"
#include "ui/display_scale.h"
#include "ui/messages.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <cmath>
#include <string>

HFONT createTahomaFont(HWND window, int points, int weight) {
    const int height = -MulDiv(points, windowDpi(window), 72);
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
}

// The longest path the system takes, in UTF-16 units, and in bytes of the
// 8-bit code page: UTF-8 (the programs' code page) takes up to 3 bytes for
// each unit, so MAX_PATH bytes would hold only some 86 characters of a
// Japanese name.
constexpr DWORD LONGEST_PATH_UNITS = 32768;
constexpr DWORD LONGEST_PATH_BYTES = 3 * LONGEST_PATH_UNITS;

bool browseForOutputDirectory(HWND page) {
    BROWSEINFOA info {};
    info.hwndOwner = page;
    info.pidlRoot = nullptr;
    info.lpszTitle = "Select Output Directory:";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&info);
    if (!item) return false;
    // The 8-bit call would write the path into MAX_PATH bytes: the wide one
    // gives it whole, then it is converted as the 8-bit calls convert.
    std::wstring wide(LONGEST_PATH_UNITS, L'\0');
    std::string path;
    if (SHGetPathFromIDListEx(item, &wide[0], LONGEST_PATH_UNITS, GPFIDL_DEFAULT)) {
        const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            path.resize(static_cast<std::size_t>(bytes));
            WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &path[0], bytes, nullptr, nullptr);
        }
    }
    SetDlgItemTextA(page, IDC_OUTPUT_DIR, path.c_str());
    CoTaskMemFree(item);
    return true;
}

bool browseForSourceFile(HWND page) {
    std::string file(LONGEST_PATH_BYTES, '\0');
    OPENFILENAMEA dialog {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = page;
    dialog.lpstrFilter = "All Files (*.*)\0*.*\0";
    dialog.lpstrFile = &file[0];
    dialog.nMaxFile = LONGEST_PATH_BYTES;
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    if (!GetOpenFileNameA(&dialog)) return false;
    SetDlgItemTextA(page, IDC_SOURCE, file.c_str());
    return true;
}

namespace {

// The bar's text: bold Calibri of this cell height, its top this far above
// the bar's middle; pixels at 96 DPI.
constexpr int BAR_FONT_HEIGHT = 15;
constexpr int BAR_TEXT_RISE = 7;

// What each painted bar keeps, reached through the bar's user data.
struct TextBarState {
    WNDPROC previous = nullptr;
    RECT client {};
    HFONT font = nullptr;
    int dpi = BASE_DPI; // the bar's, taken at MSG_TEXT_BAR_INIT
};

TextBarState* barState(HWND bar) {
    return reinterpret_cast<TextBarState*>(GetWindowLongPtrA(bar, GWLP_USERDATA));
}

void paintBarText(HWND bar, const TextBarState& state) {
    const std::string text = windowText(bar);
    HDC dc = GetDC(bar);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    HGDIOBJ oldFont = SelectObject(dc, state.font);
    const int width = state.client.right - state.client.left;
    const int height = state.client.bottom - state.client.top;
    TextOutA(dc, width / 2, height / 2 - scaled(BAR_TEXT_RISE, state.dpi), text.c_str(),
             static_cast<int>(text.size()));
    SelectObject(dc, oldFont);
    ReleaseDC(bar, dc);
}

} // namespace

void installTextProgressBar(HWND bar) {
    auto* state = new TextBarState;
    SetWindowLongPtrA(bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    state->previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TextProgressBar)));
}

LRESULT CALLBACK TextProgressBar(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    TextBarState* state = barState(bar);
    if (!state) return DefWindowProcA(bar, message, wParam, lParam);
    const WNDPROC previous = state->previous;
    switch (message) {
    case MSG_TEXT_BAR_INIT:
        GetClientRect(bar, &state->client);
        state->dpi = windowDpi(bar);
        // With visual styles the bar ignores its colours unless its theme is off.
        SetWindowTheme(bar, L" ", L" ");
        CallWindowProcA(previous, bar, PBM_SETPOS, 0, 0);
        CallWindowProcA(previous, bar, PBM_SETRANGE32, 0, PROGRESS_RANGE);
        if (!state->font)
            state->font = CreateFontA(scaled(BAR_FONT_HEIGHT, state->dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                                      FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Calibri");
        break;
    case WM_PAINT:
        // Every paint redraws the whole bar, then the text goes over it.
        InvalidateRect(bar, nullptr, TRUE);
        CallWindowProcA(previous, bar, WM_PAINT, 0, 0);
        paintBarText(bar, *state);
        return 0;
    case WM_SETTEXT: {
        // The text is painted by us; a new text needs a new paint.
        const LRESULT result = CallWindowProcA(previous, bar, message, wParam, lParam);
        InvalidateRect(bar, nullptr, TRUE);
        return result;
    }
    case WM_CLOSE:
        if (state->font) DeleteObject(state->font);
        state->font = nullptr;
        break;
    case WM_NCDESTROY: {
        if (state->font) DeleteObject(state->font);
        SetWindowLongPtrA(bar, GWLP_USERDATA, 0);
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        delete state;
        return CallWindowProcA(previous, bar, message, wParam, lParam);
    }
    default: break;
    }
    return CallWindowProcA(previous, bar, message, wParam, lParam);
}

namespace {
constexpr int HEADER_GRADIENT_ROWS = 15;
HPEN headerPens[HEADER_GRADIENT_ROWS] = {}; // all or none, created at the first paint
} // namespace

void paintHeaderGradient(HDC dc, const RECT& rect, int dpi) {
    if (!headerPens[0])
        for (int i = 0; i < HEADER_GRADIENT_ROWS; ++i) {
            const auto grey = 210u + static_cast<unsigned>(std::floor(i * 45.0 / 15.0 + 0.5));
            headerPens[i] = CreatePen(PS_SOLID, 1, rgb(grey, grey, grey));
        }
    for (int i = 0; i < HEADER_GRADIENT_ROWS; ++i) {
        HGDIOBJ old = SelectObject(dc, headerPens[i]);
        for (int row = scaled(i, dpi); row < scaled(i + 1, dpi); ++row) {
            MoveToEx(dc, rect.left, row, nullptr);
            LineTo(dc, rect.right, row);
        }
        SelectObject(dc, old);
    }
}

void releaseHeaderPens() {
    for (HPEN& pen : headerPens) {
        if (pen) DeleteObject(pen);
        pen = nullptr;
    }
}

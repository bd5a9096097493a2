// The About panel (dialog IDD_ABOUT), a hidden child of the Help page: product name,
// version, copyright line and two links, all painted; only the emblem is a
// control. See help_page.h.
#include "ui/help_page.h"

#include "ui/dialog_helpers.h"
#include "ui/main_window.h"

#include <shellapi.h>

#include <string>

ShellOpenFunction aboutShellOpen = ShellExecuteA;

// The panel's record, attached at WM_INITDIALOG and deleted at WM_NCDESTROY.
static AboutPanelState& stateOf(HWND panel) {
    return *reinterpret_cast<AboutPanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA));
}

bool linkContains(const RECT& link, POINT point) {
    return point.x >= link.left && point.x <= link.right && point.y >= link.top && point.y <= link.bottom;
}

namespace {

constexpr int LIGHT = 300;
constexpr int LINK_HALF_WIDTH = 80;

// Pointer positions arrive as signed 16-bit values: left of or above the
// panel they are negative.
POINT pointFrom(LPARAM lParam) {
    return { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
}

void drawText(HDC dc, HFONT font, UINT alignment, COLORREF colour, int x, int y, const char* text) {
    SelectObject(dc, font);
    SetTextAlign(dc, alignment);
    SetTextColor(dc, colour);
    TextOutA(dc, x, y, text, lstrlenA(text));
}

} // namespace

// ---- Messages ----------------------------------------------------------------

static void InitAboutPanel(HWND panel) {
    auto* record = new AboutPanelState;
    SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    AboutPanelState& state = *record;
    state.nameFont = createTahomaFont(panel, 20, LIGHT);
    state.versionFont = createTahomaFont(panel, 12, LIGHT);
    state.textFont = createTahomaFont(panel, 8, LIGHT);

    RECT client;
    GetClientRect(panel, &client);
    state.centreX = (client.right - client.left) / 2;
    state.webLink = { state.centreX - LINK_HALF_WIDTH, 165, state.centreX + LINK_HALF_WIDTH, 185 };
    state.mailLink = { state.centreX - LINK_HALF_WIDTH, 215, state.centreX + LINK_HALF_WIDTH, 235 };
    state.hand = LoadCursorA(nullptr, IDC_HAND);
}

static void OnPaint(HWND panel) {
    const AboutPanelState& state = stateOf(panel);
    const int cx = state.centreX;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(panel, &paint);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, state.nameFont);
    const COLORREF black = rgb(0, 0, 0);
    drawText(dc, state.nameFont, TA_LEFT | TA_TOP, black, 52, 35, ABOUT_PRODUCT_NAME);
    drawText(dc, state.versionFont, TA_LEFT | TA_TOP, black, 52, 100, ABOUT_VERSION);
    drawText(dc, state.textFont, TA_LEFT | TA_TOP, black, 52, 120, ABOUT_COPYRIGHT);
    drawText(dc, state.textFont, TA_CENTER | TA_TOP, black, cx, 150, ABOUT_WEB_HEADING);
    drawText(dc, state.textFont, TA_CENTER | TA_TOP, black, cx, 195, ABOUT_MAIL_HEADING);
    drawText(dc, state.textFont, TA_CENTER | TA_TOP, ABOUT_LINK_COLOUR, cx, 170, ABOUT_WEB_TEXT);
    drawText(dc, state.textFont, TA_CENTER | TA_TOP, ABOUT_LINK_COLOUR, cx, 215, ABOUT_MAIL_ADDRESS);
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SelectObject(dc, previousFont);
    EndPaint(panel, &paint);
}

// The hand goes up inside either link and the cursor it replaced comes back
// when the pointer leaves them. The replaced cursor is kept only when the hand
// goes up: on a later move inside a link the cursor replaced may be the hand
// itself, which would then never be taken down.
static void OnMouseMove(HWND panel, POINT point) {
    AboutPanelState& state = stateOf(panel);
    if (linkContains(state.webLink, point) || linkContains(state.mailLink, point)) {
        const HCURSOR replaced = SetCursor(state.hand);
        if (!state.handShown) state.previousCursor = replaced;
        state.handShown = true;
    } else if (state.handShown) {
        SetCursor(state.previousCursor);
        state.handShown = false;
    }
}

// Opens the link under the pointer; whether a program took it is not asked.
static void OnLeftButtonDown(HWND panel, POINT point) {
    const AboutPanelState& state = stateOf(panel);
    if (linkContains(state.webLink, point)) {
        aboutShellOpen(nullptr, "open", ABOUT_WEB_ADDRESS, nullptr, nullptr, SW_SHOW);
    } else if (linkContains(state.mailLink, point)) {
        const std::string mailto = std::string("mailto:") + ABOUT_MAIL_ADDRESS;
        aboutShellOpen(nullptr, "open", mailto.c_str(), nullptr, nullptr, SW_SHOW);
    }
}

static void DestroyAboutPanel(HWND panel) {
    auto* state = reinterpret_cast<AboutPanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA));
    if (!state) return;
    for (HFONT font : { state->nameFont, state->versionFont, state->textFont })
        if (font) DeleteObject(font);
    SetWindowLongPtrA(panel, GWLP_USERDATA, 0);
    delete state;
}

INT_PTR CALLBACK AboutPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitAboutPanel(panel); return FALSE; // nothing on the panel takes the focus
    case WM_PAINT: OnPaint(panel); return TRUE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(whiteBrush);
    case WM_MOUSEMOVE: OnMouseMove(panel, pointFrom(lParam)); return TRUE;
    case WM_LBUTTONDOWN: OnLeftButtonDown(panel, pointFrom(lParam)); return TRUE;
    case WM_CLOSE: EndDialog(panel, 0); return TRUE;
    case WM_NCDESTROY: DestroyAboutPanel(panel); return FALSE;
    default: return FALSE;
    }
}

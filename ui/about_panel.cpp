// The About panel (dialog IDD_ABOUT), a hidden child of the Help page: product name,
// version, copyright line and two links, all painted; only the emblem is a
// control. See help_page.h.
#include "ui/help_page.h"

#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/display_scale.h"
#include "ui/main_window.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

ShellOpenFunction aboutShellOpen = ShellExecuteA;

namespace {

// What the About panel keeps while its window lives, behind GWLP_USERDATA.
struct AboutPanelState {
    HFONT nameFont = nullptr;    // 20 points
    HFONT versionFont = nullptr; // 12 points
    HFONT textFont = nullptr;    // 8 points: copyright, headings, links
    int dpi = 96;                // the panel's: its painted places are pixels at 96 DPI, scaled
    int centreX = 0;             // half the client width, rounded down
    // The emblem drawn for the panel's DPI, and the one the static loaded from
    // the template, given back to it at the end; both nullptr at 96 DPI.
    HBITMAP scaledEmblem = nullptr;
    HBITMAP templateEmblem = nullptr;
    // The clickable areas under the two links. Unlike the usual RECT, both
    // edges belong to them: see LinkContains.
    RECT webLink {};
    RECT mailLink {};
    HCURSOR hand = nullptr;
    HCURSOR previousCursor = nullptr; // the cursor the hand replaced
    bool handShown = false;
};

// One text the panel paints, in painting order: its font, its colour, and its
// reference point in pixels at 96 DPI, the top-left corner, or for a centred
// text the top-centre point, whose x is then the panel's middle.
struct AboutText {
    const char* text;
    HFONT AboutPanelState::*font;
    bool centred;
    COLORREF colour;
    int x;
    int y;
};

} // namespace

// The panel's record, attached at WM_INITDIALOG and deleted at WM_NCDESTROY.
static AboutPanelState& stateOf(HWND panel) {
    return *reinterpret_cast<AboutPanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA));
}

// Whether `point` lies in `link`, its right and bottom edges included.
static bool LinkContains(const RECT& link, POINT point) {
    return point.x >= link.left && point.x <= link.right && point.y >= link.top && point.y <= link.bottom;
}

static const AboutText ABOUT_TEXTS[] = {
    { ABOUT_PRODUCT_NAME, &AboutPanelState::nameFont, false, rgb(0, 0, 0), 52, 35 },
    { ABOUT_VERSION, &AboutPanelState::versionFont, false, rgb(0, 0, 0), 52, 100 },
    { ABOUT_COPYRIGHT, &AboutPanelState::textFont, false, rgb(0, 0, 0), 52, 120 },
    { ABOUT_WEB_HEADING, &AboutPanelState::textFont, true, rgb(0, 0, 0), 0, 150 },
    { ABOUT_MAIL_HEADING, &AboutPanelState::textFont, true, rgb(0, 0, 0), 0, 195 },
    { ABOUT_WEB_TEXT, &AboutPanelState::textFont, true, ABOUT_LINK_COLOUR, 0, 170 },
    { ABOUT_MAIL_ADDRESS, &AboutPanelState::textFont, true, ABOUT_LINK_COLOUR, 0, 215 },
};

// Where `text` is painted on the panel: its reference point at the panel's DPI.
static POINT TextPoint(const AboutPanelState& panel, const AboutText& text) {
    return { text.centred ? panel.centreX : scaled(text.x, panel.dpi), scaled(text.y, panel.dpi) };
}

namespace {

constexpr int LIGHT = 300;
// The links' clickable areas, in pixels at 96 DPI: across the panel's middle,
// from `top` to `bottom`, both included.
constexpr int LINK_HALF_WIDTH = 80;
constexpr int WEB_LINK_TOP = 165, WEB_LINK_BOTTOM = 185;
constexpr int MAIL_LINK_TOP = 215, MAIL_LINK_BOTTOM = 235;

// Pointer positions arrive as signed 16-bit values: left of or above the
// panel they are negative.
POINT pointFrom(LPARAM lParam) {
    return { static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)) };
}

RECT linkArea(const AboutPanelState& state, int top, int bottom) {
    const int halfWidth = scaled(LINK_HALF_WIDTH, state.dpi);
    return { state.centreX - halfWidth, scaled(top, state.dpi), state.centreX + halfWidth,
             scaled(bottom, state.dpi) };
}

// The panel's size comes from dialog units, which grow with the rounded
// metrics of its font, a little less than the scale by which its painted
// places grow: it grows to hold its lowest text and the pixel below it that
// it has at 96 DPI.
void fitHeightToTexts(HWND panel, const AboutPanelState& state) {
    HDC dc = GetDC(panel);
    int bottom = 0;
    for (const AboutText& text : ABOUT_TEXTS) {
        HGDIOBJ old = SelectObject(dc, state.*text.font);
        SIZE size {};
        GetTextExtentPoint32A(dc, text.text, lstrlenA(text.text), &size);
        SelectObject(dc, old);
        bottom = std::max(bottom, static_cast<int>(TextPoint(state, text).y + size.cy));
    }
    ReleaseDC(panel, dc);
    bottom += scaled(1, state.dpi);
    RECT client;
    GetClientRect(panel, &client);
    if (bottom > client.bottom)
        SetWindowPos(panel, nullptr, 0, 0, client.right, bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The emblem is a 90 x 90 pixel bitmap: at another DPI the panel shows it
// stretched to the scaled size (the static sizes itself to its image).
void scaleEmblem(HWND panel, AboutPanelState& state) {
    if (state.dpi == BASE_DPI) return;
    BITMAP original {};
    HWND emblem = GetDlgItem(panel, IDC_EMBLEM);
    auto* current = reinterpret_cast<HBITMAP>(SendMessageA(emblem, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (!current || !GetObjectA(current, sizeof original, &original)) return;
    state.scaledEmblem = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_EMBLEM), IMAGE_BITMAP,
        scaled(original.bmWidth, state.dpi), scaled(original.bmHeight, state.dpi), LR_DEFAULTCOLOR));
    if (!state.scaledEmblem) return;
    state.templateEmblem = current;
    SendMessageA(emblem, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(state.scaledEmblem));
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
    state.dpi = windowDpi(panel);
    fitHeightToTexts(panel, state); // the texts' places depend on the width only

    RECT client;
    GetClientRect(panel, &client);
    state.centreX = (client.right - client.left) / 2;
    state.webLink = linkArea(state, WEB_LINK_TOP, WEB_LINK_BOTTOM);
    state.mailLink = linkArea(state, MAIL_LINK_TOP, MAIL_LINK_BOTTOM);
    state.hand = LoadCursorA(nullptr, IDC_HAND);
    scaleEmblem(panel, state);
}

static void OnPaint(HWND panel) {
    const AboutPanelState& state = stateOf(panel);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(panel, &paint);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previousFont = SelectObject(dc, state.nameFont);
    for (const AboutText& text : ABOUT_TEXTS) {
        const POINT point = TextPoint(state, text);
        SelectObject(dc, state.*text.font);
        SetTextAlign(dc, static_cast<UINT>((text.centred ? TA_CENTER : TA_LEFT) | TA_TOP));
        SetTextColor(dc, text.colour);
        TextOutA(dc, point.x, point.y, text.text, lstrlenA(text.text));
    }
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
    if (LinkContains(state.webLink, point) || LinkContains(state.mailLink, point)) {
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
    if (LinkContains(state.webLink, point)) {
        aboutShellOpen(nullptr, "open", ABOUT_WEB_ADDRESS, nullptr, nullptr, SW_SHOW);
    } else if (LinkContains(state.mailLink, point)) {
        const std::string mailto = std::string("mailto:") + ABOUT_MAIL_ADDRESS;
        aboutShellOpen(nullptr, "open", mailto.c_str(), nullptr, nullptr, SW_SHOW);
    }
}

// While the emblem's static still lives: it gets its own image back, and the
// scaled one goes.
static void ReleaseScaledEmblem(HWND panel) {
    AboutPanelState& state = stateOf(panel);
    if (!state.scaledEmblem) return;
    SendDlgItemMessageA(panel, IDC_EMBLEM, STM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(state.templateEmblem));
    DeleteObject(state.scaledEmblem);
    state.scaledEmblem = nullptr;
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
    case WM_DESTROY: ReleaseScaledEmblem(panel); return FALSE;
    case WM_NCDESTROY: DestroyAboutPanel(panel); return FALSE;
    default: return FALSE;
    }
}

// The main window laid out at the display scale this process started with:
// tests/gui/at_each_scale runs it at 96, 120, 144 and 192 DPI. Every page lies
// in the tab control's pane below the tabs, no control of a page covers
// another or is cut by the page's edge, each tab caption is drawn whole inside
// its tab, and the About panel's texts stay apart and off the emblem.
#include "tests/gui/harness.h"
#include "ui/display_scale.h"
#include "ui/help_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace gui;

std::string Show(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}
bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}
// Boxes that meet in dialog units may share a row or column of pixels: the
// dialog manager rounds each control's place and size on its own.
bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) && both.right - both.left > 1 && both.bottom - both.top > 1;
}
RECT In(HWND window, HWND reference) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// What a control shows of itself on its page: a static text only its text
// (left or right in its box; nothing while empty), any other control its box.
RECT Footprint(HWND control, HWND page) {
    RECT box = In(control, page);
    const auto style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    if (ClassOf(control) != "Static" || (style & SS_TYPEMASK) > SS_RIGHT) return box;
    const std::string text = Text(control);
    SIZE size {};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    const bool right =
        (style & SS_TYPEMASK) == SS_RIGHT || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_RIGHT);
    if (right)
        box.left = box.right - size.cx;
    else
        box.right = box.left + size.cx;
    if (style & SS_CENTERIMAGE) box.top += (box.bottom - box.top - size.cy) / 2; // drawn centred in its box
    box.bottom = box.top + size.cy;
    return box;
}

bool IsGroupBox(HWND control) {
    return ClassOf(control) == "Button" && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A 32-bit copy of what `window` shows on screen, row by row from the top.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> bits;
    DWORD at(int x, int y) const { return bits[static_cast<std::size_t>(y * width + x)]; }
    // Whether a pixel is ink: the captions are black, their tabs grey or white.
    bool ink(int x, int y) const {
        const DWORD p = at(x, y);
        return (p & 0xFF) < 96 && (p >> 8 & 0xFF) < 96 && (p >> 16 & 0xFF) < 96;
    }
    // The bounding box of the ink inside `area`; empty when there is none.
    RECT inkIn(const RECT& area) const {
        RECT box { area.right, area.bottom, area.left, area.top };
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (ink(x, y))
                    box = { std::min(box.left, static_cast<LONG>(x)), std::min(box.top, static_cast<LONG>(y)),
                            std::max(box.right, static_cast<LONG>(x + 1)),
                            std::max(box.bottom, static_cast<LONG>(y + 1)) };
        return box.left < box.right ? box : RECT {};
    }
};

Pixels Capture(HDC source, int width, int height) {
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    BITMAPINFO info {};
    info.bmiHeader = { sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 };
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const DWORD*>(bits);
    pixels.bits.assign(first, first + width * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

// The ink of `text` drawn black on white in Tahoma of `points` at `dpi`.
SIZE InkOf(const char* text, int points, int dpi) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 100);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    HFONT font = CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, 0,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, "Tahoma");
    HGDIOBJ oldFont = SelectObject(memory, font);
    RECT all { 0, 0, 400, 100 };
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory, 0);
    SetBkMode(memory, TRANSPARENT);
    TextOutA(memory, 10, 10, text, lstrlenA(text));
    const RECT ink = Capture(memory, 400, 100).inkIn(all);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(font);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return { ink.right - ink.left, ink.bottom - ink.top };
}

class Layout : public ::testing::Test {
protected:
    Window w;
    HWND tabs = GetDlgItem(w.main, IDC_TABS);
    int dpi = windowDpi(w.main);

    void SetUp() override {
        // The run must be at the scale it was started for, or it proves nothing.
        if (const char* expected = std::getenv("MORVANE_EXPECTED_DPI")) {
            ASSERT_EQ(dpi, std::atoi(expected));
        }
    }
    RECT item(int index) const {
        RECT r {};
        SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
};

TEST_F(Layout, EachPageLiesInThePaneBelowTheTabsWithItsControlsApartAndWhole) {
    RECT pane;
    GetClientRect(tabs, &pane);
    InflateRect(&pane, -1, -1); // inside the frame's lines
    for (int index : { SPLIT, JOIN, HELP }) pane.top = std::max(pane.top, item(index).bottom);
    for (int index : { SPLIT, JOIN, HELP }) {
        w.tab(index);
        HWND page = w.pages[index];
        EXPECT_TRUE(Inside(In(page, tabs), pane))
            << index << ": " << Show(In(page, tabs)) << " in " << Show(pane);
        RECT client;
        GetClientRect(page, &client);
        std::vector<HWND> controls;
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (ClassOf(c) != "#32770") controls.push_back(c); // the About panel: below
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const RECT a = Footprint(controls[i], page);
            const int idA = GetDlgCtrlID(controls[i]);
            EXPECT_TRUE(Inside(a, client))
                << index << "/" << idA << ": " << Show(a) << " in " << Show(client);
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                const RECT b = Footprint(controls[j], page);
                const bool framed =
                    (IsGroupBox(controls[i]) && Inside(b, a)) || (IsGroupBox(controls[j]) && Inside(a, b));
                EXPECT_TRUE(framed || !Overlap(a, b)) << index << ": " << idA << " " << Show(a) << " and "
                                                      << GetDlgCtrlID(controls[j]) << " " << Show(b);
            }
        }
    }
}

TEST_F(Layout, EachTabCaptionIsDrawnWholeInsideItsTab) {
    w.pump([] { return false; }, std::chrono::milliseconds(300)); // painted
    RECT client;
    GetClientRect(tabs, &client);
    HDC dc = GetDC(tabs);
    const Pixels shown = Capture(dc, client.right, client.bottom);
    ReleaseDC(tabs, dc);
    const char* captions[] = { "Split", "Join", "Help" };
    for (int index : { SPLIT, JOIN, HELP }) {
        // Inside the tab's border lines, which are dark too; below it is the
        // pane's line, not the tab's.
        const RECT tab = item(index);
        const RECT ink = shown.inkIn({ tab.left + 2, tab.top + 2, tab.right - 2, tab.bottom });
        const SIZE whole = InkOf(captions[index], 8, dpi); // a pixel less: smoothing on another background
        EXPECT_TRUE(ink.right - ink.left >= whole.cx - 1 && ink.bottom - ink.top >= whole.cy - 1)
            << captions[index] << ": ink " << Show(ink) << " in " << Show(tab) << ", whole " << whole.cx
            << "x" << whole.cy;
    }
}

TEST_F(Layout, TheAboutPanelsTextsStayInsideItApartAndOffTheEmblem) {
    w.tab(HELP);
    w.pick(HELP, IDC_TOPICS, LB_SETCURSEL, ABOUT_TOPIC);
    HWND panel = ChildWith(w.pages[HELP], IDC_EMBLEM);
    const auto& state = *reinterpret_cast<const AboutPanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA));
    RECT client, page;
    GetClientRect(panel, &client);
    GetClientRect(w.pages[HELP], &page);
    EXPECT_TRUE(Inside(In(panel, w.pages[HELP]), page)) << Show(In(panel, w.pages[HELP]));
    const RECT emblem = In(GetDlgItem(panel, IDC_EMBLEM), panel);
    BITMAP image {};
    GetObjectA(
        reinterpret_cast<HBITMAP>(SendDlgItemMessageA(panel, IDC_EMBLEM, STM_GETIMAGE, IMAGE_BITMAP, 0)),
        sizeof image, &image);
    EXPECT_EQ(image.bmWidth, scaled(90, dpi));
    EXPECT_TRUE(Inside(emblem, client)) << Show(emblem);
    std::vector<RECT> boxes;
    HDC dc = GetDC(panel);
    for (const AboutText& text : ABOUT_TEXTS) {
        SelectObject(dc, state.*text.font);
        SIZE size {};
        GetTextExtentPoint32A(dc, text.text, lstrlenA(text.text), &size);
        const POINT at = aboutTextPoint(state, text);
        const LONG left = text.centred ? at.x - size.cx / 2 : at.x;
        const RECT box { left, at.y, left + size.cx, at.y + size.cy };
        EXPECT_TRUE(Inside(box, client) && !Overlap(box, emblem)) << text.text << " " << Show(box);
        for (const RECT& other : boxes) EXPECT_FALSE(Overlap(box, other)) << text.text << " " << Show(box);
        boxes.push_back(box);
    }
    ReleaseDC(panel, dc);
    // Each link's clickable area holds its text's rows, across the middle.
    for (int link : { 5, 6 }) {
        const RECT area = link == 5 ? state.webLink : state.mailLink,
                   text = boxes[static_cast<std::size_t>(link)];
        EXPECT_TRUE(Inside({ state.centreX - 1, text.top, state.centreX + 1, text.bottom }, area))
            << Show(text) << " in " << Show(area);
    }
}

} // namespace

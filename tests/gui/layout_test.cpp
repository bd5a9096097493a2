// The main window laid out at the display scale this process started with:
// tests/gui/at_each_scale runs it at 96, 120, 144 and 192 DPI. Every page lies
// in the tab control's pane below the tabs, no control of a page covers
// another or is cut by the page's edge, a check box's caption fits beside its
// mark, each tab caption is drawn whole inside its tab, and the About panel's
// painted texts stay apart and off the emblem, each link opening where it shows.
#include "tests/gui/harness.h"
#include "ui/display_scale.h"
#include "ui/help_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

// Boxes in failure messages: found by argument-dependent lookup, as RECT is global.
std::ostream& operator<<(std::ostream& out, const RECT& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

namespace {

using namespace gui;

// Nothing (an empty box: a static text without text) lies inside anything.
bool Inside(const RECT& inner, const RECT& outer) {
    RECT both;
    return UnionRect(&both, &inner, &outer) && EqualRect(&both, &outer);
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
RECT ClientOf(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    return client;
}
// The size of a control's text in its own font.
SIZE TextSize(HWND control) {
    const std::string text = Text(control);
    SIZE size {};
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size;
}

// What a control shows of itself on its page: a static text only its text
// (left or right in its box; nothing while empty), any other control its box.
RECT Footprint(HWND control, HWND page) {
    RECT box = In(control, page);
    const auto style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    if (ClassOf(control) != "Static" || (style & SS_TYPEMASK) > SS_RIGHT) return box;
    const SIZE size = TextSize(control);
    if ((style & SS_TYPEMASK) == SS_RIGHT || (GetWindowLongA(control, GWL_EXSTYLE) & WS_EX_RIGHT))
        box.left = box.right - size.cx;
    else
        box.right = box.left + size.cx;
    if (style & SS_CENTERIMAGE) box.top += (box.bottom - box.top - size.cy) / 2; // drawn centred in its box
    box.bottom = box.top + size.cy;
    return box;
}

bool IsButton(HWND control, std::initializer_list<DWORD> types) {
    const DWORD type = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE)) & BS_TYPEMASK;
    return ClassOf(control) == "Button" && std::find(types.begin(), types.end(), type) != types.end();
}

// A copy of what `window`'s client area shows on screen, row by row from the top.
struct Pixels {
    int width = 0, height = 0;
    std::vector<DWORD> bits;

    explicit Pixels(HWND window) : width(ClientOf(window).right), height(ClientOf(window).bottom) {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        BITMAPINFO info { { sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0 }, {} };
        void* shown = nullptr;
        HDC source = GetDC(window), memory = CreateCompatibleDC(source);
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &shown, nullptr, 0);
        SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY);
        GdiFlush();
        bits.assign(static_cast<const DWORD*>(shown), static_cast<const DWORD*>(shown) + width * height);
        DeleteDC(memory); // first: the bitmap is no longer selected
        DeleteObject(bitmap);
        ReleaseDC(window, source);
    }
    // The bounding box of the ink inside `area` and outside `skipped`; empty
    // when there is none. Ink is a pixel darker in some colour than `paper`
    // (the tabs' grey is 210, the About panel white).
    RECT inkIn(const RECT& area, DWORD paper, const RECT& skipped = {}) const {
        RECT box {};
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                const DWORD p = bits[static_cast<std::size_t>(y * width + x)];
                const RECT dot { x, y, x + 1, y + 1 };
                if (std::min({ p & 0xFF, p >> 8 & 0xFF, p >> 16 & 0xFF }) < paper && !Inside(dot, skipped))
                    UnionRect(&box, &box, &dot);
            }
        return box;
    }
};

// What the About panel opens, recorded in place of ShellExecuteA.
std::string opened;
HINSTANCE WINAPI RecordOpen(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
    opened = file;
    return nullptr;
}

class Layout : public ::testing::Test {
protected:
    Window w;
    HWND tabs = GetDlgItem(w.main, IDC_TABS);
    int dpi = windowDpi(w.main);

    void SetUp() override {
        // The run must be at the scale it was started for, or it proves nothing.
        const char* expected = std::getenv("MORVANE_EXPECTED_DPI");
        ASSERT_EQ(dpi, expected ? std::atoi(expected) : dpi);
    }
    RECT item(int index) const {
        RECT r {};
        SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }
};

// Inside each tab's border lines (dark too; below lies the pane's line, not
// the tab's) its caption is drawn whole: clear of them by a row and a column.
TEST_F(Layout, EachTabShowsItsCaptionWholeAndItsPageInThePaneWithTheControlsApartAndWhole) {
    const Pixels captions(tabs);
    RECT pane = ClientOf(tabs);
    InflateRect(&pane, -1, -1); // inside the frame's lines
    for (int index : { SPLIT, JOIN, HELP }) pane.top = std::max(pane.top, item(index).bottom);
    for (int index : { SPLIT, JOIN, HELP }) {
        const RECT tab = item(index), inner { tab.left + 2, tab.top + 2, tab.right - 2, tab.bottom };
        const RECT ink = captions.inkIn(inner, 96),
                   clear { inner.left + 1, inner.top + 1, inner.right - 1, inner.bottom - 1 };
        EXPECT_TRUE(!IsRectEmpty(&ink) && Inside(ink, clear))
            << PAGE_NAMES[index] << ": ink " << ink << " in " << tab;
        w.tab(index);
        HWND page = w.pages[index];
        EXPECT_TRUE(Inside(In(page, tabs), pane)) << index << ": " << In(page, tabs);
        std::vector<HWND> controls;
        for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if (ClassOf(c) != "#32770") controls.push_back(c); // the About panel: below
        for (std::size_t i = 0; i < controls.size(); ++i) {
            const RECT a = Footprint(controls[i], page);
            const int idA = GetDlgCtrlID(controls[i]);
            EXPECT_TRUE(Inside(a, ClientOf(page))) << index << "/" << idA << ": " << a;
            // A check box or radio button on show: its caption must fit beside its mark.
            const bool choice =
                IsWindowVisible(controls[i]) &&
                IsButton(controls[i], { BS_AUTOCHECKBOX, BS_CHECKBOX, BS_RADIOBUTTON, BS_AUTORADIOBUTTON });
            const int marked = GetSystemMetrics(SM_CXMENUCHECK) + scaled(4, dpi) + TextSize(controls[i]).cx;
            EXPECT_TRUE(!choice || marked <= a.right - a.left)
                << index << "/" << idA << ": " << Text(controls[i]) << " needs " << marked;
            for (std::size_t j = i + 1; j < controls.size(); ++j) {
                const RECT b = Footprint(controls[j], page);
                const bool framed = (IsButton(controls[i], { BS_GROUPBOX }) && Inside(b, a)) ||
                                    (IsButton(controls[j], { BS_GROUPBOX }) && Inside(a, b));
                EXPECT_TRUE(framed || !Overlap(a, b))
                    << index << ": " << idA << " " << a << " and " << GetDlgCtrlID(controls[j]) << " " << b;
            }
        }
    }
}

// The painted texts are the bands of rows with ink beside the emblem: seven,
// each apart from the next, none touching the panel's edge or the emblem.
TEST_F(Layout, TheAboutPanelsTextsStayInsideItApartAndOffTheEmblemAndEachLinkOpensWhereItShows) {
    aboutShellOpen = RecordOpen;
    w.tab(HELP);
    w.pick(HELP, IDC_TOPICS, LB_SETCURSEL, ABOUT_TOPIC);
    HWND panel = ChildWith(w.pages[HELP], IDC_EMBLEM);
    EXPECT_TRUE(Inside(In(panel, w.pages[HELP]), ClientOf(w.pages[HELP]))) << In(panel, w.pages[HELP]);
    // The panel on the screen, whatever the window's size, for its pixels.
    const RECT window = In(w.main, nullptr), at = In(panel, nullptr);
    SetWindowPos(w.main, nullptr, window.left - at.left, window.top - at.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    const Pixels shown(panel);
    const RECT emblem = In(GetDlgItem(panel, IDC_EMBLEM), panel),
               edges { 1, 1, shown.width - 1, shown.height - 1 };
    EXPECT_TRUE(Inside(emblem, edges) && emblem.right - emblem.left == scaled(90, dpi)) << emblem;
    std::vector<RECT> texts;
    for (int y = 0; y < shown.height; ++y) {
        const RECT row = shown.inkIn({ 0, y, shown.width, y + 1 }, 255, emblem);
        if (IsRectEmpty(&row)) continue;
        if (texts.empty() || texts.back().bottom < y)
            texts.push_back(row); // after a blank row: the next text
        UnionRect(&texts.back(), &texts.back(), &row);
    }
    ASSERT_EQ(texts.size(), 7u); // name, version, copyright, web heading and link, mail heading and address
    for (const RECT& text : texts) EXPECT_TRUE(Inside(text, edges) && !Overlap(text, emblem)) << text;
    for (const auto& [text, link] : { std::pair { texts[4], std::string(ABOUT_WEB_ADDRESS) },
                                      std::pair { texts[6], "mailto:" + std::string(ABOUT_MAIL_ADDRESS) } }) {
        SendMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2));
        EXPECT_EQ(opened, link) << text;
    }
}

} // namespace

// The Help page and the About panel on real windows: the topic list and the
// swap to the panel, the read-only topic text, the licence layout, the panel's
// fonts, painting, hand cursor and links, and what closing releases.
#include "res/resource.h"
#include "tests/gui/gui_driver.h"
#include "ui/dialog_helpers.h"
#include "ui/help_page.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// The Help page as the main window makes it: a child of a plain top-level
// window, shown and enabled. The pointer is parked outside the windows so that
// no real mouse event changes the cursor under a test.
class HelpPageTest : public ::testing::Test {
protected:
    HWND parent = nullptr;
    HWND page = nullptr;

    void SetUp() override {
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 700, 360,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(parent, nullptr);
        page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HELP), parent, HelpPageProc,
                                  0);
        ASSERT_NE(page, nullptr);
        ASSERT_NE(aboutPanel(), nullptr);
        ShowWindow(parent, SW_SHOW);
        ShowWindow(page, SW_SHOW);
        EnableWindow(page, TRUE);
        UpdateWindow(parent);
    }

    void TearDown() override {
        aboutShellOpen = ShellExecuteA;
        if (page) SendMessageA(page, WM_CLOSE, 0, 0);
        if (parent) DestroyWindow(parent);
    }

    HWND topics() const { return GetDlgItem(page, IDC_TOPICS); }
    HWND topicText() const { return GetDlgItem(page, IDC_TOPIC_TEXT); }

    // Selects a topic as a click in the list would.
    void selectTopic(int index) {
        SendMessageA(topics(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_TOPICS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(topics()));
    }

    // Half the panel's client width: the centre of the headings and links.
    int panelCentre() const {
        RECT client;
        GetClientRect(aboutPanel(), &client);
        return client.right / 2;
    }

    // The panel's top-left corner in the page's client area.
    POINT panelPosition() const {
        RECT rect;
        GetWindowRect(aboutPanel(), &rect);
        POINT corner { rect.left, rect.top };
        ScreenToClient(page, &corner);
        return corner;
    }

    // Paints the whole window tree now and gives the colour of a pixel of `window`.
    COLORREF pixel(HWND window, int x, int y) const {
        RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        HDC dc = GetDC(window);
        const COLORREF colour = GetPixel(dc, x, y);
        ReleaseDC(window, dc);
        return colour;
    }
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string ListText(HWND list, int index) {
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// ---- Topics --------------------------------------------------------------------

TEST_F(HelpPageTest, StartsOnTheFirstTopicWithItsText) {
    const char* titles[] = { "Splitting a File", "Joining Files", "About", "Release Notes", "License" };
    ASSERT_EQ(SendMessageA(topics(), LB_GETCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ListText(topics(), i), titles[i]) << "topic " << i;
    EXPECT_EQ(SendMessageA(topics(), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(gui::Text(topicText()), HELP_TOPICS[0].text);
    EXPECT_TRUE(IsWindowVisible(topicText()));
    EXPECT_FALSE(IsWindowVisible(aboutPanel()));
    EXPECT_EQ(GetParent(aboutPanel()), page);
}

TEST_F(HelpPageTest, AboutSwapsThePanelInForTheTextAndBack) {
    // About, License, About as the user would, then through every other topic.
    const int sequence[] = { 2, 4, 2, 1, 3, 2, 0, 2, 2, 4 };
    RECT created;
    GetWindowRect(aboutPanel(), &created);
    for (int topic : sequence) {
        SCOPED_TRACE("topic " + std::to_string(topic));
        selectTopic(topic);
        const bool about = topic == ABOUT_TOPIC;
        EXPECT_EQ(IsWindowVisible(aboutPanel()) != FALSE, about);
        EXPECT_EQ(IsWindowVisible(topicText()) != FALSE, !about);
        EXPECT_EQ(gui::Text(topicText()), HELP_TOPICS[topic].text);
        if (about) {
            const POINT at = panelPosition();
            EXPECT_EQ(at.x, 100);
            EXPECT_EQ(at.y, 15);
            EXPECT_EQ(GetWindow(page, GW_CHILD), aboutPanel()) << "the panel is not on top";
            RECT now;
            GetWindowRect(aboutPanel(), &now);
            EXPECT_EQ(now.right - now.left, created.right - created.left);
            EXPECT_EQ(now.bottom - now.top, created.bottom - created.top);
        }
    }
}

TEST_F(HelpPageTest, TypingIntoTheTopicTextChangesNothing) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL clip = GlobalAlloc(GMEM_MOVEABLE, 7);
    memcpy(GlobalLock(clip), "pasted", 7);
    GlobalUnlock(clip);
    SetClipboardData(CF_TEXT, clip);
    CloseClipboard();

    // A letter, Enter, Backspace, and the Ctrl+V, Ctrl+X characters, each over
    // the whole text selected so that any of them would replace it.
    const WPARAM typed[] = { 'x', '\r', '\b', 0x16, 0x18 };
    for (int topic : { 0, 4 }) {
        selectTopic(topic);
        for (WPARAM character : typed) {
            SendMessageA(topicText(), EM_SETSEL, 0, -1);
            SendMessageA(topicText(), WM_CHAR, character, 1);
            EXPECT_EQ(gui::Text(topicText()), HELP_TOPICS[topic].text)
                << "topic " << topic << ", character " << character;
        }
    }
    // Messages other than typed characters still reach the edit: it selects.
    DWORD start = 1;
    DWORD end = 0;
    SendMessageA(topicText(), EM_SETSEL, 3, 9);
    SendMessageA(topicText(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 3u);
    EXPECT_EQ(end, 9u);
}

TEST(HelpTopics, TheLicenceTextKeepsItsLayout) {
    const std::string licence = HELP_TOPICS[4].text;
    EXPECT_EQ(licence.size(), 731u);
    const std::vector<std::string> lines = SplitLines(licence);
    ASSERT_GE(lines.size(), 6u);
    EXPECT_EQ(lines[0], "END-USER LICENSE AGREEMENT");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "Permission to use, copy, and/or distribute this software for any purpose with or");
    EXPECT_NE(licence.substr(licence.size() - 2), "\r\n");
    EXPECT_EQ(licence.find("modify"), std::string::npos);
    // Exactly two blank lines: after the heading and between the paragraphs.
    int blank = 0;
    size_t disclaimer = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 80u) << "line " << i << ": " << lines[i];
        EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << "a lone break in line " << i;
        if (lines[i].empty()) {
            ++blank;
            disclaimer = i + 1;
        }
    }
    EXPECT_EQ(blank, 2);
    ASSERT_LT(disclaimer, lines.size());
    EXPECT_EQ(lines[disclaimer].rfind("THE SOFTWARE IS PROVIDED \"AS IS\"", 0), 0u);
}

// ---- Painting and colours -------------------------------------------------------

TEST_F(HelpPageTest, PaintsTheGreyHeaderOverAWhitePage) {
    for (int row = 0; row < 15; ++row) {
        const unsigned grey = 210u + 3u * static_cast<unsigned>(row);
        EXPECT_EQ(pixel(page, 3, row), rgb(grey, grey, grey)) << "row " << row;
    }
    EXPECT_EQ(pixel(page, 3, 15), rgb(255, 255, 255));
}

TEST_F(HelpPageTest, RepaintingCreatesTheGradientPensOnlyOnce) {
    releaseHeaderPens(); // the next paint creates them
    const int before = headerPenCreations();
    for (int i = 0; i < 25; ++i) {
        InvalidateRect(page, nullptr, TRUE);
        UpdateWindow(page);
    }
    EXPECT_EQ(headerPenCreations(), before + 1);
}

// Where pixels of one colour lie in a band of rows.
struct Ink {
    int count = 0;
    int left = 1 << 20;
    int right = -1;
};

TEST_F(HelpPageTest, ThePanelPaintsEachTextAtItsPlaceAndColour) {
    selectTopic(ABOUT_TOPIC);
    const int cx = panelCentre();
    RECT emblem;
    GetWindowRect(GetDlgItem(aboutPanel(), IDC_EMBLEM), &emblem);
    MapWindowPoints(nullptr, aboutPanel(), reinterpret_cast<POINT*>(&emblem), 2);
    RECT client;
    GetClientRect(aboutPanel(), &client);
    const COLORREF black = rgb(0, 0, 0);
    const COLORREF link = rgb(15, 50, 170);

    RedrawWindow(parent, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    HDC dc = GetDC(aboutPanel());
    auto scan = [&](int top, int bottom, COLORREF colour) {
        Ink ink;
        for (int y = top; y <= bottom; ++y) {
            for (int x = 0; x < client.right; ++x) {
                if (PtInRect(&emblem, POINT { x, y }) || GetPixel(dc, x, y) != colour) continue;
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
        return ink;
    };
    // Rows of each text at the 8, 12 and 20 point fonts of a 96 or 120 dpi screen.
    const struct {
        const char* name;
        int top, bottom;
        COLORREF colour;
        bool centred; // else left-aligned at x = 52
    } texts[] = {
        { "product name", 35, 99, black, false }, { "version", 100, 119, black, false },
        { "copyright", 120, 140, black, false },  { "web heading", 150, 164, black, true },
        { "web link", 165, 185, link, true },     { "mail heading", 195, 214, black, true },
        { "mail link", 215, 235, link, true },
    };
    for (const auto& text : texts) {
        const Ink ink = scan(text.top, text.bottom, text.colour);
        EXPECT_GT(ink.count, 20) << text.name;
        if (text.centred) {
            EXPECT_NEAR(ink.left + ink.right, 2 * cx, 4) << text.name << " is not centred";
        } else {
            EXPECT_GE(ink.left, 52) << text.name;
            EXPECT_LE(ink.left, 56) << text.name;
        }
    }
    // The link colour appears nowhere outside the links' rows.
    int strayLinkInk = scan(0, 164, link).count + scan(186, 214, link).count;
    strayLinkInk += scan(236, client.bottom - 1, link).count;
    EXPECT_EQ(strayLinkInk, 0);
    const COLORREF corner = GetPixel(dc, 2, 2);
    ReleaseDC(aboutPanel(), dc);
    EXPECT_EQ(corner, rgb(255, 255, 255));
}

// ---- The About panel's links -----------------------------------------------------

void MoveTo(HWND panel, int x, int y) {
    SendMessageA(panel, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
}

TEST_F(HelpPageTest, TheHandShowsOnlyInsideTheLinks) {
    selectTopic(ABOUT_TOPIC);
    const int cx = panelCentre();
    const HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    const struct {
        int x, y;
        bool inside;
    } cases[] = {
        { cx, 175, true },      { cx - 80, 165, true }, { cx + 80, 185, true },  { cx - 80, 185, true },
        { cx + 80, 165, true }, { cx, 215, true },      { cx, 235, true },       { cx + 80, 235, true },
        { cx, 164, false },     { cx, 186, false },     { cx - 81, 175, false }, { cx + 81, 175, false },
        { cx, 214, false },     { cx, 236, false },     { cx, 200, false },      { cx, 155, false },
        { -cx, 175, false },    { cx, -175, false },
    };
    for (const auto& c : cases) {
        SetCursor(cross);
        MoveTo(aboutPanel(), c.x, c.y);
        EXPECT_EQ(GetCursor() == hand, c.inside) << "at " << c.x - cx << " from the centre, " << c.y;
        EXPECT_EQ(aboutPanelState().handShown, c.inside) << "at " << c.x - cx << " from the centre, " << c.y;
        MoveTo(aboutPanel(), 2, 2);
        EXPECT_EQ(GetCursor(), cross) << "after " << c.x - cx << " from the centre, " << c.y;
        EXPECT_FALSE(aboutPanelState().handShown);
    }
}

TEST_F(HelpPageTest, ThePreviousCursorReturnsAfterManyMovesInsideTheLinks) {
    selectTopic(ABOUT_TOPIC);
    const int cx = panelCentre();
    const HCURSOR cross = LoadCursorA(nullptr, IDC_CROSS);
    SetCursor(cross);
    for (int y : { 166, 170, 180, 185, 220, 230 }) MoveTo(aboutPanel(), cx + 10, y);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));
    MoveTo(aboutPanel(), cx, 300);
    EXPECT_EQ(GetCursor(), cross);
    // A second move outside leaves the cursor alone.
    const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(wait);
    MoveTo(aboutPanel(), cx, 301);
    EXPECT_EQ(GetCursor(), wait);
}

// What the panel asked the shell to open, instead of opening it.
struct ShellCall {
    int count = 0;
    HWND owner = nullptr;
    std::string verb, file;
    bool parameters = false, directory = false;
    INT show = 0;
};
ShellCall lastShellCall;

HINSTANCE WINAPI RecordShellCall(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                                 INT show) {
    ++lastShellCall.count;
    lastShellCall.owner = owner;
    lastShellCall.verb = verb ? verb : "(null)";
    lastShellCall.file = file ? file : "(null)";
    lastShellCall.parameters = parameters != nullptr;
    lastShellCall.directory = directory != nullptr;
    lastShellCall.show = show;
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

TEST_F(HelpPageTest, AClickOpensTheLinkUnderThePointer) {
    // The program opens links with ShellExecuteA (the pointer's default); the
    // test records the call instead of starting a browser under Wine. (The
    // addresses of the import and of its thunk differ, so they are not compared.)
    ASSERT_NE(aboutShellOpen, nullptr);
    aboutShellOpen = RecordShellCall;
    selectTopic(ABOUT_TOPIC);
    const int cx = panelCentre();
    const std::string web = "https://morvane.example.org/";
    const std::string mail = "mailto:help@morvane.example.org";
    const struct {
        int x, y;
        const std::string* opens; // nullptr: nothing
    } cases[] = {
        { cx, 185, &web },         { cx - 80, 165, &web },    { cx + 80, 175, &web }, { cx, 215, &mail },
        { cx + 80, 235, &mail },   { cx - 30, 225, &mail },   { cx, 155, nullptr },   { cx, 200, nullptr },
        { cx - 81, 175, nullptr }, { cx + 81, 225, nullptr }, { cx, 186, nullptr },   { cx, 236, nullptr },
        { 52, 40, nullptr },
    };
    for (const auto& c : cases) {
        lastShellCall = ShellCall {};
        SendMessageA(aboutPanel(), WM_LBUTTONDOWN, MK_LBUTTON,
                     MAKELPARAM(static_cast<WORD>(c.x), static_cast<WORD>(c.y)));
        SCOPED_TRACE("click at " + std::to_string(c.x - cx) + " from the centre, " + std::to_string(c.y));
        if (!c.opens) {
            EXPECT_EQ(lastShellCall.count, 0) << "opened " << lastShellCall.file;
            continue;
        }
        EXPECT_EQ(lastShellCall.count, 1);
        EXPECT_EQ(lastShellCall.file, *c.opens);
        EXPECT_EQ(lastShellCall.owner, nullptr);
        EXPECT_EQ(lastShellCall.verb, "open");
        EXPECT_FALSE(lastShellCall.parameters);
        EXPECT_FALSE(lastShellCall.directory);
        EXPECT_EQ(lastShellCall.show, SW_SHOW);
    }
}

} // namespace

// The main window on real windows: start-up with and without a path, tab
// switching, the status panel's figures, and closing while a job runs.
#include "res/resource.h"
#include "split/split_page.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"
#include "ui/status_panel.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>

namespace {

int SelectedTab(const MainWindowHarness& harness) {
    return static_cast<int>(SendDlgItemMessageA(harness.window(), IDC_TABS, TCM_GETCURSEL, 0, 0));
}

POINT PagePosition(const MainWindowHarness& harness, int index) {
    RECT rect;
    GetWindowRect(harness.page(index), &rect);
    POINT corner { rect.left, rect.top };
    ScreenToClient(harness.window(), &corner);
    return corner;
}

// Exactly `shown` is visible and enabled; the other pages are hidden and disabled.
void ExpectOnlyPageShown(const MainWindowHarness& harness, int shown) {
    for (int i = 0; i < PAGE_COUNT; ++i) {
        EXPECT_EQ(IsWindowVisible(harness.page(i)) != FALSE, i == shown) << "page " << i;
        EXPECT_EQ(IsWindowEnabled(harness.page(i)) != FALSE, i == shown) << "page " << i;
    }
    EXPECT_EQ(SelectedTab(harness), shown);
    EXPECT_EQ(mainWindowState().currentPage, harness.page(shown));
    const POINT at = PagePosition(harness, shown);
    EXPECT_EQ(at.x, 13);
    EXPECT_EQ(at.y, 33);
}

TEST(MainWindow, StartsOnTheSplitTabWithoutACommandLine) {
    MainWindowHarness harness("");
    ASSERT_NE(harness.window(), nullptr);
    EXPECT_EQ(harness.title(), "Morvane");
    HWND tabs = GetDlgItem(harness.window(), IDC_TABS);
    ASSERT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    const char* names[] = { "Split", "Join", "Help" };
    for (int i = 0; i < 3; ++i) {
        char text[32] = {};
        TCITEMA item {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        EXPECT_STREQ(text, names[i]);
    }
    ExpectOnlyPageShown(harness, SPLIT_PAGE);
    EXPECT_EQ(GetFocus(), harness.item(SPLIT_PAGE, IDC_SOURCE));
    EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_SOURCE), "");
}

TEST(MainWindow, APlainFileOnTheCommandLineOpensTheSplitPageWithIt) {
    TempDir temp;
    const std::string path = temp.file("movie.avi");
    WriteFile(path, PatternBytes(1572864));
    for (const std::string& commandLine : { path, "\"" + path + "\"" }) {
        MainWindowHarness harness(commandLine.c_str());
        ExpectOnlyPageShown(harness, SPLIT_PAGE);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_SOURCE), path);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_SOURCE_SIZE), "File size: 1.50 MB");
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_OUTPUT_DIR), temp.path() + "\\");
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_FREE_SPACE).rfind("Disk Space Available: ", 0), 0u);
    }
}

TEST(MainWindow, ASegmentOnTheCommandLineOpensTheJoinTab) {
    TempDir temp;
    const std::string segment = temp.file("movie.avi.03_of_12");
    WriteFile(segment, { 1, 2, 3 });
    const std::string quoted = "\"" + segment + "\"";
    MainWindowHarness harness(quoted.c_str());
    ExpectOnlyPageShown(harness, JOIN_PAGE);
    EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_SOURCE), ""); // the split page gets no path
}

TEST(MainWindow, TabsSwitchPagesAndFocus) {
    MainWindowHarness harness("");
    const struct {
        int tab;
        int focusedId;
    } steps[] = { { HELP_PAGE, IDC_TOPICS },
                  { JOIN_PAGE, IDC_SOURCE },
                  { SPLIT_PAGE, IDC_SOURCE },
                  { HELP_PAGE, IDC_TOPICS } };
    for (const auto& step : steps) {
        harness.selectTab(step.tab);
        ExpectOnlyPageShown(harness, step.tab);
        EXPECT_EQ(GetFocus(), harness.item(step.tab, step.focusedId)) << "tab " << step.tab;
    }
    // The page stays at its place when the window moves.
    RECT rect;
    GetWindowRect(harness.window(), &rect);
    SetWindowPos(harness.window(), nullptr, rect.left + 40, rect.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const POINT at = PagePosition(harness, HELP_PAGE);
    EXPECT_EQ(at.x, 13);
    EXPECT_EQ(at.y, 33);
}

TEST(StatusPanel, ShowsTheFiguresOfAJobState) {
    MainWindowHarness harness("");
    HWND page = harness.page(SPLIT_PAGE);
    SetJobControls(page, true, false);
    const struct {
        std::uint64_t total, done;
        std::uint32_t file, files;
        double elapsed;
        bool paused;
        const char *bar, *bytes, *status, *elapsedText, *remaining, *title;
        LRESULT position;
    } cases[] = {
        { 2500000, 0, 0, 3, 0.0, false, "0.0%", "0 / 2,500,000 Bytes", "Copying file 1 of 3",
          "Time Elapsed: 00:00", "Estimated Time Remaining: 00:00", "0% - Morvane", 0 },
        { 2500000, 1000000, 1, 3, 4.0, false, "40.0%", "1,000,000 / 2,500,000 Bytes", "Copying file 2 of 3",
          "Time Elapsed: 00:04", "Estimated Time Remaining: 00:06", "40% - Morvane", 400 },
        { 1000000, 999600, 11, 12, 3725.0, true, "100.0%", "999,600 / 1,000,000 Bytes", "Paused",
          "Time Elapsed: 1:02:05", "Estimated Time Remaining: 00:01", "99% - Morvane", 999 },
        { 8000000000ull, 6000000000ull, 0, 2, 30.0, false, "75.0%", "6,000,000,000 / 8,000,000,000 Bytes",
          "Copying file 1 of 2", "Time Elapsed: 00:30", "Estimated Time Remaining: 00:10", "75% - Morvane",
          750 },
    };
    for (const auto& c : cases) {
        JobProgress progress;
        JobControl control;
        progress.totalBytes = c.total;
        progress.bytesDone = c.done;
        progress.currentFile = c.file;
        progress.totalFiles = c.files;
        progress.elapsedSeconds = c.elapsed;
        control.paused = c.paused ? 1 : 0;
        ShowProgress(progress, page, control);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_PROGRESS), c.bar);
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_PROGRESS, PBM_GETPOS, 0, 0), c.position);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_STATUS_BYTES), c.bytes);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_STATUS_FILE), c.status);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_ELAPSED), c.elapsedText);
        EXPECT_EQ(harness.text(SPLIT_PAGE, IDC_REMAINING), c.remaining);
        EXPECT_EQ(harness.title(), c.title);
    }
    // Nothing to copy: the panel is left as it is.
    JobProgress empty;
    JobControl control;
    ShowProgress(empty, page, control);
    EXPECT_EQ(harness.title(), "75% - Morvane");

    ResetStatusPanel(page, false);
    EXPECT_EQ(harness.title(), "Morvane");
    for (int id : { IDC_PROGRESS, IDC_STATUS_BYTES, IDC_STATUS_FILE, IDC_ELAPSED, IDC_REMAINING })
        EXPECT_EQ(harness.text(SPLIT_PAGE, id), "") << id;
    EXPECT_EQ(SendDlgItemMessageA(page, IDC_PROGRESS, PBM_GETPOS, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(harness.item(SPLIT_PAGE, IDC_STATUS_FILE)));
}

TEST(StatusPanel, TheBarPaintsItsColoursWithItsThemeSwitchedOff) {
    MainWindowHarness harness("");
    HWND bar = harness.item(SPLIT_PAGE, IDC_PROGRESS);
    EXPECT_EQ(SendMessageA(bar, PBM_GETBARCOLOR, 0, 0), static_cast<LRESULT>(0xFFAFAF));
    EXPECT_EQ(SendMessageA(bar, PBM_GETBKCOLOR, 0, 0), static_cast<LRESULT>(0xFFE6E6));
    PBRANGE range {};
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 1000);
    // Half way: the left half of the bar is the bar colour, the right half the background.
    SendMessageA(bar, PBM_SETPOS, 500, 0);
    UpdateWindow(harness.window());
    RECT client;
    GetClientRect(bar, &client);
    HDC dc = GetDC(bar);
    const COLORREF left = GetPixel(dc, client.right / 4, 2);
    const COLORREF right = GetPixel(dc, client.right * 3 / 4, 2);
    ReleaseDC(bar, dc);
    EXPECT_EQ(left, static_cast<COLORREF>(0xFFAFAF));
    EXPECT_EQ(right, static_cast<COLORREF>(0xFFE6E6));
}

} // namespace

// The process entry and the main window: see main_window.h.
#include "ui/main_window.h"

#include "core/segment_name.h"
#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/display_scale.h"
#include "ui/help_page.h"
#include "ui/job_page.h"
#include "ui/join_page.h"
#include "ui/split_page.h"
#include "ui/status_panel.h"
#include "ui/text_win32.h"

#include <commctrl.h>
#include <objbase.h>

const HBRUSH whiteBrush = CreateSolidBrush(RGB(255, 255, 255));
const HBRUSH greyBrush = CreateSolidBrush(RGB(210, 210, 210));

namespace {

MainWindowState state;

// The window's one job timer: while a job runs, each tick refreshes both
// working pages' status panels, then the title and the taskbar button.
constexpr UINT_PTR JOB_TIMER_ID = 109;
constexpr UINT JOB_TIMER_INTERVAL_MS = 1000;

// Where a tab's caption goes in its tab, and how far an unselected tab's
// white reaches below it, in pixels at 96 DPI.
constexpr int CAPTION_X = 5;
constexpr int CAPTION_Y = 3;
constexpr int CAPTION_BOTTOM_MARGIN = 2;
constexpr int UNSELECTED_TAB_EXTENSION = 2;

// The current page goes into the tab control's display area (TCM_ADJUSTRECT),
// against its top and right edges. The page's size comes from dialog units
// and the display area's margins are pixels, so the page can be a few pixels
// wider than the area (3 at 96 DPI): the excess lies over the left margin,
// inside the tab control's frame. At 96 DPI this is the page's place of old,
// (13, 33).
void placeCurrentPage(HWND window) {
    HWND tabs = GetDlgItem(window, IDC_TABS);
    RECT area;
    GetClientRect(tabs, &area);
    SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    MapWindowPoints(tabs, window, reinterpret_cast<POINT*>(&area), 2);
    RECT page;
    GetWindowRect(state.currentPage, &page);
    const int x = area.right - (page.right - page.left);
    SetWindowPos(state.currentPage, HWND_TOP, x, area.top, 0, 0, SWP_NOSIZE | SWP_FRAMECHANGED);
}

// The tabs grow taller when the caption, at its offset, would not fit them:
// the tab control sizes them for its own font with a margin in pixels that
// does not grow with the scale.
void fitTabHeight(HWND tabs) {
    RECT item {};
    SendMessageA(tabs, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    HDC dc = GetDC(tabs);
    HGDIOBJ oldFont = SelectObject(dc, state.tabFont);
    TEXTMETRICA metrics {};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, oldFont);
    ReleaseDC(tabs, dc);
    const int needed =
        scaled(CAPTION_Y, state.dpi) + metrics.tmHeight + scaled(CAPTION_BOTTOM_MARGIN, state.dpi);
    if (item.bottom - item.top >= needed) return;
    const auto width = static_cast<WORD>(item.right - item.left);
    SendMessageA(tabs, TCM_SETITEMSIZE, 0, static_cast<LPARAM>(width | static_cast<DWORD>(needed) << 16));
}

// The command line is one path: one leading and one trailing double quote go.
std::string pathFromCommandLine(const char* commandLine) {
    std::string path = commandLine ? commandLine : "";
    if (!path.empty() && path.front() == '"') path.erase(0, 1);
    if (!path.empty() && path.back() == '"') path.pop_back();
    return path;
}

void insertTab(HWND tabs, int index, const char* text) {
    TCITEMA item {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(text);
    item.iImage = -1;
    SendMessageA(tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

HWND createPage(HWND window, int dialogId, DLGPROC procedure, const char* path) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialogId), window, procedure,
                              reinterpret_cast<LPARAM>(path));
}

BOOL OnInitDialog(HWND window, const char* commandLine) {
    state = MainWindowState {};
    state.dpi = windowDpi(window);
    state.tabFont = createTahomaFont(window, 8, FW_DONTCARE);
    HWND tabs = GetDlgItem(window, IDC_TABS);
    insertTab(tabs, 0, "Split");
    insertTab(tabs, 1, "Join");
    insertTab(tabs, 2, "Help");
    fitTabHeight(tabs);

    const std::string path = pathFromCommandLine(commandLine);
    const bool segment = !path.empty() && isSegmentPath(path);
    auto fail = [window](const char* text) {
        MessageBoxA(window, text, "Error:", MB_TASKMODAL);
        return FALSE;
    };
    state.pages[SPLIT_PAGE] =
        createPage(window, IDD_SPLIT, SplitPageProc, !path.empty() && !segment ? path.c_str() : nullptr);
    if (!state.pages[SPLIT_PAGE]) return fail("Failed to create split dialog!");
    state.pages[JOIN_PAGE] = createPage(window, IDD_JOIN, JoinPageProc, segment ? path.c_str() : nullptr);
    if (!state.pages[JOIN_PAGE]) {
        DestroyWindow(state.pages[SPLIT_PAGE]);
        return fail("Failed to create join dialog!");
    }
    state.pages[HELP_PAGE] = createPage(window, IDD_HELP, HelpPageProc, nullptr);
    if (!state.pages[HELP_PAGE]) {
        DestroyWindow(state.pages[SPLIT_PAGE]);
        DestroyWindow(state.pages[JOIN_PAGE]);
        return fail("Failed to create help dialog!");
    }

    state.currentPage = state.pages[segment ? JOIN_PAGE : SPLIT_PAGE];
    ShowWindow(state.currentPage, SW_SHOW);
    EnableWindow(state.currentPage, TRUE);
    SendMessageA(tabs, TCM_SETCURSEL, segment ? 1 : 0, 0);
    placeCurrentPage(window);
    SetFocus(GetDlgItem(state.currentPage, IDC_SOURCE));
    return TRUE;
}

// The index of the page on show; -1 before the pages exist.
int currentIndex() {
    for (int index = 0; index < PAGE_COUNT; ++index)
        if (state.pages[index] && state.pages[index] == state.currentPage) return index;
    return -1;
}

// Shows the page at `index` in place of the current one: the old page hidden
// and disabled, the new one placed, enabled, shown and given the focus. The
// tab control's selection is the caller's.
void ShowPage(HWND window, int index) {
    ShowWindow(state.currentPage, SW_HIDE);
    EnableWindow(state.currentPage, FALSE);
    state.currentPage = state.pages[index];
    placeCurrentPage(window);
    EnableWindow(state.currentPage, TRUE);
    ShowWindow(state.currentPage, SW_SHOW);
    SetFocus(GetDlgItem(state.currentPage, index == HELP_PAGE ? IDC_TOPICS : IDC_SOURCE));
}

void OnTabChange(HWND window) {
    const auto index = static_cast<int>(SendDlgItemMessageA(window, IDC_TABS, TCM_GETCURSEL, 0, 0));
    if (index < 0 || index >= PAGE_COUNT) return;
    ShowPage(window, index);
}

// Selects the tab at `index` and shows its page, as a click on the tab does.
void SelectPage(HWND window, int index) {
    if (index < 0 || index >= PAGE_COUNT || index == currentIndex()) return;
    SendDlgItemMessageA(window, IDC_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowPage(window, index);
}

void OnDrawItem(HWND window, const DRAWITEMSTRUCT& item) {
    if (item.CtlID != IDC_TABS) return;
    RECT rect = item.rcItem;
    const auto selected = static_cast<UINT>(SendDlgItemMessageA(window, IDC_TABS, TCM_GETCURSEL, 0, 0));
    if (item.itemID == selected) {
        FillRect(item.hDC, &rect, greyBrush);
    } else {
        rect.bottom += scaled(UNSELECTED_TAB_EXTENSION, state.dpi);
        FillRect(item.hDC, &rect, whiteBrush);
    }
    char text[256] = {};
    TCITEMA tab {};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text - 1;
    SendDlgItemMessageA(window, IDC_TABS, TCM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&tab));
    SetBkMode(item.hDC, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(item.hDC, state.tabFont);
    TextOutA(item.hDC, item.rcItem.left + scaled(CAPTION_X, state.dpi),
             item.rcItem.top + scaled(CAPTION_Y, state.dpi), text, lstrlenA(text));
    SelectObject(item.hDC, oldFont);
}

// Asks each working page whether the program may end; a page with a running
// job asks the user, on its own page (both questions read alike). Only when
// both agree do the pages close; otherwise each job goes on as it was before
// the question, and the page the user was on is shown again.
void OnClose(HWND window) {
    const int shown = currentIndex();
    bool mayClose = true;
    for (int index : { SPLIT_PAGE, JOIN_PAGE }) {
        unsigned char pageMayClose = 1; // both are asked, even after a first No
        SendMessageA(state.pages[index], MSG_CONFIRM_EXIT, reinterpret_cast<WPARAM>(&pageMayClose), 0);
        mayClose = mayClose && pageMayClose;
    }
    if (!mayClose) {
        for (int index : { SPLIT_PAGE, JOIN_PAGE }) SendMessageA(state.pages[index], MSG_EXIT_REFUSED, 0, 0);
        SelectPage(window, shown);
        return;
    }
    KillTimer(window, JOB_TIMER_ID);
    DeleteObject(state.tabFont);
    state.tabFont = nullptr;
    state.taskbar.button.reset(); // before the entry ends the component services
    for (HWND page : state.pages) SendMessageA(page, WM_CLOSE, 0, 0);
    PostQuitMessage(0);
}

// A tick of the job timer: each working page shows its job's progress or,
// once its worker has ended, returns to idle. The title and the taskbar
// button show one job: the first that shows progress, split before join
// ("Morvane" and nothing when none does). The timer stops when no job runs.
void OnJobTimer(HWND window) {
    JobView shown;
    bool anyRunning = false;
    for (int index : { SPLIT_PAGE, JOIN_PAGE }) {
        JobView view;
        SendMessageA(state.pages[index], MSG_JOB_TICK, 0, reinterpret_cast<LPARAM>(&view));
        anyRunning = anyRunning || view.running;
        if (view.showsProgress && !shown.showsProgress) shown = view;
    }
    if (shown.showsProgress)
        setWindowTextFormat(window, "%u%% - Morvane", shown.percent);
    else
        SetWindowTextA(window, "Morvane");
    ShowTaskbarJob(window, state.taskbar, shown.showsProgress, shown.percent, shown.paused);
    if (!anyRunning) KillTimer(window, JOB_TIMER_ID);
}

void OnShowPage(HWND window, HWND page) {
    for (int index = 0; index < PAGE_COUNT; ++index)
        if (state.pages[index] == page) SelectPage(window, index);
}

// Ctrl+Tab and Ctrl+PageDown select the next tab, Ctrl+Shift+Tab and
// Ctrl+PageUp the previous one, round the three, as in any tabbed dialog
// (without this, Ctrl+Tab would only move the focus like Tab).
bool SwitchTabByKey(HWND window, const MSG& message) {
    if (message.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return false;
    int step = 0;
    if (message.wParam == VK_TAB)
        step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
    else if (message.wParam == VK_NEXT)
        step = 1;
    else if (message.wParam == VK_PRIOR)
        step = -1;
    const int current = currentIndex();
    if (!step || current < 0) return false;
    SelectPage(window, (current + step + PAGE_COUNT) % PAGE_COUNT);
    return true;
}

// Whether `control` is an edit field, multi-line or one-line as asked.
bool IsEditField(HWND control, bool multiLine) {
    char name[8] = {};
    GetClassNameA(control, name, sizeof name);
    const bool multi = (GetWindowLongA(control, GWL_STYLE) & ES_MULTILINE) != 0;
    return lstrcmpiA(name, "Edit") == 0 && multi == multiLine;
}

// Esc in a multi-line field (the source paths, the help text) would have the
// field post WM_CLOSE to its page, which ends the page and leaves its tab
// blank. Nothing in this window takes Esc as a command: it goes nowhere.
bool SwallowEscInMultiLineField(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && IsEditField(message.hwnd, true);
}

// Enter in a one-line field of a working page (the count, the size, the
// output directory, the output name) presses the page's Split! or Join!, when
// it can be pressed. The source fields take Enter themselves.
bool PressStartByEnter(HWND window, const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN || !IsEditField(message.hwnd, false))
        return false;
    HWND page = GetParent(message.hwnd);
    HWND start = GetDlgItem(page, IDC_START);
    if (!start || GetParent(page) != window) return false;
    if (IsWindowEnabled(start))
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_START, BN_CLICKED), reinterpret_cast<LPARAM>(start));
    return true;
}

} // namespace

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(window, reinterpret_cast<const char*>(lParam));
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TCN_SELCHANGE) OnTabChange(window);
        return TRUE;
    }
    case WM_DRAWITEM: OnDrawItem(window, *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_MOVE:
        if (state.currentPage) placeCurrentPage(window);
        return TRUE;
    case WM_CLOSE: OnClose(window); return TRUE;
    case MSG_SHOW_PAGE: OnShowPage(window, reinterpret_cast<HWND>(lParam)); return TRUE;
    case MSG_JOB_STARTED: SetTimer(window, JOB_TIMER_ID, JOB_TIMER_INTERVAL_MS, nullptr); return TRUE;
    case WM_TIMER:
        if (wParam == JOB_TIMER_ID) OnJobTimer(window);
        return TRUE;
    case MSG_TASKBAR_FAILURE: ShowTaskbarFailure(window, state.taskbar, wParam != 0); return TRUE;
    default: return FALSE;
    }
}

bool TranslateMainWindowMessage(HWND window, MSG& message) {
    if (message.hwnd != window && !IsChild(window, message.hwnd)) return false;
    return SwitchTabByKey(window, message) || SwallowEscInMultiLineField(message) ||
           PressStartByEnter(window, message) || IsDialogMessageA(window, &message);
}

HWND CreateMainWindow(HINSTANCE instance, const char* commandLine) {
    return CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainWindowProc,
                              reinterpret_cast<LPARAM>(commandLine));
}

int RunMorvane(HINSTANCE instance, const char* commandLine) {
    HWND window = CreateMainWindow(instance, commandLine);
    if (!window) {
        MessageBoxA(nullptr, "Failed to create main application dialog!", "Error:", MB_TASKMODAL);
        return 1;
    }
    HANDLE big = LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR);
    if (!big) {
        MessageBoxA(window, "Failed to load program icon!", "Error:", MB_TASKMODAL);
        return 1;
    }
    PostMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    HANDLE small = LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    if (!small) {
        MessageBoxA(window, "Failed to load small program icon!", "Error:", MB_TASKMODAL);
        return 1;
    }
    PostMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    CoInitialize(nullptr);

    INITCOMMONCONTROLSEX controls { 8, ICC_PROGRESS_CLASS };
    if (!InitCommonControlsEx(&controls)) {
        MessageBoxA(nullptr, "Failed to initialize progress bar controls!", "", MB_TASKMODAL);
        return 1;
    }
    controls.dwICC = ICC_TAB_CLASSES;
    if (!InitCommonControlsEx(&controls)) {
        MessageBoxA(nullptr, "Failed to initialize tab controls!", "", MB_TASKMODAL);
        return 1;
    }

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateMainWindowMessage(window, message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    CoUninitialize();
    DestroyWindow(window);
    DestroyIcon(static_cast<HICON>(big));
    DestroyIcon(static_cast<HICON>(small));
    return static_cast<int>(message.wParam);
}

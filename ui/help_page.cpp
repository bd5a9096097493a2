// The Help page (dialog IDD_HELP): see help_page.h. The dialog procedure is a thin
// switch; each message has a named handler below it. The About panel itself
// lives in about_panel.cpp.
#include "ui/help_page.h"

#include "res/resource.h"
#include "ui/dialog_helpers.h"
#include "ui/display_scale.h"
#include "ui/main_window.h"

const HelpTopic HELP_TOPICS[HELP_TOPIC_COUNT] = {
    { "Splitting a File",
      "To split a file among multiple smaller files:\r\n\r\n"
      "    1) Choose the file you would like to split.  You may drag-and-drop a file, type the full path\r\n"
      "         name manually, or click \"Browse\" to choose the file.\r\n\r\n"
      "    2) Choose the output directory for the split files.  You may type the directory manually, or\r\n"
      "         click \"Browse\" to choose the directory.\r\n\r\n"
      "    3) Select the method for creating output files.  If you specify the number of output files,\r\n"
      "         the resulting size of the output files is shown.  Likewise, if you choose a custom output\r\n"
      "         file size, the resulting number of output files is shown.\r\n\r\n"
      "    4) Click \"Split!\" to begin (the original file will remain intact).\r\n\r\n" },
    { "Joining Files",
      "To rejoin the original file from the split files:\r\n\r\n"
      "    1) Select any split file with an extension of the form \".x_of_N\", where \"x\" is the current\r\n"
      "         split file, and \"N\" is the total number of split files.  "
      "The order is not important - all\r\n"
      "         other split files in the same directory will be found automatically.\r\n\r\n"
      "    2) Choose the output directory.  You may type the directory manually, or click \"Browse\"\r\n"
      "         to choose the directory.\r\n\r\n"
      "    3) Type the desired output filename, including the proper extension.\r\n\r\n"
      "    4) Click \"Join!\" to begin." },
    { "About", "" },
    { "Release Notes",
      "Version 1.0:\r\n\r\n    Initial release.  Please report any errors (see \"About\").\r\n\r\n" },
    // The capitals of the disclaimer are wrapped narrower than the grant: at
    // the topic font they are much wider than lower case, and lines of up to
    // 57 of them stay inside the text area without scrolling sideways.
    { "License", "END-USER LICENSE AGREEMENT\r\n"
                 "\r\n"
                 "Permission to use, copy, and/or distribute this software for any purpose with or\r\n"
                 "without fee is hereby granted, provided that the above copyright notice and this\r\n"
                 "permission notice appear in all copies.\r\n"
                 "\r\n"
                 "THE SOFTWARE IS PROVIDED \"AS IS\" AND THE AUTHOR\r\n"
                 "DISCLAIMS ALL WARRANTIES WITH REGARD TO THIS SOFTWARE\r\n"
                 "INCLUDING ALL IMPLIED WARRANTIES OF MERCHANTABILITY AND\r\n"
                 "FITNESS.  IN NO EVENT SHALL THE AUTHOR BE LIABLE FOR\r\n"
                 "ANY SPECIAL, DIRECT, INDIRECT, OR CONSEQUENTIAL DAMAGES\r\n"
                 "OR ANY DAMAGES WHATSOEVER RESULTING FROM LOSS OF USE,\r\n"
                 "DATA OR PROFITS, WHETHER IN AN ACTION OF CONTRACT,\r\n"
                 "NEGLIGENCE OR OTHER TORTIOUS ACTION, ARISING OUT OF OR IN\r\n"
                 "CONNECTION WITH THE USE OR PERFORMANCE OF THIS SOFTWARE." },
};

// The page's record, attached at WM_INITDIALOG and deleted at WM_NCDESTROY.
static HelpPageState& stateOf(HWND page) {
    return *reinterpret_cast<HelpPageState*>(GetWindowLongPtrA(page, GWLP_USERDATA));
}

// ---- The topic text ----------------------------------------------------------

// The topic text can be scrolled, selected and copied with the mouse, but
// every typed character is dropped, so the keyboard never changes it.
static LRESULT CALLBACK TopicTextProc(HWND text, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR) return 0;
    return CallWindowProcA(stateOf(GetParent(text)).previousTextProc, text, message, wParam, lParam);
}

// ---- Messages ----------------------------------------------------------------

static void InitHelpPage(HWND page) {
    auto* record = new HelpPageState;
    SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    HelpPageState& state = *record;
    GetClientRect(page, &state.clientRect);
    state.dpi = windowDpi(page);

    HWND text = GetDlgItem(page, IDC_TOPIC_TEXT);
    HWND topics = GetDlgItem(page, IDC_TOPICS);
    state.previousTextProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TopicTextProc)));

    state.topicFont = createTahomaFont(page, 8, FW_DONTCARE);
    SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(state.topicFont), TRUE);
    SendMessageA(topics, WM_SETFONT, reinterpret_cast<WPARAM>(state.topicFont), TRUE);

    for (const HelpTopic& topic : HELP_TOPICS)
        SendMessageA(topics, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(topic.title));
    SendMessageA(topics, LB_SETCURSEL, 0, 0);
    SetWindowTextA(text, HELP_TOPICS[0].text);

    state.aboutPanel =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), page, AboutPanelProc, 0);
    if (!state.aboutPanel) MessageBoxA(page, "Failed to create \"About\" dialog!", "Error:", MB_TASKMODAL);
}

// Shows the topic selected in the list: its text in the edit, or for "About"
// the panel in the edit's place.
static void ShowSelectedTopic(HWND page) {
    HelpPageState& state = stateOf(page);
    const auto topic = static_cast<int>(SendDlgItemMessageA(page, IDC_TOPICS, LB_GETCURSEL, 0, 0));
    if (topic < 0 || topic >= HELP_TOPIC_COUNT) return; // no selection: nothing to show
    HWND text = GetDlgItem(page, IDC_TOPIC_TEXT);
    if (topic == ABOUT_TOPIC) {
        ShowWindow(text, SW_HIDE);
        if (state.aboutPanel) {
            ShowWindow(state.aboutPanel, SW_SHOW);
            SetWindowPos(state.aboutPanel, HWND_TOP, scaled(ABOUT_PANEL_X, state.dpi),
                         scaled(ABOUT_PANEL_Y, state.dpi), 0, 0, SWP_NOSIZE);
        }
    } else if (state.previousTopic == ABOUT_TOPIC) {
        if (state.aboutPanel) ShowWindow(state.aboutPanel, SW_HIDE);
        ShowWindow(text, SW_SHOW);
    }
    SetWindowTextA(text, HELP_TOPICS[topic].text);
    state.previousTopic = topic;
}

static void OnPaint(HWND page) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(page, &paint);
    paintHeaderGradient(dc, stateOf(page).clientRect, stateOf(page).dpi);
    EndPaint(page, &paint);
}

static void CloseHelpPage(HWND page) {
    releaseHeaderPens();
    if (stateOf(page).aboutPanel) SendMessageA(stateOf(page).aboutPanel, WM_CLOSE, 0, 0);
    EndDialog(page, 0);
}

static void DestroyHelpPage(HWND page) {
    auto* state = reinterpret_cast<HelpPageState*>(GetWindowLongPtrA(page, GWLP_USERDATA));
    if (!state) return;
    if (state->topicFont) DeleteObject(state->topicFont);
    SetWindowLongPtrA(page, GWLP_USERDATA, 0);
    delete state;
}

INT_PTR CALLBACK HelpPageProc(HWND page, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: InitHelpPage(page); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_TOPICS && HIWORD(wParam) == LBN_SELCHANGE) ShowSelectedTopic(page);
        return TRUE; // every other command is ignored
    case WM_PAINT: OnPaint(page); return TRUE;
    case WM_CTLCOLOREDIT:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(whiteBrush);
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(whiteBrush);
    case WM_CLOSE: CloseHelpPage(page); return TRUE;
    case WM_NCDESTROY: DestroyHelpPage(page); return FALSE;
    default: return FALSE;
    }
}

// The real main window of the program, created in the test process, and what a
// user does with it: type, press Enter, drop a file, click, pick a tab or an
// entry, answer the boxes that come up. Every wait has a deadline.
#pragma once

#include "res/resource.h"
#include "ui/main_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <functional>
#include <future>
#include <thread>
#include <vector>

namespace gui {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
constexpr int BOX_TEXT = 0xFFFF;     // the static that holds a message box's text
constexpr int OPEN_FILE_NAME = 1148; // the open-file dialog's file name field (cmb13)
enum Page { SPLIT, JOIN, HELP };
inline const char* const PAGE_NAMES[] = { "Split", "Join", "Help" };

// A visible top-level dialog or box of `process` with this caption, polled for
// at most `limit`; nullptr when none came. (Boxes opened by workers have no owner.)
inline HWND FindBox(const std::string& caption, std::chrono::milliseconds limit = 0ms,
                    DWORD process = GetCurrentProcessId()) {
    for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(5ms)) {
        DWORD owner = 0;
        for (HWND box = nullptr; (box = FindWindowExA(nullptr, box, "#32770", caption.c_str()));)
            if (GetWindowThreadProcessId(box, &owner) && owner == process && IsWindowVisible(box)) return box;
        if (Clock::now() >= end) return nullptr;
    }
}

// The lParam of a key message for `vk` pressed once: its scan code, a repeat count of 1.
inline LPARAM KeyData(UINT vk) { return static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16 | 1; }

// The child dialog of `parent` that holds control `id`: a page, the About panel.
inline HWND ChildWith(HWND parent, int id) {
    for (HWND child = nullptr;;)
        if (!(child = FindWindowExA(parent, child, "#32770", nullptr)) || GetDlgItem(child, id)) return child;
}

// WM_GETTEXT: the whole text, also of a window of another process.
inline std::string Text(HWND window) {
    std::string text(static_cast<std::size_t>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return text;
}

inline void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

// From another thread, answers the next boxes with this caption, one by each
// of `buttons` in turn (IDCANCEL: Esc where there is no Cancel button), after
// typing `typed` into item `textId` if given; gives the texts that item showed,
// each followed by what `observe` says while its box is open, if given, and
// split by "|" ("" for a box that did not come within 10 s).
inline std::future<std::string> AnswerLater(const std::string& caption, std::vector<int> buttons,
                                            int textId = BOX_TEXT, const std::string& typed = "",
                                            std::function<std::string()> observe = {}) {
    return std::async(std::launch::async, [=] {
        std::string texts;
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            HWND box = FindBox(caption, 10s);
            texts.append(i ? "|" : "")
                .append(box ? Text(GetDlgItem(box, textId)) + (observe ? observe() : "") : "");
            if (box && !typed.empty()) SetDlgItemTextA(box, textId, typed.c_str());
            if (HWND control = box ? GetDlgItem(box, buttons[i]) : nullptr)
                Click(control);
            else if (box && buttons[i] == IDCANCEL) // no Cancel button: Esc, as the keyboard gives it
                PostMessageA(box, WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
            // Gone before the next box is looked for, which may have the same caption.
            for (const auto end = Clock::now() + 10s; box && IsWindowVisible(box) && Clock::now() < end;)
                std::this_thread::sleep_for(1ms);
        }
        return texts;
    });
}

struct Window {
    HWND main = nullptr;
    HWND pages[3] = {}; // found by a control only that page has
    int quitCode = -1;  // the exit code of a WM_QUIT pumped

    explicit Window(const char* commandLine = "") {
        INITCOMMONCONTROLSEX controls { sizeof controls, ICC_PROGRESS_CLASS | ICC_TAB_CLASSES };
        CoInitialize(nullptr); // as the program's entry does
        InitCommonControlsEx(&controls);
        main = CreateMainWindow(GetModuleHandleA(nullptr), commandLine);
        const int marks[] = { IDC_FILE_COUNT, IDC_OUTPUT_NAME, IDC_TOPICS };
        for (int i : { SPLIT, JOIN, HELP }) pages[i] = ChildWith(main, marks[i]);
    }
    ~Window() { DestroyWindow(main); }
    HWND item(int page, int id) const { return GetDlgItem(pages[page], id); }
    // The name of the page on show when its tab is the one selected; else
    // which page shows under which tab.
    std::string shown() const {
        int page = -1;
        for (int i : { SPLIT, JOIN, HELP }) page = IsWindowVisible(pages[i]) ? i : page;
        const auto tab = SendDlgItemMessageA(main, IDC_TABS, TCM_GETCURSEL, 0, 0);
        const std::string name = page < 0 ? "no page" : PAGE_NAMES[page];
        return tab == page ? name : name + " under tab " + std::to_string(tab);
    }
    std::string text(int page, int id) const { return Text(item(page, id)); }
    bool enabled(int page, int id) const { return IsWindowEnabled(item(page, id)) != FALSE; }
    void click(int page, int id) const { Click(item(page, id)); }
    // A click that returns at once: what it opens is answered while pumping.
    void post(int page, int id) const { PostMessageA(item(page, id), BM_CLICK, 0, 0); }
    // Sets an edit's text with the EN_UPDATE that typing causes (Wine sends
    // none for WM_SETTEXT on a multi-line edit).
    void type(int page, int id, const std::string& text) const {
        SetWindowTextA(item(page, id), text.c_str());
        if (GetWindowLongA(item(page, id), GWL_STYLE) & ES_MULTILINE) command(page, id, EN_UPDATE);
    }
    void command(int page, int id, int code) const {
        SendMessageA(pages[page], WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(item(page, id)));
    }
    // A key pressed and released in a control that has the focus, as the
    // keyboard sends it: posted, so that it passes the program's message loop,
    // with Ctrl and Shift held as asked.
    void key(HWND target, UINT vk, bool ctrl = false, bool shift = false) {
        SetFocus(target);
        BYTE keys[256] = {};
        keys[VK_CONTROL] = ctrl ? 0x80 : 0;
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        PostMessageA(target, WM_KEYDOWN, vk, KeyData(vk));
        PostMessageA(target, WM_KEYUP, vk, KeyData(vk) | static_cast<LPARAM>(0xC0000000u)); // released
        pump([] { return true; });             // what is queued, and what that queues
        keys[VK_CONTROL] = keys[VK_SHIFT] = 0; // none held before: the thread's keys are all posted
        SetKeyboardState(keys);
    }
    // One file dropped as Explorer drops it.
    void drop(int page, int id, const std::string& path) const {
        // Fixed and zeroed: the list ends "\0\0".
        auto* files = static_cast<DROPFILES*>(GlobalAlloc(GPTR, sizeof(DROPFILES) + path.size() + 2));
        files->pFiles = sizeof(DROPFILES);
        path.copy(reinterpret_cast<char*>(files + 1), path.size());
        SendMessageA(item(page, id), WM_DROPFILES, reinterpret_cast<WPARAM>(files), 0);
    }
    void tab(int index) const {
        SendDlgItemMessageA(main, IDC_TABS, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
        NMHDR header { GetDlgItem(main, IDC_TABS), IDC_TABS, static_cast<UINT>(TCN_SELCHANGE) };
        SendMessageA(main, WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&header));
    }
    // An entry of a combo box (CB_SETCURSEL) or list (LB_SETCURSEL), as a click selects it.
    void pick(int page, int id, UINT select, int entry) const {
        SendMessageA(item(page, id), select, static_cast<WPARAM>(entry), 0);
        command(page, id, CBN_SELCHANGE); // LBN_SELCHANGE has the same value
    }
    // Pumps this thread's messages until `done` holds (true) or `limit` passes (false).
    template <class Condition> bool pump(Condition done, std::chrono::milliseconds limit = 20s) {
        const auto end = Clock::now() + limit;
        for (MSG message;; MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT)) {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) quitCode = static_cast<int>(message.wParam);
                if (TranslateMainWindowMessage(main, message)) continue;
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            if (done() || Clock::now() >= end) return done();
        }
    }
    // The answer's text, pumping meanwhile; "(no answer)" after the deadline.
    std::string await(std::future<std::string>&& answer) {
        const bool came = pump([&] { return answer.wait_for(0ms) == std::future_status::ready; }, 25s);
        return came ? answer.get() : "(no answer)";
    }
    // Answers a box that this thread does not open itself inside a call (a
    // worker's, or one opened while pumping); gives its text.
    std::string answer(const std::string& caption, int button, int item = BOX_TEXT, std::string typed = "") {
        return await(AnswerLater(caption, { button }, item, typed));
    }
};

} // namespace gui

// Drives real windows of this process from a test: see gui_driver.h.
#include "tests/gui/gui_driver.h"

#include "ui/text_win32.h"

#include <thread>

namespace gui {

namespace {

struct Search {
    const std::string* caption;
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || !IsWindowVisible(window)) return TRUE;
    if (windowText(window) != *search->caption) return TRUE;
    // Boxes and dialogs only: an empty caption would match stray helper windows.
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

HWND FindOwnWindow(const std::string& caption) {
    Search search { &caption, GetCurrentProcessId(), nullptr };
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(const std::string& caption, std::chrono::milliseconds limit) {
    return WaitForProcessWindow(GetCurrentProcessId(), caption, limit);
}

HWND WaitForProcessWindow(DWORD process, const std::string& caption, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        Search search { &caption, process, nullptr };
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (std::chrono::steady_clock::now() > deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// WM_GETTEXT rather than GetWindowText, which gives only the caption of a
// window in another process.
std::string Text(HWND window) {
    const auto length = SendMessageA(window, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const auto got =
        SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(length + 1), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

std::string ItemText(HWND dialog, int item) { return Text(GetDlgItem(dialog, item)); }

void Click(HWND dialog, int buttonId) { SendMessageA(GetDlgItem(dialog, buttonId), BM_CLICK, 0, 0); }

std::string Answer(const std::string& caption, int buttonId, int textId) {
    HWND box = WaitForWindow(caption);
    if (!box) return "";
    const std::string text = ItemText(box, textId);
    Click(box, buttonId);
    return text;
}

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

} // namespace gui

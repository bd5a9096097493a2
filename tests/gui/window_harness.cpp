// The real main window in the test process: see window_harness.h.
#include "tests/gui/window_harness.h"

#include "ui/main_window.h"

#include <commctrl.h>
#include <shlobj.h>

#include <chrono>
#include <cstring>

MainWindowHarness::MainWindowHarness(const char* commandLine) {
    static bool initialised = false;
    if (!initialised) {
        CoInitialize(nullptr);
        INITCOMMONCONTROLSEX controls { sizeof controls, ICC_PROGRESS_CLASS | ICC_TAB_CLASSES };
        InitCommonControlsEx(&controls);
        initialised = true;
    }
    window_ = CreateMainWindow(GetModuleHandleA(nullptr), commandLine);
}

MainWindowHarness::~MainWindowHarness() {
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

HWND MainWindowHarness::page(int index) const { return mainWindowState().pages[index]; }

void MainWindowHarness::type(int pageIndex, int id, const std::string& text) const {
    HWND edit = item(pageIndex, id);
    SetWindowTextA(edit, text.c_str());
    if (GetWindowLongA(edit, GWL_STYLE) & ES_MULTILINE)
        SendMessageA(page(pageIndex), WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(edit));
}

void MainWindowHarness::pressEnter(int pageIndex, int id) const {
    HWND edit = item(pageIndex, id);
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(edit, WM_CHAR, '\r', 0x001C0001);
    SendMessageA(edit, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC01C0001u));
}

void MainWindowHarness::drop(int pageIndex, int id, const std::vector<std::string>& paths) const {
    std::size_t chars = 1;
    for (const auto& path : paths) chars += path.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = FALSE;
    char* cursor = reinterpret_cast<char*>(files) + sizeof(DROPFILES);
    for (const auto& path : paths) {
        std::memcpy(cursor, path.c_str(), path.size() + 1);
        cursor += path.size() + 1;
    }
    GlobalUnlock(memory);
    SendMessageA(item(pageIndex, id), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

void MainWindowHarness::selectTab(int index) const {
    HWND tabs = GetDlgItem(window_, 1001);
    SendMessageA(tabs, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header { tabs, 1001, static_cast<UINT>(TCN_SELCHANGE) };
    SendMessageA(window_, WM_NOTIFY, 1001, reinterpret_cast<LPARAM>(&header));
}

void MainWindowHarness::click(int pageIndex, int id) const {
    SendMessageA(item(pageIndex, id), BM_CLICK, 0, 0);
}

void MainWindowHarness::selectComboEntry(int pageIndex, int id, int index) const {
    SendMessageA(item(pageIndex, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageA(page(pageIndex), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(item(pageIndex, id)));
}

bool MainWindowHarness::pumpUntil(const std::function<bool()>& condition) const {
    return gui::PumpUntil(condition, std::chrono::milliseconds(20000));
}

std::future<std::string> AnswerLater(const std::string& caption, int button, int textId) {
    return std::async(std::launch::async, [=] { return gui::Answer(caption, button, textId); });
}

std::future<std::string> PickFileLater(const std::string& path) {
    return std::async(std::launch::async, [=] {
        HWND dialog = gui::WaitForWindow("Open");
        if (!dialog) return std::string();
        SetDlgItemTextA(dialog, 1148, path.c_str()); // the file name field
        gui::Click(dialog, IDOK);
        return std::string("Open");
    });
}

std::string Await(std::future<std::string>& answer, const MainWindowHarness& harness) {
    harness.pumpUntil(
        [&] { return answer.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; });
    return answer.get();
}

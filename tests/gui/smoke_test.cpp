// The real morvane.exe driven from another process: it starts, its Help tab
// shows the Help page, and it closes with code 0.
#include "tests/gui/harness.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Smoke, TheProgramStartsSwitchesTabsAndClosesWithCodeZero) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = (std::filesystem::path(self).parent_path().parent_path() / "morvane.exe").string();
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    ASSERT_TRUE(CreateProcessA(command.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    HWND window = gui::FindBox("Morvane", std::chrono::seconds(20), process.dwProcessId);
    HWND help = gui::ChildWith(window, IDC_TOPICS);
    SendDlgItemMessageA(window, IDC_TABS, TCM_SETCURFOCUS, gui::HELP, 0); // the tab control switches itself
    EXPECT_TRUE(IsWindowVisible(help));
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    if (!GetExitCodeProcess(process.hProcess, &code) || code == STILL_ACTIVE)
        TerminateProcess(process.hProcess, 1);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

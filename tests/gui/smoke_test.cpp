// The real morvane.exe driven from another process: it starts, its Help tab
// shows the Help page, and it closes with code 0. And the version information
// of both programs, as Properties > Details reads it.
#include "tests/gui/harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

static std::string BesideTests(const char* program) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path().parent_path() / program).string();
}

// What Properties > Details shows: the strings, then the file and product
// version numbers.
TEST(VersionInformation, BothProgramsCarryTheBuildsVersionAndTheirOwnNames) {
    for (const std::string file : { "morvane.exe", "morvane-cli.exe" }) {
        const std::string path = BesideTests(file.c_str());
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), nullptr));
        ASSERT_TRUE(!block.empty() &&
                    GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
            << path;
        std::string shown;
        void* value = nullptr;
        UINT length = 0;
        for (const std::string name :
             { "ProductName", "ProductVersion", "FileVersion", "OriginalFilename", "LegalCopyright" }) {
            const std::string query = "\\StringFileInfo\\040904B0\\" + name;
            const bool found = VerQueryValueA(block.data(), query.c_str(), &value, &length) && value;
            shown += (found ? std::string(static_cast<const char*>(value)) : "(none)") + "|";
        }
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", &value, &length));
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        for (const auto& [high, low] : { std::pair { fixed->dwFileVersionMS, fixed->dwFileVersionLS },
                                         std::pair { fixed->dwProductVersionMS, fixed->dwProductVersionLS } })
            shown += std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
                     std::to_string(HIWORD(low)) + "|";
        const std::string version = MORVANE_VERSION;
        EXPECT_EQ(shown, "Morvane|" + version + "|" + version + "|" + file + "|" + MORVANE_COPYRIGHT + "|" +
                             version + "|" + version + "|");
    }
}

TEST(Smoke, TheProgramStartsSwitchesTabsAndClosesWithCodeZero) {
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    ASSERT_TRUE(CreateProcessA(BesideTests("morvane.exe").c_str(), nullptr, nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &process));
    HWND window = gui::FindBox("Morvane", std::chrono::seconds(20), process.dwProcessId);
    SendDlgItemMessageA(window, IDC_TABS, TCM_SETCURFOCUS, gui::HELP, 0); // the tab control switches itself
    EXPECT_TRUE(IsWindowVisible(gui::ChildWith(window, IDC_TOPICS)));
    PostMessageA(window, WM_CLOSE, 0, 0);
    DWORD code = 99;
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 99);
    GetExitCodeProcess(process.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

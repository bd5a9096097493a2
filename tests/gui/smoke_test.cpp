// The real morvane.exe driven from another process: it starts, its Help tab
// shows the Help page, and it closes with code 0. And the version information
// of both programs, as Properties > Details reads it.
#include "tests/gui/harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

std::string BesideTests(const char* program) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path().parent_path() / program).string();
}

} // namespace

// What Properties > Details shows: the strings, then the file and product
// version numbers.
TEST(VersionInformation, BothProgramsCarryTheBuildsVersionAndTheirOwnNames) {
    for (const std::string file : { "morvane.exe", "morvane-cli.exe" }) {
        const std::string path = BesideTests(file.c_str());
        DWORD ignored = 0;
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        ASSERT_TRUE(!block.empty() &&
                    GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()))
            << path;
        std::string shown;
        for (const char* name :
             { "ProductName", "ProductVersion", "FileVersion", "OriginalFilename", "LegalCopyright" }) {
            char* text = nullptr;
            UINT length = 0;
            const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
            shown +=
                VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) && text
                    ? std::string(text) + "|"
                    : "(none)|";
        }
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
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
    std::string command = BesideTests("morvane.exe");
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

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

TEST(VersionInformation, BothProgramsCarryTheBuildsVersionAndTheirOwnNames) {
    const struct {
        const char* file;
        const char* descriptionStart;
    } programs[] = { { "morvane.exe", "Morvane: " }, { "morvane-cli.exe", "Morvane command line: " } };
    for (const auto& program : programs) {
        const std::string path = BesideTests(program.file);
        DWORD ignored = 0;
        std::vector<char> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        ASSERT_FALSE(block.empty()) << path;
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
        auto value = [&](const std::string& name) {
            char* text = nullptr;
            UINT length = 0;
            const std::string query = "\\StringFileInfo\\040904B0\\" + name;
            return VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) &&
                           text
                       ? std::string(text)
                       : "(none)";
        };
        EXPECT_EQ(value("ProductName") + "|" + value("ProductVersion") + "|" + value("FileVersion") + "|" +
                      value("OriginalFilename"),
                  std::string("Morvane|") + MORVANE_VERSION + "|" + MORVANE_VERSION + "|" + program.file);
        EXPECT_EQ(value("FileDescription").rfind(program.descriptionStart, 0), 0u)
            << value("FileDescription");
        EXPECT_EQ(value("LegalCopyright").rfind("Copyright (C) ", 0), 0u) << value("LegalCopyright");
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const std::string numbers = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                                    std::to_string(HIWORD(fixed->dwFileVersionLS));
        EXPECT_EQ(numbers, MORVANE_VERSION) << program.file;
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
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

// The real morvane.exe, driven from another process as a user would drive it:
// start it with a file, split the file into four, answer "Complete", join the
// four back from the Join tab, close it.
#include "core/segment_name.h"
#include "res/resource.h"
#include "tests/gui/gui_driver.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>

namespace {

std::string ProgramPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return (std::filesystem::path(self).parent_path().parent_path() / "morvane.exe").string();
}

// The page of the main window that holds a control with this id.
HWND PageWith(HWND window, int id) {
    for (HWND child = FindWindowExA(window, nullptr, "#32770", nullptr); child;
         child = FindWindowExA(window, child, "#32770", nullptr))
        if (GetDlgItem(child, id)) return child;
    return nullptr;
}

bool WaitFor(const std::function<bool()>& condition) {
    return WaitUntil(condition, std::chrono::seconds(20));
}

TEST(Smoke, TheProgramSplitsAndJoinsAFileAndClosesWithCodeZero) {
    TempDir temp;
    const std::string source = temp.file("movie.avi");
    const std::string out = temp.file("out");
    std::filesystem::create_directory(out);
    WriteFile(source, PatternBytes(3 * 1024 * 1024 + 5, 3));

    std::string commandLine = "\"";
    commandLine.append(ProgramPath()).append("\" \"").append(source).append("\"");
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    ASSERT_TRUE(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process))
        << ProgramPath();
    HWND window = gui::WaitForProcessWindow(process.dwProcessId, "Morvane");
    ASSERT_NE(window, nullptr);
    HWND split = PageWith(window, IDC_FILE_COUNT);
    ASSERT_NE(split, nullptr);
    EXPECT_EQ(gui::ItemText(split, IDC_SOURCE), source);
    EXPECT_EQ(gui::ItemText(split, IDC_SOURCE_SIZE), "File size: 3.00 MB");

    // A look at the other tabs and back: the tab control switches pages itself.
    HWND tabs = GetDlgItem(window, IDC_TABS);
    for (int tab : { 2, 1, 0 }) {
        SendMessageA(tabs, TCM_SETCURFOCUS, static_cast<WPARAM>(tab), 0);
        EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), tab);
    }
    EXPECT_TRUE(IsWindowVisible(split));

    SetDlgItemTextA(split, IDC_OUTPUT_DIR, out.c_str());
    gui::Click(split, IDC_MODE_COUNT);
    SetDlgItemTextA(split, IDC_FILE_COUNT, "4");
    EXPECT_EQ(gui::ItemText(split, IDC_SIZE_PER_FILE), "768.00 KB / File");
    PostMessageA(GetDlgItem(split, IDC_START), BM_CLICK, 0, 0);

    HWND done = gui::WaitForProcessWindow(process.dwProcessId, "Complete", std::chrono::seconds(30));
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(gui::ItemText(done, gui::MESSAGE_BOX_TEXT_ID), "File splitting operation successful!");
    gui::Click(done, IDOK);
    EXPECT_TRUE(WaitFor([&] { return gui::ItemText(split, IDC_SOURCE).empty(); }));
    EXPECT_EQ(gui::Text(window), "Morvane");

    // Join the four segments back from the Join tab.
    const std::string joined = temp.file("joined");
    std::filesystem::create_directory(joined);
    SendMessageA(tabs, TCM_SETCURFOCUS, 1, 0);
    HWND join = PageWith(window, IDC_OUTPUT_NAME);
    ASSERT_NE(join, nullptr);
    EXPECT_TRUE(IsWindowVisible(join));
    const std::string segment = ComposeSegmentPath(source, out, 2, 4);
    SetDlgItemTextA(join, IDC_SOURCE, segment.c_str());
    SendMessageA(join, WM_COMMAND, MAKEWPARAM(IDC_SOURCE, EN_UPDATE),
                 reinterpret_cast<LPARAM>(GetDlgItem(join, IDC_SOURCE)));
    EXPECT_EQ(gui::ItemText(join, IDC_SUMMARY), "4 files (3.00 MB)");
    SetDlgItemTextA(join, IDC_OUTPUT_DIR, joined.c_str());
    SetDlgItemTextA(join, IDC_OUTPUT_NAME, "movie.avi");
    PostMessageA(GetDlgItem(join, IDC_START), BM_CLICK, 0, 0);
    HWND joinDone = gui::WaitForProcessWindow(process.dwProcessId, "", std::chrono::seconds(30));
    ASSERT_NE(joinDone, nullptr);
    EXPECT_EQ(gui::ItemText(joinDone, gui::MESSAGE_BOX_TEXT_ID), "File joining operation complete!");
    gui::Click(joinDone, IDOK);
    EXPECT_TRUE(WaitFor([&] { return gui::ItemText(join, IDC_SOURCE).empty(); }));

    PostMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 20000), WAIT_OBJECT_0);
    DWORD exitCode = 99;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    std::vector<unsigned char> segments;
    for (std::uint32_t k = 0; k < 4; ++k) {
        const auto part = ReadFile(ComposeSegmentPath(source, out, k, 4));
        segments.insert(segments.end(), part.begin(), part.end());
    }
    EXPECT_EQ(segments, ReadFile(source));
    EXPECT_EQ(ReadFile(joined + "\\movie.avi"), ReadFile(source));
}

} // namespace

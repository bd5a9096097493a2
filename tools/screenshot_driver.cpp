// Takes the README's pictures: starts morvane.exe, shows each tab (and a split
// while it runs), and writes a 24-bit BMP of the window for each. Not a test;
// scripts/screenshot runs it under Xvfb and turns the BMPs into PNGs.
//
//   screenshot-driver OUTPUT_DIR WORK_DIR [split]
// With "split" it takes the filled-in Split page only (split.bmp) and ends.
#include "res/resource.h"
#include "tests/gui/harness.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Writes the window's screen area as a bottom-up 24-bit BMP.
bool Capture(HWND window, const std::string& path) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto stride = static_cast<std::size_t>((width * 3 + 3) & ~3);
    const auto imageSize = stride * static_cast<std::size_t>(height);
    BITMAPFILEHEADER file {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + imageSize);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(imageSize));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("wrote %s\n", path.c_str());
    return out.good();
}

void SetText(HWND page, int id, const std::string& text) { SetDlgItemTextA(page, id, text.c_str()); }

void Settle() { std::this_thread::sleep_for(400ms); }

// Starts the page's job and captures the window once the title shows progress
// and one tick later, when the elapsed and remaining times have figures.
void CaptureWhileRunning(HWND window, const std::string& path, HWND page) {
    PostMessageA(GetDlgItem(page, IDC_START), BM_CLICK, 0, 0);
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (gui::Text(window).find('%') == std::string::npos && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(1100ms);
    Capture(window, path);
}

// Waits for the page to return to idle after its job.
void WaitUntilIdle(HWND page) {
    const auto deadline = std::chrono::steady_clock::now() + 30s;
    while (!IsWindowEnabled(GetDlgItem(page, IDC_START)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
}

// A file of `size` bytes with changing contents, written in 1 MiB steps.
void MakeFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 % 251);
    for (std::uint64_t done = 0; done < size; done += block.size())
        out.write(block.data(),
                  static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), size - done)));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: screenshot-driver OUTPUT_DIR WORK_DIR [split]\n");
        return 2;
    }
    const std::string output = argv[1];
    const std::string work = argv[2];
    const bool splitOnly = argc > 3 && std::string(argv[3]) == "split";
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = (std::filesystem::path(self).parent_path() / "morvane.exe").string();

    const std::string source = work + "\\holiday-video.mp4";
    const std::string parts = work + "\\parts";
    std::filesystem::create_directories(parts);
    MakeFile(source, std::uint64_t { 1536 } << 20);

    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return 1;
    HWND window = gui::FindBox("Morvane", 10s, process.dwProcessId);
    if (!window) return 1;
    HWND tabs = GetDlgItem(window, IDC_TABS);
    HWND split = gui::ChildWith(window, IDC_FILE_COUNT);
    HWND help = gui::ChildWith(window, IDC_TOPICS);

    // The Split page, filled in.
    SetText(split, IDC_SOURCE, source);
    SendMessageA(split, WM_COMMAND, MAKEWPARAM(IDC_SOURCE, EN_UPDATE),
                 reinterpret_cast<LPARAM>(GetDlgItem(split, IDC_SOURCE)));
    SetText(split, IDC_OUTPUT_DIR, parts);
    SetText(split, IDC_CUSTOM_SIZE, "700");
    Settle();
    Capture(window, output + "\\split.bmp");
    if (splitOnly) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        WaitForSingleObject(process.hProcess, 20000);
        std::filesystem::remove(source);
        return 0;
    }

    // A split while it runs, with its checksum file: caught once the title
    // shows progress and a tick later, when the times have figures. Then it
    // runs to its end.
    SendDlgItemMessageA(split, IDC_WRITE_LISTING, BM_SETCHECK, BST_CHECKED, 0);
    CaptureWhileRunning(window, output + "\\split-running.bmp", split);
    if (HWND done = gui::FindBox("Complete", 120s, process.dwProcessId)) gui::Click(GetDlgItem(done, IDOK));
    WaitUntilIdle(split);

    // The Join page with a set's summary (and the checksum file it will be
    // checked against), then a join while it runs.
    SendMessageA(tabs, TCM_SETCURFOCUS, 1, 0);
    HWND join = gui::ChildWith(window, IDC_OUTPUT_NAME);
    const std::string joined = work + "\\joined";
    std::filesystem::create_directories(joined);
    SetText(join, IDC_SOURCE, parts + "\\holiday-video.mp4.2_of_3");
    SendMessageA(join, WM_COMMAND, MAKEWPARAM(IDC_SOURCE, EN_UPDATE),
                 reinterpret_cast<LPARAM>(GetDlgItem(join, IDC_SOURCE)));
    SetText(join, IDC_OUTPUT_DIR, joined);
    SetText(join, IDC_OUTPUT_NAME, "holiday-video.mp4");
    Settle();
    Capture(window, output + "\\join.bmp");
    CaptureWhileRunning(window, output + "\\join-running.bmp", join);
    PostMessageA(GetDlgItem(join, IDC_CANCEL), BM_CLICK, 0, 0);
    if (HWND confirm = gui::FindBox("Confirm Cancel:", 5s, process.dwProcessId))
        gui::Click(GetDlgItem(confirm, IDYES));
    if (HWND done = gui::FindBox("", 1s, process.dwProcessId)) gui::Click(GetDlgItem(done, IDOK));
    WaitUntilIdle(join);
    Settle();
    Capture(window, output + "\\join-cancelled.bmp"); // the panel says what stayed on disk

    // The Join page with a name beyond any legacy code page (the program runs
    // with UTF-8 as its code page).
    const std::string name =
        "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1 caf\xC3\xA9 "
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.v2.mkv"; // Καλημέρα café Привет.v2.mkv
    for (int k = 1; k <= 3; ++k) MakeFile(parts + "\\" + name + "." + std::to_string(k) + "_of_3", 5u << 20);
    SetText(join, IDC_SOURCE, parts + "\\" + name + ".2_of_3");
    SendMessageA(join, WM_COMMAND, MAKEWPARAM(IDC_SOURCE, EN_UPDATE),
                 reinterpret_cast<LPARAM>(GetDlgItem(join, IDC_SOURCE)));
    SetText(join, IDC_OUTPUT_NAME, name);
    Settle();
    Capture(window, output + "\\join-utf8.bmp");

    // The Help tab, and the About panel.
    SendMessageA(tabs, TCM_SETCURFOCUS, 2, 0);
    Settle();
    Capture(window, output + "\\help.bmp");
    HWND topics = GetDlgItem(help, IDC_TOPICS);
    SendMessageA(topics, LB_SETCURSEL, 2, 0);
    SendMessageA(help, WM_COMMAND, MAKEWPARAM(IDC_TOPICS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(topics));
    Settle();
    Capture(window, output + "\\about.bmp");

    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, 20000);
    std::filesystem::remove_all(parts);
    std::filesystem::remove(source);
    return 0;
}

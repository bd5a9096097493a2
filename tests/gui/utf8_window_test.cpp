// The window with file names beyond any legacy code page (the program runs
// with UTF-8 as its code page): typed, dropped and command-line paths, the
// summary, the overwrite question and a message that quote such a name.
#include "platform/platform.h"
#include "res/resource.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int S = SPLIT_PAGE;
constexpr int J = JOIN_PAGE;

// "Ωμέγα café 日本 🎬.v2.mkv" in UTF-8.
const std::string NAME = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC "
                         "\xF0\x9F\x8E\xAC.v2.mkv";

void Write(const std::string& path, std::size_t size) {
    platform::File file = platform::File::createAlways(path);
    const auto bytes = PatternBytes(size, 9);
    ASSERT_TRUE(file.valid()) << path;
    ASSERT_TRUE(file.write(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
}

// Where Wine keeps a file on the Linux side (Wine's own kernel32 export).
std::string UnixPathOf(const std::string& path) {
    using ToUnix = char*(__cdecl*)(const wchar_t*);
    void* address =
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    const auto toUnix = reinterpret_cast<ToUnix>(address);
    if (!toUnix) return "";
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, 1024);
    char* unix = toUnix(wide);
    const std::string result = unix ? unix : "";
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

TEST(Utf8Window, NamesTypedDroppedAndGivenOnTheCommandLineStayIntact) {
    TempDir temp;
    const std::string source = temp.path() + "\\" + NAME;
    Write(source, 70000);
    const std::string parts = temp.file("parts");
    std::filesystem::create_directory(parts);
    {
        MainWindowHarness harness("");
        // Typed into the Split page, then split.
        harness.type(S, IDC_SOURCE, source);
        EXPECT_EQ(harness.text(S, IDC_SOURCE), source);
        EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 68.36 KB");
        harness.type(S, IDC_OUTPUT_DIR, parts);
        harness.click(S, IDC_MODE_COUNT);
        harness.type(S, IDC_FILE_COUNT, "3");
        auto done = AnswerLater("Complete", IDOK);
        harness.click(S, IDC_START);
        EXPECT_EQ(Await(done, harness), "File splitting operation successful!");
        const std::string segment = parts + "\\" + NAME + ".2_of_3";
        ASSERT_TRUE(platform::pathExists(segment));
        // On the Linux side the file's name is the name's UTF-8, byte for byte.
        const std::string unix = UnixPathOf(segment);
        if (!unix.empty()) {
            EXPECT_EQ(unix.substr(unix.size() - NAME.size() - 7), NAME + ".2_of_3");
        }

        // Dropped on the Join page.
        harness.selectTab(J);
        harness.drop(J, IDC_SOURCE, { segment });
        EXPECT_EQ(harness.text(J, IDC_SOURCE), segment);
        EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), NAME);
        EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (68.36 KB)");

        // Browsed to with the open-file dialog.
        harness.type(J, IDC_SOURCE, "");
        auto picked = PickFileLater(parts + "\\" + NAME + ".1_of_3");
        harness.click(J, IDC_BROWSE_SOURCE);
        EXPECT_EQ(Await(picked, harness), "Open");
        EXPECT_EQ(harness.text(J, IDC_SOURCE), parts + "\\" + NAME + ".1_of_3");
        EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (68.36 KB)");

        // The overwrite question quotes the existing file whole.
        Write(parts + "\\" + NAME, 1);
        auto question = AnswerLater("Overwrite Existing File:", IDNO, IDC_OVERWRITE_TEXT);
        harness.click(J, IDC_START);
        EXPECT_EQ(Await(question, harness),
                  "File:\r\n\r\n" + parts + "\\" + NAME + "\r\n\r\nalready exists.  Overwrite?");
        ASSERT_TRUE(harness.pumpUntil([&] { return IsWindowEnabled(harness.item(J, IDC_START)) != FALSE; }));

        // A message quotes a segment that cannot be created, whole.
        harness.selectTab(S);
        const std::string blocked = parts + "\\" + NAME + ".1_of_2";
        ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
        harness.type(S, IDC_SOURCE, source);
        harness.type(S, IDC_OUTPUT_DIR, parts);
        harness.type(S, IDC_FILE_COUNT, "2");
        auto overwrite = AnswerLater("Overwrite Existing File:", IDYES, IDC_OVERWRITE_TEXT);
        auto failure = AnswerLater("Error:", IDOK);
        harness.click(S, IDC_START);
        EXPECT_EQ(Await(overwrite, harness), "File:\r\n\r\n" + blocked + "\r\n\r\nalready exists.  Overwrite?");
        EXPECT_TRUE(platform::isDirectory(blocked));
        EXPECT_EQ(Await(failure, harness), "Failed to create output file: " + blocked + ".");
        ASSERT_TRUE(harness.pumpUntil([&] { return IsWindowEnabled(harness.item(S, IDC_START)) != FALSE; }));
    }
    // Given on the command line: the Join tab, filled.
    const std::string segment = parts + "\\" + NAME + ".3_of_3";
    const std::string quoted = "\"" + segment + "\"";
    MainWindowHarness harness(quoted.c_str());
    EXPECT_TRUE(IsWindowVisible(harness.page(J)));
    EXPECT_EQ(harness.text(J, IDC_SOURCE), segment);
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_DIR), parts + "\\");
    EXPECT_EQ(harness.text(J, IDC_OUTPUT_NAME), NAME);
    EXPECT_EQ(harness.text(J, IDC_SUMMARY), "3 files (68.36 KB)");
}

} // namespace

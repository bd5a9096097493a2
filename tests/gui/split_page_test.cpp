// The Split page on real windows: fresh state, live displays, Enter and drops,
// every validation message in its order, and whole splits started from the
// page with pause, resume, cancel and the restore after the job.
#include "core/segment_name.h"
#include "res/resource.h"
#include "split/split_page.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int S = SPLIT_PAGE;

class SplitPage : public ::testing::Test {
protected:
    TempDir temp;
    MainWindowHarness harness { "" };
    std::string out = temp.file("out");

    void SetUp() override { std::filesystem::create_directory(out); }

    std::string Source(std::size_t size, const std::string& name = "movie.avi") {
        WriteFile(temp.file(name), PatternBytes(size, 7));
        return temp.file(name);
    }
    bool enabled(int id) const { return IsWindowEnabled(harness.item(S, id)) != FALSE; }
    bool visible(int id) const { return IsWindowVisible(harness.item(S, id)) != FALSE; }
    bool checked(int id) const { return IsDlgButtonChecked(harness.page(S), id) == BST_CHECKED; }

    // Presses "Split!" and gives the text of the error box that answers it.
    std::string SplitExpectingError() {
        auto answer = AnswerLater("Error:", IDOK);
        harness.click(S, IDC_START);
        return Await(answer, harness);
    }
};

TEST_F(SplitPage, AFreshPageIsIdleInCustomSizeMode) {
    EXPECT_TRUE(checked(IDC_MODE_SIZE));
    EXPECT_FALSE(checked(IDC_MODE_COUNT));
    EXPECT_EQ(SendMessageA(harness.item(S, IDC_SIZE_UNIT), CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(SendMessageA(harness.item(S, IDC_SIZE_UNIT), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(harness.text(S, IDC_SIZE_UNIT), "Megabytes  (MB)");
    for (int id : { IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_OUTPUT_DIR, IDC_BROWSE_OUTPUT, IDC_START,
                    IDC_MODE_COUNT, IDC_MODE_SIZE, IDC_CUSTOM_SIZE, IDC_SIZE_UNIT })
        EXPECT_TRUE(enabled(id)) << id;
    for (int id : { IDC_CANCEL, IDC_PAUSE, IDC_FILE_COUNT }) EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(visible(IDC_STATUS_FILE));
    EXPECT_FALSE(visible(IDC_STATUS_BYTES));
    for (int id : { IDC_SOURCE_SIZE, IDC_FREE_SPACE, IDC_SIZE_PER_FILE, IDC_COUNT_DISPLAY, IDC_PROGRESS })
        EXPECT_EQ(harness.text(S, id), "") << id;
}

TEST_F(SplitPage, LiveDisplaysFollowTheInputs) {
    // The size shows once the text names a file that opens.
    const std::string path = Source(1572864);
    harness.type(S, IDC_SOURCE, path.substr(0, path.size() - 2));
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "");
    harness.type(S, IDC_SOURCE, path);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 1.50 MB");
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), ""); // typing does not fill the output directory
    harness.type(S, IDC_OUTPUT_DIR, out);
    EXPECT_EQ(harness.text(S, IDC_FREE_SPACE).rfind("Disk Space Available: ", 0), 0u);
    harness.type(S, IDC_OUTPUT_DIR, out + "-missing");
    EXPECT_EQ(harness.text(S, IDC_FREE_SPACE), "");

    // Number of files on a 10-byte source.
    harness.type(S, IDC_SOURCE, Source(10, "ten.bin"));
    harness.click(S, IDC_MODE_COUNT);
    EXPECT_TRUE(checked(IDC_MODE_COUNT));
    EXPECT_TRUE(enabled(IDC_FILE_COUNT));
    EXPECT_FALSE(enabled(IDC_CUSTOM_SIZE));
    EXPECT_FALSE(enabled(IDC_SIZE_UNIT));
    const struct {
        const char* count;
        const char* shown;
    } counts[] = { { "3", "4 Bytes / File" },
                   { "1", "Invalid Entry" },
                   { "", "" },
                   { "10", "1 Bytes / File" },
                   { "99999999999", "Invalid Entry" } };
    for (const auto& c : counts) {
        harness.type(S, IDC_FILE_COUNT, c.count);
        EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), c.shown) << c.count;
    }
    harness.type(S, IDC_FILE_COUNT, "3");
    harness.type(S, IDC_SOURCE, Source(0, "empty.bin"));
    EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "");

    // Custom sizes: the display of the other mode is emptied on the switch.
    harness.type(S, IDC_SOURCE, temp.file("ten.bin"));
    EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "4 Bytes / File");
    harness.click(S, IDC_MODE_SIZE);
    EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "");
    EXPECT_EQ(harness.text(S, IDC_FILE_COUNT), "3"); // texts stay as they are
    harness.selectComboEntry(S, IDC_SIZE_UNIT, 0);
    const struct {
        const char* size;
        const char* shown;
    } sizes[] = { { "4", "3 Files" }, { "0.5", "" }, { "10", "1 Files" }, { "1e3", "10 Files" }, { "", "" } };
    for (const auto& c : sizes) {
        harness.type(S, IDC_CUSTOM_SIZE, c.size);
        EXPECT_EQ(harness.text(S, IDC_COUNT_DISPLAY), c.shown) << c.size;
    }
    harness.type(S, IDC_SOURCE, Source(3000000, "three.bin"));
    harness.type(S, IDC_CUSTOM_SIZE, "1.5");
    EXPECT_EQ(harness.text(S, IDC_COUNT_DISPLAY), "3000000 Files");
    harness.selectComboEntry(S, IDC_SIZE_UNIT, 2); // switching the unit refreshes the count
    EXPECT_EQ(harness.text(S, IDC_COUNT_DISPLAY), "2 Files");
}

TEST_F(SplitPage, EnterAndADropFillTheOutputDirectory) {
    const std::string path = Source(2048);
    harness.type(S, IDC_SOURCE, path);
    harness.pressEnter(S, IDC_SOURCE);
    EXPECT_EQ(harness.text(S, IDC_SOURCE), path); // no line break enters the field
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), temp.path() + "\\");
    EXPECT_NE(harness.text(S, IDC_FREE_SPACE), "");

    harness.type(S, IDC_SOURCE, "");
    harness.type(S, IDC_OUTPUT_DIR, "");
    harness.click(S, IDC_MODE_COUNT);
    harness.type(S, IDC_FILE_COUNT, "4");
    harness.drop(S, IDC_SOURCE, { path });
    EXPECT_EQ(harness.text(S, IDC_SOURCE), path);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 2.00 KB");
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), temp.path() + "\\");
    EXPECT_NE(harness.text(S, IDC_FREE_SPACE), "");
    EXPECT_EQ(harness.text(S, IDC_SIZE_PER_FILE), "512 Bytes / File");

    harness.drop(S, IDC_SOURCE, { Source(10, "a.bin"), Source(20, "b.bin") });
    EXPECT_EQ(harness.text(S, IDC_SOURCE), path); // two files at once change nothing
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 2.00 KB");
}

TEST_F(SplitPage, TheBrowseButtonsFillTheirFields) {
    // The open-file dialog: the chosen file, its size, its folder as output.
    const std::string path = Source(3072);
    auto picked = PickFileLater(path);
    harness.click(S, IDC_BROWSE_SOURCE);
    EXPECT_EQ(Await(picked, harness), "Open");
    EXPECT_EQ(harness.text(S, IDC_SOURCE), path);
    EXPECT_EQ(harness.text(S, IDC_SOURCE_SIZE), "File size: 3.00 KB");
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), temp.path() + "\\");
    EXPECT_NE(harness.text(S, IDC_FREE_SPACE), "");

    // The folder browser: Cancel changes nothing; OK puts the folder chosen in
    // the browser (Wine preselects the desktop) into the field, with its space.
    harness.type(S, IDC_OUTPUT_DIR, out);
    auto cancelled = AnswerLater("Browse for Folder", IDCANCEL, 14146);
    harness.click(S, IDC_BROWSE_OUTPUT);
    EXPECT_EQ(Await(cancelled, harness), "Select Output Directory:");
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), out);
    auto chosen = AnswerLater("Browse for Folder", IDOK, 14146);
    harness.click(S, IDC_BROWSE_OUTPUT);
    EXPECT_EQ(Await(chosen, harness), "Select Output Directory:");
    const std::string folder = harness.text(S, IDC_OUTPUT_DIR);
    EXPECT_NE(folder, out);
    EXPECT_TRUE(std::filesystem::is_directory(folder)) << folder;
    EXPECT_NE(harness.text(S, IDC_FREE_SPACE), "");
}

TEST_F(SplitPage, EveryValidationMessageInItsOrder) {
    const std::string path = Source(10);
    std::filesystem::create_directory(temp.file("folder"));
    const struct {
        std::string source, output;
        bool countMode;
        std::string count, size;
        const char* text;
    } cases[] = {
        { "", out, false, "", "1", "Please enter an input file path." },
        { temp.file("missing.bin"), out, false, "", "1", "The specified input file does not exist." },
        { temp.file("folder"), out, false, "", "1", "The specified input file does not exist." },
        { path, "", false, "", "1", "Please enter an output directory." },
        { path, out + "-missing", false, "", "1", "The specified output directory does not exist." },
        { path, path, false, "", "1", "The specified output directory does not exist." },
        { path, out, true, "", "", "Please enter a valid number of output files." },
        { path, out, true, "1", "", "Please specify at least 2 output files." },
        { path, out, false, "", "1..5",
          "Invalid custom size value - entry contains multiple decimal points." },
        { path, out, false, "", "1 5", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "-1", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "1,5", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "abc", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "1e3", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "a.b.", "Invalid custom size value - entry contains illegal character(s)." },
        { path, out, false, "", "", "Please enter a positive, non-zero file size." },
        { path, out, false, "", ".", "Please enter a positive, non-zero file size." },
        { path, out, false, "", "0.000", "Please enter a positive, non-zero file size." },
        // After the page's own checks come those of the plan.
        { path, out, false, "", "1", "Specified output size does not require splitting." },
    };
    for (const auto& c : cases) {
        harness.type(S, IDC_SOURCE, c.source);
        harness.type(S, IDC_OUTPUT_DIR, c.output);
        harness.click(S, c.countMode ? IDC_MODE_COUNT : IDC_MODE_SIZE);
        harness.type(S, IDC_FILE_COUNT, c.count);
        harness.type(S, IDC_CUSTOM_SIZE, c.size);
        EXPECT_EQ(SplitExpectingError(), c.text) << c.source << " | " << c.output << " | " << c.size;
        EXPECT_FALSE(enabled(IDC_CANCEL)); // still idle
    }
    EXPECT_TRUE(ListDirectory(out).empty());
}

TEST_F(SplitPage, ASegmentAsSourceIsConfirmedFirst) {
    harness.type(S, IDC_SOURCE, Source(100, "movie.avi.03_of_12"));
    harness.type(S, IDC_OUTPUT_DIR, out);
    harness.type(S, IDC_CUSTOM_SIZE, "30");
    harness.selectComboEntry(S, IDC_SIZE_UNIT, 0);
    auto cancel = AnswerLater("Confirm Input Pathname:", IDCANCEL);
    harness.click(S, IDC_START);
    EXPECT_EQ(Await(cancel, harness),
              "It appears you have entered as input the pathname of an already-split file "
              "segment.\r\nAre you sure you wish to continue?");
    EXPECT_FALSE(enabled(IDC_CANCEL));
    EXPECT_TRUE(ListDirectory(out).empty());

    auto ok = AnswerLater("Confirm Input Pathname:", IDOK);
    auto done = AnswerLater("Complete", IDOK);
    harness.click(S, IDC_START);
    Await(ok, harness);
    EXPECT_EQ(Await(done, harness), "File splitting operation successful!");
    EXPECT_EQ(ListDirectory(out).size(), 4u);
}

TEST_F(SplitPage, AWholeSplitLocksThePageAndClearsItAfterwards) {
    const std::string path = Source(1000003);
    harness.type(S, IDC_SOURCE, path);
    harness.type(S, IDC_OUTPUT_DIR, out);
    harness.click(S, IDC_MODE_COUNT);
    harness.type(S, IDC_FILE_COUNT, "12");
    auto done = AnswerLater("Complete", IDOK);
    harness.click(S, IDC_START);
    for (int id : { IDC_SOURCE, IDC_BROWSE_SOURCE, IDC_OUTPUT_DIR, IDC_BROWSE_OUTPUT, IDC_START,
                    IDC_MODE_COUNT, IDC_MODE_SIZE, IDC_FILE_COUNT, IDC_CUSTOM_SIZE, IDC_SIZE_UNIT })
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_TRUE(enabled(IDC_CANCEL));
    EXPECT_TRUE(enabled(IDC_PAUSE));
    EXPECT_TRUE(visible(IDC_STATUS_FILE));
    EXPECT_TRUE(visible(IDC_STATUS_BYTES));
    EXPECT_EQ(Await(done, harness), "File splitting operation successful!");

    // Within a tick of the dismissal: inputs empty, panel idle, title back.
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
    for (int id :
         { IDC_SOURCE, IDC_SOURCE_SIZE, IDC_OUTPUT_DIR, IDC_FREE_SPACE, IDC_FILE_COUNT, IDC_COUNT_DISPLAY,
           IDC_CUSTOM_SIZE, IDC_SIZE_PER_FILE, IDC_STATUS_FILE, IDC_STATUS_BYTES, IDC_PROGRESS })
        EXPECT_EQ(harness.text(S, id), "") << id;
    EXPECT_EQ(harness.title(), "Morvane");
    EXPECT_TRUE(checked(IDC_MODE_COUNT)); // the mode and unit keep their choice
    EXPECT_TRUE(enabled(IDC_FILE_COUNT));
    EXPECT_FALSE(enabled(IDC_CANCEL));

    const auto source = ReadFile(path);
    std::vector<unsigned char> joined;
    for (std::uint32_t k = 0; k < 12; ++k) {
        const auto segment = ReadFile(ComposeSegmentPath(path, out, k, 12));
        EXPECT_EQ(segment.size(), k < 7 ? 83334u : 83333u);
        joined.insert(joined.end(), segment.begin(), segment.end());
    }
    EXPECT_EQ(joined, source);
}

TEST_F(SplitPage, PauseShowsPausedAndCancelKeepsTheInputs) {
    const std::string path = Source(4 * 1024 * 1024);
    harness.type(S, IDC_SOURCE, path);
    harness.type(S, IDC_OUTPUT_DIR, out);
    harness.click(S, IDC_MODE_COUNT);
    harness.type(S, IDC_FILE_COUNT, "2");
    WriteFile(ComposeSegmentPath(path, out, 1, 2), { 'x' }); // the worker will ask about it

    // While the overwrite question is open the page stays usable: pause there,
    // so that the worker holds before the second segment's first block.
    harness.click(S, IDC_START);
    HWND question = nullptr;
    ASSERT_TRUE(
        harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
    harness.click(S, IDC_PAUSE);
    EXPECT_EQ(harness.text(S, IDC_PAUSE), "Resume");
    gui::Click(question, IDYES);
    ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(S, IDC_STATUS_FILE) == "Paused"; }));
    const std::string bytes = harness.text(S, IDC_STATUS_BYTES);
    EXPECT_EQ(bytes, "2,097,152 / 4,194,304 Bytes");
    EXPECT_EQ(harness.text(S, IDC_PROGRESS), "50.0%");
    EXPECT_EQ(harness.title(), "50% - Morvane");

    // Cancel answered Yes: the worker ends without a message; inputs stay.
    auto confirm = AnswerLater("Confirm Cancel:", IDYES);
    harness.click(S, IDC_CANCEL);
    EXPECT_EQ(Await(confirm, harness), "Are you sure you want to cancel?");
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));
    EXPECT_EQ(harness.text(S, IDC_SOURCE), path);
    EXPECT_EQ(harness.text(S, IDC_OUTPUT_DIR), out);
    EXPECT_EQ(harness.text(S, IDC_FILE_COUNT), "2");
    EXPECT_EQ(harness.text(S, IDC_PAUSE), "Pause");
    EXPECT_EQ(harness.title(), "Morvane");
    EXPECT_EQ(FileSize(ComposeSegmentPath(path, out, 0, 2)), 2097152);
    EXPECT_EQ(FileSize(ComposeSegmentPath(path, out, 1, 2)), 2097151); // reserved, nothing copied
    EXPECT_EQ(splitPageState().progress.finished, 0);
}

TEST_F(SplitPage, ClosingWhileASplitRunsAsksNoGoesOnYesStopsIt) {
    const std::string path = Source(4 * 1024 * 1024);
    harness.type(S, IDC_SOURCE, path);
    harness.type(S, IDC_OUTPUT_DIR, out);
    harness.click(S, IDC_MODE_COUNT);
    harness.type(S, IDC_FILE_COUNT, "2");
    WriteFile(ComposeSegmentPath(path, out, 1, 2), { 'x' });

    // Closed while the worker waits at its overwrite question: No, and the job goes on.
    harness.click(S, IDC_START);
    HWND question = nullptr;
    ASSERT_TRUE(
        harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
    auto no = AnswerLater("Exit:", IDNO);
    SendMessageA(harness.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(Await(no, harness), "Are you sure you want to exit?");
    EXPECT_TRUE(IsWindowVisible(harness.window()));
    EXPECT_EQ(splitPageState().control.paused, 0);
    auto done = AnswerLater("Complete", IDOK);
    gui::Click(question, IDYES);
    EXPECT_EQ(Await(done, harness), "File splitting operation successful!");
    ASSERT_TRUE(harness.pumpUntil([&] { return enabled(IDC_START); }));

    // Held by Pause, closed, Yes: the worker stops, the page waits for it, and
    // the loop ends with code 0.
    harness.type(S, IDC_SOURCE, path);
    harness.type(S, IDC_OUTPUT_DIR, out);
    harness.type(S, IDC_FILE_COUNT, "2");
    harness.click(S, IDC_START);
    ASSERT_TRUE(
        harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
    harness.click(S, IDC_PAUSE);
    gui::Click(question, IDC_YES_TO_ALL);
    ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(S, IDC_STATUS_FILE) == "Paused"; }));
    auto yes = AnswerLater("Exit:", IDYES);
    PostMessageA(harness.window(), WM_CLOSE, 0, 0);
    MSG message {};
    bool quit = false;
    ASSERT_TRUE(harness.pumpUntil([&] {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) return quit = true;
            if (!IsDialogMessageA(harness.window(), &message)) DispatchMessageA(&message);
        }
        return false;
    }));
    EXPECT_EQ(yes.get(), "Are you sure you want to exit?");
    EXPECT_EQ(message.wParam, 0u);
    EXPECT_EQ(splitPageState().worker, nullptr); // stopped, waited for, released
    EXPECT_EQ(splitPageState().progress.finished, 0);
    EXPECT_EQ(FileSize(ComposeSegmentPath(path, out, 0, 2)), 2097151); // left as it was: reserved
}

} // namespace

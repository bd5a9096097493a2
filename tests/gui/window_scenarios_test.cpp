// The window program driven as a user drives it, observed only through its
// windows, the files on disk and the boxes it shows: the refusals of bad input,
// the live displays, real splits and joins with their questions, pause, cancel
// and close, the taskbar button, and the Help page.
#include "core/job_step.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "tests/gui/harness.h"
#include "tests/support/test_support.h"
#include "ui/help_page.h"
#include "ui/taskbar_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

namespace {

using namespace gui;
using Bytes = std::vector<unsigned char>;

const char* const OVERWRITE = "Overwrite Existing File:";
const char* const SPLIT_DONE = "File splitting operation successful!";
const std::string HELD = "2,097,152 / 4,194,304 Bytes"; // a 4 MiB split in two, held before the second file

// What the main window's taskbar button was last told, recorded in place of
// ITaskbarList3; with each percentage given while the title showed another.
struct TaskbarRecord {
    TaskbarState state = TaskbarState::None;
    unsigned percent = 0;
    std::vector<std::string> offTitle;
} taskbar;

class RecordingTaskbarButton final : public TaskbarButton {
public:
    explicit RecordingTaskbarButton(HWND window) : window_(window) {}
    void setPercent(unsigned percent) override {
        taskbar.percent = percent;
        const std::string title = Text(window_);
        if (title.find('%') != std::string::npos && title != std::to_string(percent) + "% - Morvane")
            taskbar.offTitle.push_back(std::to_string(percent) + " under " + title);
    }
    void setState(TaskbarState state) override { taskbar.state = state; }

private:
    HWND window_;
};

// Every window of these tests records: none of them talks to a real taskbar.
const TaskbarButtonFactory shellTaskbarButton =
    std::exchange(createTaskbarButton, [](HWND window) -> std::unique_ptr<TaskbarButton> {
        return std::make_unique<RecordingTaskbarButton>(window);
    });

std::string Question(const std::string& path) {
    return "File:\r\n\r\n" + path + "\r\n\r\nalready exists.  Overwrite?";
}

class Scenario : public ::testing::Test {
protected:
    TempDir temp;
    Window w;
    std::string out = temp.file("out");

    void SetUp() override {
        CreateDirectoryA(out.c_str(), nullptr);
        taskbar = {};
    }
    std::string file(const std::string& name, std::size_t size, std::uint32_t seed = 7) {
        WriteFile(temp.file(name), PatternBytes(size, seed));
        return temp.file(name);
    }
    std::string part(const std::string& source, unsigned k, unsigned n) {
        return ComposeSegmentPath(source, out, k, n);
    }
    void splitInto(const std::string& source, const char* count) {
        w.type(SPLIT, IDC_SOURCE, source);
        w.type(SPLIT, IDC_OUTPUT_DIR, out);
        w.click(SPLIT, IDC_MODE_COUNT);
        w.type(SPLIT, IDC_FILE_COUNT, count);
    }
    // Presses Start and gives the text of the box with `caption` that follows, answered OK.
    std::string start(int page, const char* caption = "Error:") {
        auto box = AnswerLater(caption, IDOK);
        w.click(page, IDC_START);
        const std::string text = w.await(box);
        EXPECT_TRUE(idle(page)) << text; // the job, if any, over and the page usable
        return text;
    }
    bool idle(int page) {
        return w.pump([&] { return w.enabled(page, IDC_START); });
    }
    // Presses Start and gives the overwrite question the worker asks.
    HWND startUntilAsked(int page) {
        HWND question = nullptr;
        w.click(page, IDC_START);
        EXPECT_TRUE(w.pump([&] { return (question = FindBox(OVERWRITE)) != nullptr; }));
        // In front of every window: no click on the main window buries it.
        EXPECT_NE(GetWindowLongA(question, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        return question;
    }
    // A join of two 1 MiB members into joined.bin beside them, which exists:
    // held while it asks about it. Gives its first member.
    std::string heldJoin() {
        const std::string first = file("joined.bin.1_of_2", 1 << 20, 2);
        file("joined.bin.2_of_2", 1 << 20, 3);
        file("joined.bin", 1);
        w.tab(JOIN);
        w.drop(JOIN, IDC_SOURCE, first); // the output: joined.bin beside the set
        hold(JOIN, startUntilAsked(JOIN));
        return first;
    }
    // Pauses while the worker asks, then answers Yes: the worker holds before its next block.
    void hold(int page, HWND question) {
        w.click(page, IDC_PAUSE);
        EXPECT_EQ(w.text(page, IDC_PAUSE), "Resume");
        Click(GetDlgItem(question, IDYES));
        ASSERT_TRUE(w.pump([&] { return w.text(page, IDC_STATUS_FILE) == "Paused"; }));
    }
};

TEST_F(Scenario, EachBadInputIsRefusedWithItsMessageAndASegmentAsSourceIsConfirmed) {
    const std::string ten = file("ten.bin", 10), one = file("movie.avi.1_of_2", 10);
    const std::string two = file("movie.avi.2_of_2", 10), lone = file("lone.1_of_2", 5);
    CreateDirectoryA(temp.file("folder").c_str(), nullptr);
    const int SIZE = IDC_CUSTOM_SIZE, COUNT = IDC_FILE_COUNT, NAME = IDC_OUTPUT_NAME;
    const struct {
        int field; // the Split page's count or size (Megabytes), or the Join page's name
        std::string source, directory, value, text;
    } cases[] = {
        { SIZE, "", out, "1", "Please enter an input file path." },
        { SIZE, temp.file("none"), out, "1", "The specified input file does not exist." },
        { SIZE, temp.file("folder"), out, "1", "The specified input path is a directory, not a file." },
        { SIZE, ten, "", "1", "Please enter an output directory." },
        { SIZE, ten, ten, "1", "The specified output directory does not exist." },
        { COUNT, ten, out, "4294967296", "Please enter a valid number of output files." },
        { COUNT, ten, out, "1", "Please specify at least 2 output files." },
        { SIZE, ten, out, "1e3", "Invalid custom size value - entry contains illegal character(s)." },
        { SIZE, ten, out, "1", "Specified output size does not require splitting." },
        { NAME, "", out, "x", "Please enter an input split file path." },
        { NAME, temp.file("x.1_of_2"), out, "x", "The specified input file does not exist." },
        { NAME, ten, out, "x", "Please enter a valid split file pathname." },
        { NAME, one, "", "x", "Please enter an output directory." },
        { NAME, one, two, "x", "The specified output directory does not exist." },
        { NAME, one, out, "", "Please enter an output filename." },
        { NAME, lone, out, "x", "At least 2 split files must exist in the specified directory." },
        { NAME, one, temp.path(), "movie.avi.2_of_2",
          "The output file:\r\n\r\n    " + two +
              "\r\n\r\nis one of the split files.  Please choose another output filename or directory." },
    };
    for (const auto& c : cases) {
        const int page = c.field == NAME ? JOIN : SPLIT;
        w.tab(page);
        if (page == SPLIT) w.click(SPLIT, c.field == COUNT ? IDC_MODE_COUNT : IDC_MODE_SIZE);
        w.type(page, IDC_SOURCE, c.source);
        w.type(page, IDC_OUTPUT_DIR, c.directory);
        w.type(page, c.field, c.value);
        EXPECT_EQ(start(page), c.text) << c.source << " | " << c.directory << " | " << c.value;
    }
    splitInto(file("movie.avi.03_of_12", 100), "4"); // a segment as source: Cancel stops, OK splits
    w.post(SPLIT, IDC_START);
    EXPECT_EQ(w.answer("Confirm Input Pathname:", IDCANCEL),
              "It appears you have entered as input the pathname of an already-split file "
              "segment.\r\nAre you sure you wish to continue?");
    EXPECT_TRUE(ListDirectory(out).empty());
    w.post(SPLIT, IDC_START);
    w.answer("Confirm Input Pathname:", IDOK);
    EXPECT_EQ(w.answer("Complete", IDOK), SPLIT_DONE);
    EXPECT_EQ(ListDirectory(out).size(), 4u);
}

TEST_F(Scenario, TheSplitPageShowsSizesCountsAndSpaceAsTheInputsChange) {
    const std::string big = file("movie.avi", 1572864);
    w.type(SPLIT, IDC_SOURCE, big);
    w.type(SPLIT, IDC_OUTPUT_DIR, out);
    EXPECT_EQ(w.text(SPLIT, IDC_SOURCE_SIZE), "File size: 1.50 MB");
    EXPECT_EQ(w.text(SPLIT, IDC_FREE_SPACE).rfind("Disk Space Available: ", 0), 0u);
    // By count, of ten bytes (the first files take the remainder); by size, of 10 KiB in each unit.
    w.type(SPLIT, IDC_SOURCE, file("ten.bin", 10));
    w.click(SPLIT, IDC_MODE_COUNT);
    const char* counts[] = { "3", "4", "1", "", "99999999999" };
    const char* perFile[] = { "4 Bytes / File", "3 Bytes / File", "Invalid Entry", "", "Invalid Entry" };
    for (int i = 0; i < 5; ++i) {
        w.type(SPLIT, IDC_FILE_COUNT, counts[i]);
        EXPECT_EQ(w.text(SPLIT, IDC_SIZE_PER_FILE), perFile[i]) << counts[i];
    }
    w.type(SPLIT, IDC_SOURCE, file("tenk.bin", 10240));
    w.click(SPLIT, IDC_MODE_SIZE);
    const char* sizes[] = { "4000", "1", "0.001", "0.000005", "0.5" };
    const char* files[] = { "3 Files", "10 Files", "10 Files", "2 Files", "" };
    for (int i = 0; i < 5; ++i) {
        w.type(SPLIT, IDC_CUSTOM_SIZE, sizes[i]);
        w.pick(SPLIT, IDC_SIZE_UNIT, CB_SETCURSEL, i % 4); // Bytes, KB, MB, GB, Bytes
        EXPECT_EQ(w.text(SPLIT, IDC_COUNT_DISPLAY) + w.text(SPLIT, IDC_SIZE_PER_FILE), files[i]) << sizes[i];
    }
}

TEST_F(Scenario, TheJoinPageSummarisesTheSetAndFillsTheOutputAsEachWayOfChoosingSays) {
    w.tab(JOIN);
    const std::string a = file("movie.avi.1_of_3", 1000), b = file("movie.avi.2_of_3", 1000);
    const std::string readme = file("README.1_of_2", 10), other = file("README.2_of_2", 10);
    file("movie.avi.3_of_3", 1000);
    const auto shown = [&] {
        return w.text(JOIN, IDC_SUMMARY) + "|" + w.text(JOIN, IDC_OUTPUT_DIR) + "|" +
               w.text(JOIN, IDC_OUTPUT_NAME);
    };
    w.type(JOIN, IDC_SOURCE, b); // typed: the summary only
    EXPECT_EQ(shown(), "3 files (2.93 KB)||");
    w.type(JOIN, IDC_SOURCE, a); // Enter: the directory, and the name when it has an extension
    w.enter(JOIN, IDC_SOURCE);
    EXPECT_EQ(shown(), "3 files (2.93 KB)|" + temp.path() + "\\|movie.avi");
    w.type(JOIN, IDC_SOURCE, readme);
    w.enter(JOIN, IDC_SOURCE);
    EXPECT_EQ(shown(), "2 files (20 Bytes)|" + temp.path() + "\\|movie.avi");
    w.type(JOIN, IDC_OUTPUT_DIR, out); // a drop: both
    w.drop(JOIN, IDC_SOURCE, other);
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + "|" + shown(),
              other + "|2 files (20 Bytes)|" + temp.path() + "\\|README");
    w.type(JOIN, IDC_OUTPUT_DIR, out); // Browse...: neither
    w.post(JOIN, IDC_BROWSE_SOURCE);
    EXPECT_NE(w.answer("Open", IDOK, 1148, b), "(no answer)"); // typed into the file name field
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + "|" + shown(), b + "|3 files (2.93 KB)|" + out + "|README");
}

TEST_F(Scenario, ASplitAndItsJoinThroughTheWindowGiveTheFileBack) {
    // "Ωμέγα café 日本 🎬.v2.mkv" in UTF-8, the program's code page.
    const std::string name = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC "
                             "\xF0\x9F\x8E\xAC.v2.mkv";
    const std::string source = file(name, 1000003);
    splitInto(source, "12");
    EXPECT_EQ(start(SPLIT, "Complete"), SPLIT_DONE); // then emptied, and usable again
    for (int id : { IDC_SOURCE, IDC_SOURCE_SIZE, IDC_OUTPUT_DIR, IDC_FILE_COUNT, IDC_SIZE_PER_FILE })
        EXPECT_EQ(w.text(SPLIT, id) + (w.enabled(SPLIT, id) ? "" : "(disabled)"), "") << id;
    EXPECT_FALSE(w.enabled(SPLIT, IDC_CANCEL) || w.enabled(SPLIT, IDC_PAUSE));
    Bytes joined;
    for (unsigned k = 0; k < 12; ++k)
        for (unsigned char byte : ReadFile(part(source, k, 12))) joined.push_back(byte);
    EXPECT_EQ(joined, ReadFile(source));
    w.tab(JOIN); // joined back beside the segments: Enter fills the output from the path typed
    w.type(JOIN, IDC_SOURCE, part(source, 4, 12));
    w.enter(JOIN, IDC_SOURCE);
    EXPECT_EQ(start(JOIN, ""), "File joining operation complete!");
    EXPECT_EQ(ReadFile(out + "\\" + name), ReadFile(source));
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + w.text(JOIN, IDC_OUTPUT_DIR) + w.text(JOIN, IDC_OUTPUT_NAME), "");

    // The set incomplete: while the refusal is open, a tick or more, the page
    // shows nothing of the join before (figures, percentage, a job to stop).
    DeleteFileA(part(source, 1, 12).c_str());
    w.type(JOIN, IDC_SOURCE, part(source, 4, 12));
    w.enter(JOIN, IDC_SOURCE);
    w.click(JOIN, IDC_START);
    HWND refusal = nullptr;
    ASSERT_TRUE(w.pump([&] { return (refusal = FindBox("Error:")) != nullptr; }));
    EXPECT_EQ(Text(GetDlgItem(refusal, BOX_TEXT)).rfind(TEXT_SEGMENTS_MISSING, 0), 0u);
    w.pump([] { return false; }, 1500ms);
    std::string panel;
    for (int id : { IDC_STATUS_FILE, IDC_STATUS_BYTES, IDC_PROGRESS, IDC_ELAPSED, IDC_REMAINING })
        panel += w.text(JOIN, id) + "|";
    EXPECT_EQ(panel + Text(w.main) +
                  (w.enabled(JOIN, IDC_CANCEL) || w.enabled(JOIN, IDC_PAUSE) ? " job" : ""),
              "|||||Morvane");
    Click(GetDlgItem(refusal, IDOK));
}

TEST_F(Scenario, TheOverwriteQuestionAnsweredNoYesOrYesToAll) {
    const std::string source = file("movie.avi", 3000);
    const Bytes old { 'o', 'l', 'd' }, bytes = ReadFile(source);
    for (int button : { IDNO, IDYES, IDC_YES_TO_ALL }) {
        DeleteFileA(part(source, 2, 3).c_str());
        for (unsigned k : { 0u, 1u }) WriteFile(part(source, k, 3), old);
        splitInto(source, "3");
        const bool done = button != IDNO, twice = button == IDYES; // Yes To All is asked once
        w.click(SPLIT, IDC_START);
        EXPECT_EQ(w.answer(OVERWRITE, button, IDC_OVERWRITE_TEXT), Question(part(source, 0, 3)));
        EXPECT_EQ(twice ? w.answer(OVERWRITE, button, IDC_OVERWRITE_TEXT) : "",
                  twice ? Question(part(source, 1, 3)) : "");
        EXPECT_EQ(done ? w.answer("Complete", IDOK) : "", done ? SPLIT_DONE : "");
        ASSERT_TRUE(idle(SPLIT)) << button;
        for (unsigned k = 0; k < 3; ++k)
            EXPECT_EQ(ReadFile(part(source, k, 3)),
                      done ? Bytes(&bytes[1000 * k], &bytes[1000 * k] + 1000) : (k < 2 ? old : Bytes()))
                << button << " segment " << k;
        EXPECT_EQ(w.text(SPLIT, IDC_SOURCE), done ? "" : source); // stopped by No: the inputs stay
        EXPECT_EQ(w.text(SPLIT, IDC_OUTCOME),
                  done ? "" : "Stopped: movie.avi.1_of_3 was not replaced; nothing was written.");
    }
}

// A 4 MiB split in two whose second file exists: the worker asks before it.
TEST_F(Scenario, PauseHoldsTheWorkerAndCancelAndCloseAskFirst) {
    const std::string source = file("movie.avi", 4 << 20), second = part(source, 1, 2);
    const Bytes bytes = ReadFile(source);
    WriteFile(second, { 'x' });
    const auto askedAtSecond = [&] {
        DeleteFileA(part(source, 0, 2).c_str());
        splitInto(source, "2");
        return startUntilAsked(SPLIT);
    };
    HWND question = askedAtSecond(); // closing and cancelling ask; No to each goes on unpaused
    PostMessageA(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(w.answer("Exit:", IDNO), "Are you sure you want to exit?");
    w.post(SPLIT, IDC_CANCEL);
    EXPECT_EQ(w.answer("Confirm Cancel:", IDNO), "Are you sure you want to cancel?");
    hold(SPLIT, question); // over more than a tick nothing moves, on disk or on the page
    EXPECT_FALSE(
        w.pump([&] { return FindBox("Complete") || w.text(SPLIT, IDC_STATUS_BYTES) != HELD; }, 1500ms));
    EXPECT_EQ(w.text(SPLIT, IDC_PROGRESS) + "|" + Text(w.main), "50.0%|50% - Morvane");
    EXPECT_EQ(w.text(SPLIT, IDC_ELAPSED).rfind("Time Elapsed: ", 0), 0u);
    EXPECT_EQ(w.text(SPLIT, IDC_REMAINING).rfind("Estimated Time Remaining: ", 0), 0u);
    EXPECT_EQ(FileSize(second + PARTIAL_SUFFIX), (2 << 20) - 1); // reserved aside, nothing copied
    EXPECT_EQ(FileSize(second), 1);
    w.click(SPLIT, IDC_PAUSE);
    EXPECT_EQ(w.answer("Complete", IDOK), SPLIT_DONE);
    ASSERT_TRUE(idle(SPLIT));
    EXPECT_EQ(ReadFile(second), Bytes(bytes.begin() + (2 << 20), bytes.end()));
    EXPECT_EQ(FileSize(second + PARTIAL_SUFFIX), -1); // renamed over the old file

    // A split and a join held at once, each page with its own figures. The
    // join cancelled (Yes) stops and keeps its inputs; the split stays held.
    hold(SPLIT, askedAtSecond());
    const std::string joined = temp.file("joined.bin"), first = heldJoin();
    EXPECT_TRUE(w.pump([&] { return w.text(JOIN, IDC_STATUS_BYTES) == "0 / 2,097,152 Bytes"; }));
    w.post(JOIN, IDC_CANCEL);
    EXPECT_EQ(w.answer("Confirm Cancel:", IDYES), "Are you sure you want to cancel?");
    ASSERT_TRUE(idle(JOIN));
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE), first);
    // The old output stays whole; the cancelled one only under its temporary name.
    EXPECT_EQ(FileSize(joined), 1);
    EXPECT_EQ(FileSize(joined + PARTIAL_SUFFIX), (2 << 20) - 1);
    EXPECT_EQ(w.text(JOIN, IDC_OUTCOME), "Cancelled: joined.bin.partial keeps what was written.");
    w.type(JOIN, IDC_OUTPUT_NAME, "other.bin"); // said until the next input
    EXPECT_EQ(w.text(JOIN, IDC_OUTCOME), "");
    EXPECT_EQ(w.text(SPLIT, IDC_STATUS_BYTES) + "|" + w.text(SPLIT, IDC_STATUS_FILE), HELD + "|Paused");

    // Esc at the exit question is no Yes: the window stays, the split held as it was.
    PostMessageA(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(w.answer("Exit:", IDCANCEL), "Are you sure you want to exit?");
    EXPECT_FALSE(w.pump([&] { return w.quitCode != -1; }, 1500ms));
    EXPECT_EQ(w.text(SPLIT, IDC_STATUS_FILE) + "|" + w.text(SPLIT, IDC_PAUSE), "Paused|Resume");

    // Closed while the split is held, Yes: it stops there and the loop ends with 0.
    PostMessageA(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(w.answer("Exit:", IDYES), "Are you sure you want to exit?");
    EXPECT_TRUE(w.pump([&] { return w.quitCode == 0; })); // the loop ends, with code 0
    EXPECT_EQ(FileSize(second), 2 << 20);                 // the earlier complete one, untouched
    EXPECT_EQ(FileSize(second + PARTIAL_SUFFIX), (2 << 20) - 1);
    EXPECT_EQ(taskbar.offTitle, std::vector<std::string>()); // two jobs: the button followed the title
}

TEST_F(Scenario, TheTaskbarButtonShowsTheTitlesPercentPauseAndAFailureUntilItIsDismissed) {
    const std::string source = file("movie.avi", 4 << 20); // held at 50% before its second file
    WriteFile(part(source, 1, 2), { 'x' });
    splitInto(source, "2");
    hold(SPLIT, startUntilAsked(SPLIT));
    EXPECT_EQ(Text(w.main), "50% - Morvane");
    EXPECT_EQ(taskbar.state, TaskbarState::Paused);
    EXPECT_EQ(taskbar.percent, 50u);
    w.click(SPLIT, IDC_PAUSE);
    EXPECT_EQ(w.answer("Complete", IDOK), SPLIT_DONE);
    ASSERT_TRUE(idle(SPLIT));
    EXPECT_EQ(taskbar.state, TaskbarState::None);

    // A join whose second member goes while the worker asks about the output:
    // its failure shows in red for as long as the message is open, ticks or not.
    const std::string first = file("joined.bin.1_of_2", 1 << 20), second = file("joined.bin.2_of_2", 1 << 20);
    file("joined.bin", 1);
    w.tab(JOIN);
    w.drop(JOIN, IDC_SOURCE, first);
    HWND question = startUntilAsked(JOIN), failure = nullptr;
    DeleteFileA(second.c_str());
    Click(GetDlgItem(question, IDYES));
    ASSERT_TRUE(w.pump([&] { return (failure = FindBox("Error:")) != nullptr; }));
    w.pump([] { return false; }, 1500ms);
    EXPECT_EQ(taskbar.state, TaskbarState::Error);
    Click(GetDlgItem(failure, IDOK));
    ASSERT_TRUE(idle(JOIN));
    EXPECT_EQ(taskbar.state, TaskbarState::None);
    EXPECT_EQ(taskbar.offTitle, std::vector<std::string>());
}

// The exit question names no job: each is asked on its job's page. Yes for
// one and No for the other, either way round, keeps the window, and both jobs
// as they were: the split asking about its second file goes on unheld, the
// join held by the user stays held behind "Resume"; the user's page is back.
TEST_F(Scenario, ClosingAsksOnEachJobsPageAndARefusedCloseLeavesBothJobsAsTheyWere) {
    const std::string source = file("movie.avi", 4 << 20);
    WriteFile(part(source, 1, 2), { 'x' });
    splitInto(source, "2");
    heldJoin();
    w.tab(SPLIT);
    HWND question = startUntilAsked(SPLIT);
    w.tab(HELP);
    const std::string ASKED = "Are you sure you want to exit? shown ";
    for (const auto& [split, join] : { std::pair { IDYES, IDNO }, std::pair { IDNO, IDYES } }) {
        auto answers = std::async(std::launch::async, [&, split = split, join = join] {
            std::string seen;
            for (int button : { split, join })
                seen +=
                    AnswerLater("Exit:", button, BOX_TEXT, "", [&] { return " shown " + w.shown(); }).get() +
                    "|";
            return seen;
        });
        PostMessageA(w.main, WM_CLOSE, 0, 0);
        const std::string asked = w.await(answers); // before the window is read: it pumps the close
        EXPECT_EQ(asked + std::to_string(w.quitCode) + " on " + w.shown() + ": " + w.text(SPLIT, IDC_PAUSE) +
                      "|" + w.text(JOIN, IDC_PAUSE),
                  ASKED + "0/0|" + ASKED + "1/1|-1 on 2/2: Pause|Resume");
    }
    Click(GetDlgItem(question, IDYES));
    EXPECT_EQ(w.answer("Complete", IDOK), SPLIT_DONE);
    EXPECT_EQ(w.text(JOIN, IDC_STATUS_FILE), "Paused");
}

// A worker's last box stays above the window, and closing while it is open
// ends it and the worker within seconds (a box left open would hold the close
// for ever: after 8 s it is answered here, too late).
TEST_F(Scenario, AWorkersBoxStaysInFrontAndClosingEndsItWithItsWorker) {
    splitInto(file("movie.avi", 3000), "3");
    w.click(SPLIT, IDC_START);
    HWND done = nullptr;
    ASSERT_TRUE(w.pump([&] { return (done = FindBox("Complete")) != nullptr; }));
    EXPECT_NE(GetWindowLongA(done, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    auto exit = AnswerLater("Exit:", IDYES);
    auto rescue = std::async(std::launch::async, [done] {
        const bool ended = WaitUntil([done] { return !IsWindowVisible(done); }, 8s);
        if (!ended) Click(GetDlgItem(done, IDOK));
        return ended;
    });
    const auto closing = Clock::now();
    PostMessageA(w.main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(w.pump([&] { return w.quitCode == 0; }));
    EXPECT_LT(Clock::now() - closing, 5s);
    EXPECT_TRUE(rescue.get()); // ended by the close, and the worker waited for
}

// Writes `bytes` at `path` (UTF-8) in the extended form, which takes any
// length: the tests' own file helpers stop at MAX_PATH bytes.
void WriteLongPath(const std::string& path, const Bytes& bytes) {
    const std::filesystem::path wide(std::u8string(path.begin(), path.end()));
    std::ofstream(std::filesystem::path(L"\\\\?\\" + wide.native()), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A source over 300 characters long is measured and split like any other, and
// the Browse... dialog gives back whole a path of fewer than MAX_PATH
// characters but more bytes in the program's code page, UTF-8 (Japanese: 3
// bytes each).
TEST_F(Scenario, ALongPathIsMeasuredAndSplitAndABrowsedUtf8NameComesBackWhole) {
    std::string deep = temp.path();
    for (char folder : { 'd', 'e' }) { // a name's most is 255
        deep += "\\" + std::string(120, folder);
        CreateDirectoryW((L"\\\\?\\" + std::wstring(deep.begin(), deep.end())).c_str(), nullptr);
    }
    const std::string source = deep + "\\a-source-file.bin";
    const Bytes bytes = PatternBytes(3000);
    WriteLongPath(source, bytes);
    splitInto(source, "3");
    ASSERT_EQ(w.text(SPLIT, IDC_SOURCE_SIZE) + "|" + w.text(SPLIT, IDC_SIZE_PER_FILE),
              "File size: 2.93 KB|1000 Bytes / File");
    EXPECT_EQ(start(SPLIT, "Complete"), SPLIT_DONE);
    EXPECT_EQ(ReadFile(part(source, 2, 3)), Bytes(&bytes[2000], &bytes[3000]));

    std::string name;
    for (int i = 0; i < 80; ++i) name += "\xE6\x97\xA5"; // 日: 240 bytes
    WriteLongPath(temp.file(name), bytes);
    w.post(SPLIT, IDC_BROWSE_SOURCE);
    EXPECT_NE(w.answer("Open", IDOK, 1148, temp.file(name)), "(no answer)");
    EXPECT_EQ(w.text(SPLIT, IDC_SOURCE), temp.file(name));
}

// A stopped job says in its panel what happened and what stayed on disk:
// cancelled, the file it was writing under its temporary name (the next free
// one: an older ".partial" is not this job's); No, the file left as it was.
TEST_F(Scenario, AStoppedSplitSaysWhatStayedOnDisk) {
    const std::string source = file("movie.avi", 4 << 20), second = part(source, 1, 2);
    WriteFile(second, { 'x' });
    WriteFile(second + PARTIAL_SUFFIX, { 'o', 'l', 'd' });
    splitInto(source, "2");
    hold(SPLIT, startUntilAsked(SPLIT));
    w.post(SPLIT, IDC_CANCEL);
    w.answer("Confirm Cancel:", IDYES);
    ASSERT_TRUE(idle(SPLIT));
    EXPECT_EQ(w.text(SPLIT, IDC_OUTCOME), "Cancelled: movie.avi.2_of_2.partial2 keeps what was written.");
    DeleteFileA(part(source, 0, 2).c_str());
    w.click(SPLIT, IDC_START);
    EXPECT_EQ(w.answer(OVERWRITE, IDNO, IDC_OVERWRITE_TEXT), Question(second));
    ASSERT_TRUE(idle(SPLIT));
    EXPECT_EQ(w.text(SPLIT, IDC_OUTCOME),
              "Stopped: movie.avi.2_of_2 was not replaced; the segments before it are complete.");
}

// Esc in any field keeps its page; Enter in a field of a working page other
// than the source presses the page's Split! or Join! (here: no source yet, or a
// split by count); Ctrl+Tab and Ctrl+PageDown, with Shift or PageUp back, walk
// round the three tabs.
TEST_F(Scenario, EscKeepsThePageEnterStartsAndCtrlTabOrCtrlPageDownWalkTheTabs) {
    const std::string NO_SOURCE = "Please enter an input file path.",
                      NO_SET = "Please enter an input split file path.";
    const struct {
        int page, field;
        std::string enter; // what Enter there leads to; nothing for the sources and the help text
    } fields[] = {
        // clang-format off
        { SPLIT, IDC_SOURCE, "" }, { SPLIT, IDC_OUTPUT_DIR, NO_SOURCE }, { SPLIT, IDC_CUSTOM_SIZE, NO_SOURCE },
        { SPLIT, IDC_FILE_COUNT, SPLIT_DONE }, { JOIN, IDC_SOURCE, "" }, { JOIN, IDC_OUTPUT_DIR, NO_SET },
        { JOIN, IDC_OUTPUT_NAME, NO_SET }, { HELP, IDC_TOPIC_TEXT, "" },
        // clang-format on
    };
    for (const auto& f : fields) {
        w.tab(f.page);
        if (f.field == IDC_FILE_COUNT) splitInto(file("movie.avi", 3000), "3");
        w.key(w.item(f.page, f.field), VK_ESCAPE);
        EXPECT_EQ(w.shown(), std::to_string(f.page) + "/" + std::to_string(f.page)) << f.field;
        if (f.enter.empty()) continue;
        auto box = AnswerLater(f.enter == SPLIT_DONE ? "Complete" : "Error:", IDOK);
        w.key(w.item(f.page, f.field), VK_RETURN);
        EXPECT_EQ(w.await(box), f.enter) << f.field;
    }
    w.tab(SPLIT);
    std::string walked; // Tab and PageDown (next), Shift+Tab and PageUp (back), all with Ctrl
    for (char key : std::string("tttTTnnp")) {
        w.key(GetFocus(), key == 'n' ? VK_NEXT : key == 'p' ? VK_PRIOR : VK_TAB, true, key == 'T');
        walked += w.shown() + " ";
    }
    EXPECT_EQ(walked, "1/1 2/2 0/0 2/2 1/1 2/2 0/0 2/2 ");
}

TEST_F(Scenario, HelpShowsTheSelectedTopicAndAboutItsPanel) {
    w.tab(HELP);
    HWND about = ChildWith(w.pages[HELP], IDC_EMBLEM), text = w.item(HELP, IDC_TOPIC_TEXT);
    for (int topic : { 2, 4, 0, 2, 1, 3 }) {
        w.pick(HELP, IDC_TOPICS, LB_SETCURSEL, topic);
        EXPECT_EQ(w.text(HELP, IDC_TOPIC_TEXT), HELP_TOPICS[topic].text) << topic;
        EXPECT_EQ(IsWindowVisible(about) != FALSE, topic == ABOUT_TOPIC) << topic;
        EXPECT_EQ(IsWindowVisible(text) != FALSE, topic != ABOUT_TOPIC) << topic;
    }
}

} // namespace

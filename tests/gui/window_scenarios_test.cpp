// The window program driven as a user drives it, observed only through its
// windows, the files on disk and the boxes it shows: the refusals of bad input,
// the live displays, real splits and joins with their questions, pause, cancel
// and close, the title and the taskbar button, and the Help page.
#include "core/checksum_listing.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "tests/gui/harness.h"
#include "tests/support/test_support.h"
#include "ui/help_page.h"
#include "ui/taskbar_progress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <utility>

namespace {

using namespace gui;
using Bytes = std::vector<unsigned char>;

const char* const OVERWRITE = "Overwrite Existing File:";
const char* const SPLIT_DONE = "File splitting operation successful!";
const char* const ASKED_EXIT = "Are you sure you want to exit?";

// What the main window's taskbar button was told last, recorded in place of
// ITaskbarList3: none of these windows talks to a real taskbar. Atomic: read
// by the thread that answers a box.
struct Taskbar final : TaskbarButton {
    static inline std::atomic<TaskbarState> state { TaskbarState::None };
    static inline std::atomic<unsigned> percent { 0 };
    void setState(TaskbarState value) override { state = value; }
    void setPercent(unsigned value) override { percent = value; }
};
const TaskbarButtonFactory shellTaskbarButton = std::exchange(
    createTaskbarButton, [](HWND) -> std::unique_ptr<TaskbarButton> { return std::make_unique<Taskbar>(); });

// Writes `size` bytes at `path` (UTF-8), in folders made as needed, in the
// extended form, which takes any length: the tests' own file helpers stop at
// MAX_PATH bytes.
void WriteLongPath(const std::string& path, std::size_t size) {
    const std::filesystem::path wide(L"\\\\?\\" +
                                     std::filesystem::path(std::u8string(path.begin(), path.end())).native());
    std::filesystem::create_directories(wide.parent_path());
    std::ofstream(wide, std::ios::binary) << std::string(size, 'x');
}

class Scenario : public ::testing::Test {
protected:
    TempDir temp;
    Window w;
    std::string out = temp.file("out");

    void SetUp() override {
        CreateDirectoryA(out.c_str(), nullptr);
        Taskbar::state = TaskbarState::None;
    }
    std::string file(const std::string& name, std::size_t size, std::uint32_t seed = 7) {
        WriteFile(temp.file(name), PatternBytes(size, seed));
        return temp.file(name);
    }
    std::string part(const std::string& source, unsigned k, unsigned n) {
        return ComposeSegmentPath(source, out, k, n);
    }
    // The Split page filled in: by number of files, or by a size in megabytes.
    void splitInto(const std::string& source, const char* count, int mode = IDC_MODE_COUNT) {
        w.type(SPLIT, IDC_SOURCE, source);
        w.type(SPLIT, IDC_OUTPUT_DIR, out);
        w.click(SPLIT, mode);
        w.type(SPLIT, mode == IDC_MODE_COUNT ? IDC_FILE_COUNT : IDC_CUSTOM_SIZE, count);
    }
    // Presses Start, or Enter in field `press`, and gives the text of the box
    // with `caption` that follows, answered OK, and what `observe` said while
    // it was open.
    std::string start(int page, const char* caption = "Error:", int press = IDC_START,
                      std::function<std::string()> observe = {}) {
        auto box = AnswerLater(caption, { IDOK }, BOX_TEXT, "", observe);
        press == IDC_START ? w.click(page, press) : w.key(w.item(page, press), VK_RETURN);
        const std::string text = w.await(std::move(box));
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
    // Pauses while the worker asks, then answers Yes: the worker holds before its next block.
    void hold(int page, HWND question) {
        w.click(page, IDC_PAUSE);
        Click(GetDlgItem(question, IDYES));
        ASSERT_TRUE(w.pump([&] { return w.text(page, IDC_STATUS_FILE) == "Paused"; }));
    }
};

// A row for each field of each page, and for the plan check after them (the
// checks themselves, shared with the command line, have their own tests).
// Enter in a one-line field of a working page presses its Split! or Join!.
TEST_F(Scenario, BadInputIsRefusedBeforeStartOrEnterAndASegmentAsSourceIsConfirmedAndClosingEndsTheLastBox) {
    const std::string ten = file("ten.bin", 10), one = file("movie.avi.1_of_2", 10);
    const int SIZE = IDC_CUSTOM_SIZE, COUNT = IDC_FILE_COUNT, NAME = IDC_OUTPUT_NAME, DIR = IDC_OUTPUT_DIR;
    // The field (the Split page's count or size in Megabytes, or the Join page's
    // name), where it is pressed (IDC_START, or the field Enter is pressed in),
    // the source, directory and field as typed, and the message.
    const std::tuple<int, int, std::string, std::string, std::string, std::string> cases[] = {
        { SIZE, DIR, "", out, "1", "Please enter an input file path." },
        { SIZE, IDC_START, ten, "", "1", "Please enter an output directory." },
        { COUNT, COUNT, ten, out, "4294967296", "Please enter a valid number of output files." },
        { SIZE, SIZE, ten, out, "1", "Specified output size does not require splitting." },
        { NAME, DIR, "", out, "x", "Please enter an input split file path." },
        { NAME, NAME, one, "", "x", "Please enter an output directory." },
        { NAME, IDC_START, one, out, "", "Please enter an output filename." },
    };
    for (const auto& [field, press, source, directory, value, text] : cases) {
        const int page = field == NAME ? JOIN : SPLIT;
        w.tab(page);
        if (page == SPLIT) w.click(SPLIT, field == COUNT ? IDC_MODE_COUNT : IDC_MODE_SIZE);
        w.type(page, IDC_SOURCE, source);
        w.type(page, IDC_OUTPUT_DIR, directory);
        w.type(page, field, value);
        EXPECT_EQ(start(page, "Error:", press), text) << "field " << field << ", Enter in " << press;
    }
    // A segment as source: Cancel stops; OK splits into the segments alone
    // (no checksum file unless asked for).
    splitInto(file("movie.avi.03_of_12", 100), "4");
    for (int button : { IDCANCEL, IDOK }) {
        EXPECT_TRUE(ListDirectory(out).empty());
        w.post(SPLIT, IDC_START);
        EXPECT_EQ(w.answer("Confirm Input Pathname:", button),
                  "It appears you have entered as input the pathname of an already-split file "
                  "segment.\r\nAre you sure you wish to continue?");
    }
    // The worker's last box stays above the window, and closing while it is
    // open ends it and the worker within seconds (a box left open would hold
    // the close for ever: after 8 s it is answered here, too late).
    HWND done = nullptr;
    ASSERT_TRUE(w.pump([&] { return (done = FindBox("Complete")) != nullptr; }));
    EXPECT_EQ(ListDirectory(out).size(), 4u);
    EXPECT_NE(GetWindowLongA(done, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    auto exit = AnswerLater("Exit:", { IDYES });
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

TEST_F(Scenario, TheSplitPageShowsSizesCountsAndSpaceAsTheInputsChange) {
    // A source in a folder beyond MAX_PATH is measured like any other (a name's most is 255).
    const std::string deep = temp.path() + "\\" + std::string(120, 'd') + "\\" + std::string(120, 'e');
    WriteLongPath(deep + "\\movie.avi", 1572864);
    w.type(SPLIT, IDC_SOURCE, deep + "\\movie.avi");
    w.type(SPLIT, IDC_OUTPUT_DIR, out);
    EXPECT_EQ(w.text(SPLIT, IDC_SOURCE_SIZE) + "|" + w.text(SPLIT, IDC_FREE_SPACE).substr(0, 22),
              "File size: 1.50 MB|Disk Space Available: ");
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

// The summary is worked out away from the window and posted to it: right
// after a keystroke it is not there yet, and once a newer keystroke has
// changed the field an older summary never shows.
TEST_F(Scenario, TheJoinPageSummarisesTheSetWithItsChecksumFileAndFillsTheOutputAsEachWayOfChoosingSays) {
    w.tab(JOIN);
    const std::string a = file("movie.avi.1_of_3", 1000), b = file("movie.avi.2_of_3", 1000);
    const std::string readme = file("README.1_of_2", 10), other = file("README.2_of_2", 10);
    file("movie.avi.3_of_3", 1000);
    const auto shown = [&] { // the summary once it has come
        w.pump([&] { return !w.text(JOIN, IDC_SUMMARY).empty(); }, 10s);
        return w.text(JOIN, IDC_SUMMARY) + "|" + w.text(JOIN, IDC_OUTPUT_DIR) + "|" +
               w.text(JOIN, IDC_OUTPUT_NAME);
    };
    w.type(JOIN, IDC_SOURCE, b); // typed: the summary only
    EXPECT_EQ(w.text(JOIN, IDC_SUMMARY), "");
    EXPECT_EQ(shown(), "3 files (2.93 KB)||");
    w.type(JOIN, IDC_SOURCE, a); // and at once a path of no set: a's summary, when it comes, is stale
    w.type(JOIN, IDC_SOURCE, a + ".old");
    w.pump([] { return false; }, 1s);
    EXPECT_EQ(w.text(JOIN, IDC_SUMMARY), "");
    w.type(JOIN, IDC_SOURCE, readme); // Enter: the directory, and the name when it has an extension
    w.key(w.item(JOIN, IDC_SOURCE), VK_RETURN);
    EXPECT_EQ(shown(), "2 files (20 Bytes)|" + temp.path() + "\\|");
    std::ofstream(temp.file("movie.avi.sha256")) << "no listing\n";
    w.type(JOIN, IDC_SOURCE, a);
    w.key(w.item(JOIN, IDC_SOURCE), VK_RETURN);
    EXPECT_EQ(shown(), "3 files (2.93 KB), checksum file unusable|" + temp.path() + "\\|movie.avi");
    std::ofstream(temp.file("README.sha256")) << ListingLine(std::string(64, '0'), "README.1_of_2")
                                              << ListingLine(std::string(64, '0'), "README.2_of_2");
    w.type(JOIN, IDC_OUTPUT_DIR, out); // a drop: both
    w.drop(JOIN, IDC_SOURCE, other);
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + "|" + shown(),
              other + "|2 files (20 Bytes), checked against README.sha256|" + temp.path() + "\\|README");
    // Browse...: neither; the path it gives back is whole though it has fewer
    // than MAX_PATH characters but more bytes in UTF-8 (Japanese: 3 bytes each).
    std::string name;
    for (int i = 0; i < 78; ++i) name += "\xE6\x97\xA5"; // 日
    for (const char* k : { ".1_of_2", ".2_of_2" }) WriteLongPath(temp.file(name + k), 10);
    w.type(JOIN, IDC_OUTPUT_DIR, out);
    w.post(JOIN, IDC_BROWSE_SOURCE);
    EXPECT_NE(w.answer("Open", IDOK, OPEN_FILE_NAME, temp.file(name + ".1_of_2")), "(no answer)");
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + "|" + shown(),
              temp.file(name + ".1_of_2") + "|2 files (20 Bytes)|" + out + "|README");
}

// With "Write a checksum file" ticked the split writes NAME.sha256 beside the
// segments, the Join page says it will check against it, and the join does.
TEST_F(Scenario, ASplitWithItsChecksumFileAndItsJoinThroughTheWindowGiveTheFileBack) {
    // "Ωμέγα café 日本 🎬.v2.mkv" in UTF-8, the program's code page.
    const std::string name = "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC "
                             "\xF0\x9F\x8E\xAC.v2.mkv";
    const std::string source = file(name, 1000003);
    splitInto(source, "12");
    w.click(SPLIT, IDC_WRITE_LISTING);
    EXPECT_EQ(start(SPLIT, "Complete"), SPLIT_DONE); // then emptied, and usable again in count mode
    EXPECT_EQ(Taskbar::state.load(), TaskbarState::None);
    for (int id : { IDC_SOURCE, IDC_SOURCE_SIZE, IDC_OUTPUT_DIR, IDC_FILE_COUNT, IDC_SIZE_PER_FILE })
        EXPECT_EQ(w.text(SPLIT, id) + (w.enabled(SPLIT, id) ? "" : " (disabled)"), "") << id;
    for (int id : { IDC_CUSTOM_SIZE, IDC_SIZE_UNIT, IDC_CANCEL, IDC_PAUSE })
        EXPECT_FALSE(w.enabled(SPLIT, id)) << id;
    // Joined back beside the segments, Enter filling the output from the path
    // typed: the text of the box with `caption` that follows, and what `seen`
    // says once it has been open a tick or more.
    const auto join = [&](const char* caption, const std::function<std::string()>& seen) {
        w.type(JOIN, IDC_SOURCE, part(source, 4, 12));
        w.key(w.item(JOIN, IDC_SOURCE), VK_RETURN);
        return start(JOIN, caption, IDC_START, [=] {
            std::this_thread::sleep_for(1500ms);
            return seen();
        });
    };
    w.tab(JOIN);
    EXPECT_EQ(join("", [] { return ""; }),
              "File joining operation complete!\r\n\r\nAll 12 segments match " + name + ".sha256.");
    EXPECT_EQ(ReadFile(out + "\\" + name), ReadFile(source));
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + w.text(JOIN, IDC_OUTPUT_DIR) + w.text(JOIN, IDC_OUTPUT_NAME), "");

    const auto red = [] { return Taskbar::state == TaskbarState::Error ? "|red" : "|not red"; };
    // A member damaged: the join stops at it, and while its box is open over
    // the job's display the taskbar button stays red.
    Bytes last = ReadFile(part(source, 11, 12));
    last[7] ^= 1;
    WriteFile(part(source, 11, 12), last);
    DeleteFileA((out + "\\" + name).c_str());
    EXPECT_EQ(join("Error:", red), "Segment 12 of 12 (" + name + ".12_of_12) does not match " + name +
                                       ".sha256: it is damaged or belongs to another file.|red");

    // The set incomplete: while the refusal is open, a tick or more, the page
    // shows nothing of the join before (figures, percentage, a job to stop),
    // and the taskbar button is red with a full bar.
    DeleteFileA(part(source, 1, 12).c_str());
    const auto page = [&] {
        std::string panel = "|";
        for (int id : { IDC_STATUS_FILE, IDC_STATUS_BYTES, IDC_PROGRESS, IDC_ELAPSED, IDC_REMAINING })
            panel += w.text(JOIN, id) + "|";
        const bool job = w.enabled(JOIN, IDC_CANCEL) || w.enabled(JOIN, IDC_PAUSE);
        return panel + Text(w.main) + (job ? " job" : "") + red() + " " + std::to_string(Taskbar::percent);
    };
    const std::string refusal = join("Error:", page);
    EXPECT_EQ(refusal.substr(refusal.find('|') + 1), "|||||Morvane|red 100");
    EXPECT_EQ(Taskbar::state.load(), TaskbarState::None);
}

// Segments 1 and 2 of a split into three are there from an earlier split.
// Each row answers the questions in turn, and a split that stops says what it
// left: nothing, or a mix of two. (Which segments an answer replaces is the
// engine's, and its own tests hold it.)
TEST_F(Scenario, TheOverwriteQuestionAnsweredNoEscYesOrYesToAll) {
    const std::string source = file("movie.avi", 3000);
    const std::string NOTHING = "Stopped: movie.avi.1_of_3 was not replaced; nothing was written.",
                      MIX = "Segment 1 is new; 2 of 3 is from an earlier split: joined, they would give back "
                            "neither file.";
    // The answers in turn, whether the split completes, the line the page shows after.
    const std::tuple<std::vector<int>, bool, std::string> rows[] = {
        { { IDNO }, false, NOTHING },     { { IDCANCEL }, false, NOTHING }, // Esc
        { { IDYES, IDNO }, false, MIX },  { { IDYES, IDYES }, true, "" },
        { { IDC_YES_TO_ALL }, true, "" }, // asked once
    };
    for (const auto& [answers, done, line] : rows) {
        DeleteFileA(part(source, 2, 3).c_str());
        for (unsigned k : { 0u, 1u }) WriteFile(part(source, k, 3), { 'o', 'l', 'd' });
        splitInto(source, "3");
        w.click(SPLIT, IDC_START);
        for (unsigned k = 0; k < answers.size(); ++k)
            EXPECT_EQ(w.answer(OVERWRITE, answers[k], IDC_OVERWRITE_TEXT),
                      "File:\r\n\r\n" + part(source, k, 3) + "\r\n\r\nalready exists.  Overwrite?");
        EXPECT_EQ(done ? w.answer("Complete", IDOK) : "", done ? SPLIT_DONE : "");
        ASSERT_TRUE(idle(SPLIT)) << answers[0];
        // Stopped, the inputs stay, and the page says what was left.
        EXPECT_EQ(w.text(SPLIT, IDC_SOURCE) + "|" + w.text(SPLIT, IDC_OUTCOME),
                  (done ? "" : source) + "|" + line);
    }
}

// A join of two 1 MiB members into joined.bin, which exists, held by the user
// while it asks about it. Beside it 2 MiB and a byte cut into 2 MiB pieces,
// the second there already: that worker asks before it, at 99.99995%.
TEST_F(Scenario, PauseHoldsAJobCancelAndCloseAskFirstOnEachJobsPageAndOnlyYesToEachCloses) {
    const std::string joined = temp.file("joined.bin"), first = file("joined.bin.1_of_2", 1 << 20, 2);
    file("joined.bin.2_of_2", 1 << 20, 3);
    WriteFile(joined, { 'x' });
    WriteFile(joined + PARTIAL_SUFFIX, { 'o', 'l', 'd' }); // an earlier job's: not this one's
    w.tab(JOIN);
    w.drop(JOIN, IDC_SOURCE, first); // the output: joined.bin beside the set
    hold(JOIN, startUntilAsked(JOIN));
    const std::string source = file("movie.avi", (2 << 20) + 1), second = part(source, 1, 2);
    WriteFile(second, { 'x' });
    w.tab(SPLIT);
    splitInto(source, "2", IDC_MODE_SIZE);
    HWND question = startUntilAsked(SPLIT); // cancelling asks; No goes on
    w.post(SPLIT, IDC_CANCEL);
    EXPECT_EQ(w.answer("Confirm Cancel:", IDNO), "Are you sure you want to cancel?");
    // Two jobs: the title and the taskbar button show the split's.
    EXPECT_TRUE(w.pump([&] { return Text(w.main) == "99% - Morvane" && Taskbar::percent == 99; }));
    // Closing asks on each job's page, the split's first. Yes for one and No
    // for the other, either way round, keeps the window and both jobs as they
    // were (the split goes on unheld, the join stays held), and the page the
    // user was on comes back. Esc is no Yes.
    w.tab(HELP);
    const int answers[][2] = { { IDYES, IDNO }, { IDNO, IDYES }, { IDYES, IDCANCEL } };
    for (const auto& [split, join] : answers) {
        auto seen = AnswerLater("Exit:", { split, join }, BOX_TEXT, "", [&] { return " on " + w.shown(); });
        PostMessageA(w.main, WM_CLOSE, 0, 0);
        const std::string asked = w.await(std::move(seen)); // before the window is read: it pumps the close
        EXPECT_EQ(asked + "|" + w.shown() + ": " + w.text(SPLIT, IDC_PAUSE) + "|" + w.text(JOIN, IDC_PAUSE),
                  std::string(ASKED_EXIT) + " on Split|" + ASKED_EXIT + " on Join|Help: Pause|Resume");
    }
    // The join cancelled (Yes) stops and keeps its inputs; the old output
    // stays whole, the cancelled one under the next free temporary name (the
    // engine's own tests hold what lies in it).
    w.post(JOIN, IDC_CANCEL);
    EXPECT_EQ(w.answer("Confirm Cancel:", IDYES), "Are you sure you want to cancel?");
    ASSERT_TRUE(idle(JOIN));
    EXPECT_EQ(ReadFile(joined), Bytes({ 'x' }));
    EXPECT_EQ(w.text(JOIN, IDC_SOURCE) + "|" + w.text(JOIN, IDC_OUTCOME),
              first + "|Cancelled: joined.bin.partial2 keeps what was written.");
    w.type(JOIN, IDC_OUTPUT_NAME, "other.bin"); // said until the next input
    EXPECT_EQ(w.text(JOIN, IDC_OUTCOME), "");

    // The split held: over more than a tick nothing moves, on disk or on the page.
    hold(SPLIT, question);
    EXPECT_FALSE(
        w.pump([&] { return w.text(SPLIT, IDC_STATUS_BYTES) != "2,097,152 / 2,097,153 Bytes"; }, 1500ms));
    // The bar rounds; the title and the taskbar button never say 100 before the end.
    EXPECT_EQ(w.text(SPLIT, IDC_PROGRESS) + "|" + Text(w.main), "100.0%|99% - Morvane");
    EXPECT_TRUE(Taskbar::state == TaskbarState::Paused && Taskbar::percent == 99) << Taskbar::percent;
    EXPECT_EQ(w.text(SPLIT, IDC_ELAPSED).substr(0, 14) + "|" + w.text(SPLIT, IDC_REMAINING).substr(0, 26),
              "Time Elapsed: |Estimated Time Remaining: ");
    EXPECT_FALSE(w.enabled(SPLIT, IDC_WRITE_LISTING));
    // Closed while held, Yes: it stops there and the loop ends with 0.
    PostMessageA(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(w.answer("Exit:", IDYES), ASKED_EXIT);
    EXPECT_TRUE(w.pump([&] { return w.quitCode == 0; }));
    // The new one reserved aside, nothing copied (the old one, untouched, is
    // replaced only by renaming it).
    EXPECT_EQ(FileSize(second + PARTIAL_SUFFIX), 0);
}

// Esc in any field keeps its page; Ctrl+Tab and Ctrl+PageDown, with Shift or
// PageUp back, walk round the three tabs; Help shows the topic picked, the
// About panel in place of the text.
TEST_F(Scenario, EscKeepsThePageCtrlTabOrCtrlPageDownWalkTheTabsAndHelpShowsTheSelectedTopic) {
    for (int page : { SPLIT, JOIN, HELP })
        for (HWND field = nullptr; (field = FindWindowExA(w.pages[page], field, "Edit", nullptr));) {
            w.tab(page);
            w.key(field, VK_ESCAPE);
            EXPECT_EQ(w.shown(), PAGE_NAMES[page]) << GetDlgCtrlID(field);
        }
    w.tab(SPLIT); // all with Ctrl, round the ends both ways: the key, with Shift, the page it lands on
    const std::tuple<UINT, bool, std::string> walk[] = {
        { VK_TAB, true, "Help" },     { VK_TAB, false, "Split" },  { VK_NEXT, false, "Join" },
        { VK_PRIOR, false, "Split" }, { VK_PRIOR, false, "Help" }, { VK_NEXT, false, "Split" },
    };
    for (const auto& [key, shift, lands] : walk) {
        w.key(GetFocus(), key, true, shift);
        EXPECT_EQ(w.shown(), lands) << key << (shift ? " with Shift" : "");
    }
    w.tab(HELP);
    const std::string starts[] = { "To split a file among", "To rejoin the original file", "",
                                   "Version 1.0:", "END-USER LICENSE AGREEMENT" };
    for (int topic : { ABOUT_TOPIC, 4, 0, ABOUT_TOPIC, 1, 3 }) {
        w.pick(HELP, IDC_TOPICS, LB_SETCURSEL, topic);
        EXPECT_EQ(w.text(HELP, IDC_TOPIC_TEXT).substr(0, starts[topic].size()), starts[topic]) << topic;
        EXPECT_EQ(std::string(IsWindowVisible(ChildWith(w.pages[HELP], IDC_EMBLEM)) ? "About panel" : "") +
                      (IsWindowVisible(w.item(HELP, IDC_TOPIC_TEXT)) ? "text" : ""),
                  topic == ABOUT_TOPIC ? "About panel" : "text");
    }
}

} // namespace

// A split and a join at the same time: each page follows its own job, and
// closing the window asks about both, split first.
#include "core/segment_name.h"
#include "join/join_page.h"
#include "res/resource.h"
#include "split/split_page.h"
#include "tests/gui/window_harness.h"
#include "tests/support/test_support.h"
#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
constexpr int S = SPLIT_PAGE;
constexpr int J = JOIN_PAGE;

// Answers the boxes with this caption one after the other, pressing the given
// buttons in order; gives their texts.
std::future<std::vector<std::string>> AnswerInTurn(const std::string& caption, std::vector<int> buttons) {
    return std::async(std::launch::async, [=] {
        std::vector<std::string> texts;
        for (int button : buttons) {
            HWND box = gui::WaitForWindow(caption);
            if (!box) break;
            texts.push_back(gui::ItemText(box, gui::MESSAGE_BOX_TEXT_ID));
            gui::Click(box, button);
            WaitUntil([box] { return !IsWindow(box); });
        }
        return texts;
    });
}

class BothJobs : public ::testing::Test {
protected:
    TempDir temp;
    MainWindowHarness harness { "" };
    std::string splitSource = temp.file("split-me.bin");
    std::string out = temp.file("out");
    std::string joinOutput = temp.file("joined.bin");

    void SetUp() override { fs::create_directory(out); }

    // Starts a job whose worker asks the overwrite question first; pauses it
    // from the page while the question is open, then answers Yes, so that the
    // worker holds before its next block.
    void StartHeld(int page) {
        harness.click(page, IDC_START);
        HWND question = nullptr;
        ASSERT_TRUE(
            harness.pumpUntil([&] { return (question = gui::FindOwnWindow("Overwrite Existing File:")); }));
        harness.click(page, IDC_PAUSE);
        gui::Click(question, IDYES);
        ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(page, IDC_STATUS_FILE) == "Paused"; }));
    }

    // A split of 4 MiB in two, held before the second segment, and a join of
    // 2 x 1 MiB, held before its first block.
    void StartBoth() {
        WriteFile(splitSource, PatternBytes(4 << 20, 1));
        harness.type(S, IDC_SOURCE, splitSource);
        harness.type(S, IDC_OUTPUT_DIR, out);
        harness.click(S, IDC_MODE_COUNT);
        harness.type(S, IDC_FILE_COUNT, "2");
        WriteFile(ComposeSegmentPath(splitSource, out, 1, 2), { 'x' });
        StartHeld(S);

        WriteFile(temp.file("movie.avi.1_of_2"), PatternBytes(1 << 20, 2));
        WriteFile(temp.file("movie.avi.2_of_2"), PatternBytes(1 << 20, 3));
        WriteFile(joinOutput, { 'x' });
        harness.selectTab(J);
        harness.type(J, IDC_SOURCE, temp.file("movie.avi.1_of_2"));
        harness.type(J, IDC_OUTPUT_DIR, temp.path());
        harness.type(J, IDC_OUTPUT_NAME, "joined.bin");
        StartHeld(J);
    }

    // Pumps until the quit message; gives its exit code, or -1.
    int PumpUntilQuit() {
        MSG message {};
        int code = -1;
        harness.pumpUntil([&] {
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    code = static_cast<int>(message.wParam);
                    return true;
                }
                if (!IsDialogMessageA(harness.window(), &message)) DispatchMessageA(&message);
            }
            return false;
        });
        return code;
    }
};

TEST_F(BothJobs, EachPageFollowsItsOwnJob) {
    StartBoth();
    // One more tick each, so that both panels show their job's own figures.
    ASSERT_TRUE(harness.pumpUntil([&] {
        return harness.text(S, IDC_STATUS_BYTES) == "2,097,152 / 4,194,304 Bytes" &&
               harness.text(J, IDC_STATUS_BYTES) == "0 / 2,097,152 Bytes";
    }));
    EXPECT_EQ(harness.text(S, IDC_PROGRESS), "50.0%");
    EXPECT_EQ(harness.text(J, IDC_PROGRESS), "0.0%");

    // Both resume and complete, each with its own message and restore.
    auto splitDone = AnswerLater("Complete", IDOK);
    auto joinDone = AnswerLater("", IDOK);
    harness.click(J, IDC_PAUSE);
    harness.click(S, IDC_PAUSE);
    EXPECT_EQ(Await(splitDone, harness), "File splitting operation successful!");
    EXPECT_EQ(Await(joinDone, harness), "File joining operation complete!");
    ASSERT_TRUE(harness.pumpUntil([&] {
        return IsWindowEnabled(harness.item(S, IDC_START)) && IsWindowEnabled(harness.item(J, IDC_START));
    }));
    EXPECT_EQ(harness.title(), "Morvane");
    auto joined = PatternBytes(1 << 20, 2);
    const auto second = PatternBytes(1 << 20, 3);
    joined.insert(joined.end(), second.begin(), second.end());
    EXPECT_EQ(ReadFile(joinOutput), joined);
    EXPECT_EQ(FileSize(ComposeSegmentPath(splitSource, out, 1, 2)), 2 << 20);
}

TEST_F(BothJobs, YesForTheSplitNoForTheJoinClosesNothing) {
    StartBoth();
    harness.click(S, IDC_PAUSE); // the split runs again; it holds only while it is asked about
    auto answers = AnswerInTurn("Exit:", { IDYES, IDNO });
    PostMessageA(harness.window(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(harness.pumpUntil(
        [&] { return answers.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }));
    EXPECT_EQ(answers.get(), (std::vector<std::string> { "Are you sure you want to exit?",
                                                         "Are you sure you want to exit?" }));
    EXPECT_TRUE(IsWindowVisible(harness.window()));
    // The split stays held after its Yes, though its button reads "Pause"; the
    // join keeps the pause it had.
    EXPECT_EQ(splitPageState().control.paused, 1);
    EXPECT_EQ(harness.text(S, IDC_PAUSE), "Pause");
    EXPECT_EQ(joinPageState().control.paused, 1);
    EXPECT_EQ(harness.text(J, IDC_PAUSE), "Resume");
    ASSERT_TRUE(harness.pumpUntil([&] { return harness.text(S, IDC_STATUS_FILE) == "Paused"; }));

    // One click on the split's button resumes it.
    auto splitDone = AnswerLater("Complete", IDOK);
    harness.click(S, IDC_PAUSE);
    EXPECT_EQ(Await(splitDone, harness), "File splitting operation successful!");

    // Now only the join runs: one question, Yes, and the window closes with 0.
    auto last = AnswerInTurn("Exit:", { IDYES });
    ASSERT_TRUE(harness.pumpUntil([&] {
        return splitPageState().progress.finished == 0 && IsWindowEnabled(harness.item(S, IDC_START));
    }));
    PostMessageA(harness.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(PumpUntilQuit(), 0);
    EXPECT_EQ(last.get().size(), 1u);
    EXPECT_EQ(joinPageState().worker, nullptr);
    EXPECT_EQ(joinPageState().progress.finished, 0);
}

TEST_F(BothJobs, YesToBothStopsBothWorkersAndEndsWithCodeZero) {
    StartBoth();
    auto answers = AnswerInTurn("Exit:", { IDYES, IDYES });
    PostMessageA(harness.window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(PumpUntilQuit(), 0);
    EXPECT_EQ(answers.get().size(), 2u);
    EXPECT_EQ(splitPageState().worker, nullptr);
    EXPECT_EQ(joinPageState().worker, nullptr);
    EXPECT_EQ(splitPageState().progress.finished, 0);
    EXPECT_EQ(joinPageState().progress.finished, 0);
    // What was written stays: the split's second segment and the join's output, reserved.
    EXPECT_EQ(FileSize(ComposeSegmentPath(splitSource, out, 1, 2)), (2 << 20) - 1);
    EXPECT_EQ(FileSize(joinOutput), (2 << 20) - 1);
}

} // namespace

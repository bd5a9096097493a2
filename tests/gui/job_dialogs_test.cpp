// The window program's side of the job protocol, on real windows: the
// overwrite question (dialog 102), the worker's message boxes, and the page
// operations that relabel, ask and close.
#include "res/resource.h"
#include "tests/gui/gui_driver.h"
#include "tests/support/test_support.h"
#include "ui/job_dialogs.h"
#include "ui/text_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Asks the overwrite question on a thread of its own, as a worker does.
std::future<int> AskOverwriteAsync(const std::string& path) {
    return std::async(std::launch::async, [path] { return promptOverwrite(path); });
}

TEST(OverwriteQuestion, EachButtonGivesItsAnswer) {
    const struct {
        int button;
        int answer;
    } cases[] = { { IDYES, ANSWER_YES }, { IDC_YES_TO_ALL, ANSWER_YES_TO_ALL }, { IDNO, ANSWER_NO } };
    for (const auto& c : cases) {
        auto answer = AskOverwriteAsync("C:\\out\\movie.avi.03_of_12");
        const std::string text = gui::Answer("Overwrite Existing File:", c.button, IDC_OVERWRITE_TEXT);
        EXPECT_EQ(text, "File:\r\n\r\nC:\\out\\movie.avi.03_of_12\r\n\r\nalready exists.  Overwrite?");
        ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(answer.get(), c.answer);
    }
}

TEST(OverwriteQuestion, EnterAnswersYesAndEscapeAnswersNo) {
    const struct {
        WPARAM key;
        int answer;
    } cases[] = { { VK_RETURN, ANSWER_YES }, { VK_ESCAPE, ANSWER_NO } };
    for (const auto& c : cases) {
        auto answer = AskOverwriteAsync("C:\\x.1_of_2");
        HWND dialog = gui::WaitForWindow("Overwrite Existing File:");
        ASSERT_NE(dialog, nullptr);
        // The key goes to the control that has the focus, as typing would.
        HWND focused = GetDlgItem(dialog, IDYES);
        PostMessageA(focused, WM_KEYDOWN, c.key, 0);
        PostMessageA(focused, WM_KEYUP, c.key, 0);
        ASSERT_EQ(answer.wait_for(10s), std::future_status::ready);
        EXPECT_EQ(answer.get(), c.answer);
    }
}

TEST(OverwriteQuestion, ALongPathIsShownWhole) {
    std::string path = "C:\\";
    for (int i = 0; i < 30; ++i) path += "a directory with a long name\\";
    path += "movie 100% done.avi.01_of_12";
    auto answer = AskOverwriteAsync(path);
    const std::string text = gui::Answer("Overwrite Existing File:", IDNO, IDC_OVERWRITE_TEXT);
    EXPECT_EQ(text, "File:\r\n\r\n" + path + "\r\n\r\nalready exists.  Overwrite?");
    EXPECT_EQ(answer.get(), ANSWER_NO);
}

TEST(WindowPrompt, ShowsAMessageBoxWithItsTextAndCaption) {
    WindowPrompt prompt;
    auto shown = std::async(std::launch::async, [&] {
        return prompt.showMessage("Failed to create output file: C:\\x\\y.1_of_2.", "Error:", BOX_TASKMODAL);
    });
    EXPECT_EQ(gui::Answer("Error:", IDOK), "Failed to create output file: C:\\x\\y.1_of_2.");
    EXPECT_EQ(shown.get(), IDOK);
}

TEST(FormattedWindowText, MessageBoxesAndItemsGetTheWholeText) {
    const std::string longPath = "C:\\" + std::string(5000, 'x') + "\\100% done.avi";
    auto shown = std::async(std::launch::async, [&] {
        return messageBoxFormat(nullptr, "Error:", MB_OK | MB_TASKMODAL, "Failed to create output file: %s.",
                                longPath.c_str());
    });
    EXPECT_EQ(gui::Answer("Error:", IDOK), "Failed to create output file: " + longPath + ".");
    EXPECT_EQ(shown.get(), IDOK);

    HWND edit = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 50, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
    EXPECT_EQ(setWindowTextFormat(edit, "%s / %s Bytes", "1,000,000", "2,500,000"), 27);
    EXPECT_EQ(gui::Text(edit), "1,000,000 / 2,500,000 Bytes");
    const int length = setWindowTextFormat(edit, "[%s]", longPath.c_str());
    EXPECT_EQ(length, static_cast<int>(longPath.size()) + 2);
    EXPECT_EQ(gui::Text(edit), "[" + longPath + "]");
    DestroyWindow(edit);
}

// A top-level window with a "Pause" button 1029, standing in for a page.
struct FakePage {
    HWND window = nullptr;
    FakePage() {
        window = CreateWindowExA(0, "STATIC", "page", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        CreateWindowExA(0, "BUTTON", "Pause", WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PAUSE)), GetModuleHandleA(nullptr),
                        nullptr);
    }
    ~FakePage() { DestroyWindow(window); }
};

TEST(PageOperations, TogglePauseRelabelsThePauseButton) {
    FakePage page;
    JobControl control;
    TogglePause(page.window, control);
    EXPECT_EQ(control.paused, 1);
    EXPECT_EQ(gui::ItemText(page.window, IDC_PAUSE), "Resume");
    TogglePause(page.window, control);
    EXPECT_EQ(control.paused, 0);
    EXPECT_EQ(gui::ItemText(page.window, IDC_PAUSE), "Pause");
}

TEST(PageOperations, ConfirmCancelAsksInAMessageBoxWithNoOwner) {
    const struct {
        int button;
        int cancelled;
    } cases[] = { { IDYES, 1 }, { IDNO, 0 } };
    for (const auto& c : cases) {
        JobControl control;
        std::string text;
        HWND owner = reinterpret_cast<HWND>(1);
        std::thread user([&] {
            HWND box = gui::WaitForWindow("Confirm Cancel:");
            if (!box) return;
            owner = GetWindow(box, GW_OWNER);
            text = gui::ItemText(box, gui::MESSAGE_BOX_TEXT_ID);
            gui::Click(box, c.button);
        });
        ConfirmCancel(control);
        user.join();
        EXPECT_EQ(text, "Are you sure you want to cancel?");
        EXPECT_EQ(owner, nullptr);
        EXPECT_EQ(control.cancelled, c.cancelled);
        EXPECT_EQ(control.paused, 0);
    }
}

DWORD WINAPI WaitForEvent(LPVOID event) { return WaitForSingleObject(static_cast<HANDLE>(event), INFINITE); }

TEST(PageOperations, ConfirmExitAsksOnlyWhileTheWorkerRuns) {
    JobControl control;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE worker = CreateThread(nullptr, 0, WaitForEvent, release, 0, nullptr);
    ASSERT_NE(worker, nullptr);

    std::string text;
    std::thread user([&] { text = gui::Answer("Exit:", IDNO); });
    EXPECT_FALSE(ConfirmExit(control, worker));
    user.join();
    EXPECT_EQ(text, "Are you sure you want to exit?");
    EXPECT_EQ(control.paused, 0);

    SetEvent(release);
    WaitForSingleObject(worker, INFINITE);
    EXPECT_TRUE(ConfirmExit(control, worker));  // ended: nothing is asked
    EXPECT_TRUE(ConfirmExit(control, nullptr)); // never started
    CloseHandle(worker);
    CloseHandle(release);
}

struct LoopArgs {
    JobControl* control;
    JobProgress* progress;
    std::atomic<bool>* sawCancel;
};

DWORD WINAPI HeldLoop(LPVOID parameter) {
    auto* args = static_cast<LoopArgs*>(parameter);
    Stopwatch stopwatch;
    stopwatch.TakeMark();
    for (;;) {
        HoldWhilePaused(*args->control, *args->progress, stopwatch);
        if (CancelRequested(*args->control)) {
            *args->sawCancel = true;
            return 0;
        }
        Sleep(1);
        AddBlock(*args->progress, 1, stopwatch);
    }
}

TEST(PageOperations, StopWorkerStopsTheJobWaitsAndEndsThePage) {
    FakePage page;
    JobControl control;
    JobProgress progress;
    std::atomic<bool> sawCancel { false };
    LoopArgs args { &control, &progress, &sawCancel };
    control.paused = 1; // held, as after a Yes to the exit question
    HANDLE worker = CreateThread(nullptr, 0, HeldLoop, &args, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    ASSERT_NE(SetTimer(page.window, STATUS_TIMER_ID, STATUS_TIMER_INTERVAL_MS, nullptr), 0u);

    StopWorker(page.window, control, worker);
    EXPECT_TRUE(sawCancel);
    EXPECT_EQ(worker, nullptr);
    EXPECT_EQ(control.cancelled, 1);
    EXPECT_EQ(control.paused, 0);
    EXPECT_FALSE(KillTimer(page.window, STATUS_TIMER_ID)); // already stopped
}

} // namespace

// The job control block: what each side's operations do to the flags and
// counters, and how a worker loop behaves under pause, resume and cancel.
#include "core/job_control.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace {

using namespace std::chrono_literals;

// A worker loop as the engines run it, with a short sleep standing in for the
// copy of one block.
struct LoopWorker {
    JobControl& control;
    JobProgress& progress;
    std::atomic<bool> ended { false };
    std::atomic<bool> sawCancel { false };
    std::atomic<double> heldCpuSeconds { 0.0 };
    std::thread thread;

    LoopWorker(JobControl& c, JobProgress& p, int blocks) : control(c), progress(p) {
        thread = std::thread([this, blocks] { run(blocks); });
    }
    ~LoopWorker() {
        if (thread.joinable()) thread.join();
    }

    static double threadCpuSeconds() {
        timespec ts {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
    }

    void run(int blocks) {
        BeginJob(progress, static_cast<std::uint64_t>(blocks) * 100, 1);
        Stopwatch stopwatch;
        stopwatch.TakeMark();
        for (int i = 0; i < blocks; ++i) {
            const double cpuBefore = threadCpuSeconds();
            HoldWhilePaused(control, progress, stopwatch);
            heldCpuSeconds = heldCpuSeconds + (threadCpuSeconds() - cpuBefore);
            if (CancelRequested(control)) {
                sawCancel = true;
                break;
            }
            std::this_thread::sleep_for(1ms);
            AddBlock(progress, 100, stopwatch);
        }
        ended = true;
    }
};

TEST(JobControl, PauseHoldsWithoutSpinningAndResumeGoesOn) {
    JobControl control;
    JobProgress progress;
    LoopWorker worker(control, progress, 100000);
    ASSERT_TRUE(WaitUntil([&] { return ReadSnapshot(progress).bytesDone >= 300; }));

    std::vector<bool> labels;
    TogglePause(control, [&](bool paused) { labels.push_back(paused); });
    const ProgressSnapshot held = WaitUntilStill(progress);
    std::this_thread::sleep_for(300ms);
    const ProgressSnapshot later = ReadSnapshot(progress);
    EXPECT_EQ(later.bytesDone, held.bytesDone);
    EXPECT_EQ(later.elapsedSeconds, held.elapsedSeconds); // held time is not working time
    EXPECT_EQ(later.currentFile, held.currentFile);

    TogglePause(control, [&](bool paused) { labels.push_back(paused); });
    EXPECT_TRUE(WaitUntil([&] { return ReadSnapshot(progress).bytesDone > held.bytesDone + 300; }));
    EXPECT_EQ(labels, (std::vector<bool> { true, false }));

    RequestStop(control);
    ASSERT_TRUE(WaitUntil([&] { return worker.ended.load(); }));
    EXPECT_TRUE(worker.sawCancel);
    // Held for well over 300 ms; a spinning hold would have burnt about as much CPU.
    EXPECT_LT(worker.heldCpuSeconds.load(), 0.15);
}

TEST(JobControl, StopWakesAHeldWorkerWhichThenSeesTheCancel) {
    JobControl control;
    JobProgress progress;
    LoopWorker worker(control, progress, 100000);
    TogglePause(control, nullptr);
    WaitUntilStill(progress);
    EXPECT_FALSE(worker.ended);
    RequestStop(control);
    ASSERT_TRUE(WaitUntil([&] { return worker.ended.load(); }));
    EXPECT_TRUE(worker.sawCancel);
    EXPECT_EQ(control.paused, 0);
    EXPECT_EQ(control.cancelled, 1);
}

TEST(JobControl, ResetForJobAndBeginJobStartEveryJobClean) {
    JobControl control;
    JobProgress progress;
    control.paused = 1;
    control.cancelled = 1;
    control.overwriteAll = 1;
    progress.bytesDone = 77;
    progress.currentFile = 5;
    progress.elapsedSeconds = 9.5;
    BeginJob(progress, 1000, 4);
    ResetForJob(control);
    EXPECT_EQ(control.paused, 0);
    EXPECT_EQ(control.cancelled, 0);
    EXPECT_EQ(control.overwriteAll, 0);
    const ProgressSnapshot s = ReadSnapshot(progress);
    EXPECT_EQ(s.totalBytes, 1000u);
    EXPECT_EQ(s.totalFiles, 4u);
    EXPECT_EQ(s.bytesDone, 0u);
    EXPECT_EQ(s.currentFile, 0u);
    EXPECT_EQ(s.elapsedSeconds, 0.0);
}

// Answers the question and records what the flags and locks looked like while
// it was open.
struct QuestionProbe {
    JobControl& control;
    ScriptedPrompt prompt;
    int pausedWhileOpen = -1;
    bool locksFreeWhileOpen = false;

    explicit QuestionProbe(JobControl& c, int answer) : control(c) {
        prompt.queueMessageAnswer(answer);
        prompt.setOnMessage([this](const ScriptedPrompt::Message&) {
            const bool cancelFree = control.cancelMutex.try_lock();
            if (cancelFree) control.cancelMutex.unlock();
            const bool pauseFree = control.pauseMutex.try_lock();
            if (pauseFree) {
                pausedWhileOpen = control.paused;
                control.pauseMutex.unlock();
            }
            locksFreeWhileOpen = cancelFree && pauseFree;
        });
    }
};

TEST(JobControl, ConfirmCancelHoldsWhileAskingAndRestoresOnNo) {
    const struct {
        int pausedBefore;
        int answer;
        int pausedAfter;
        int cancelledAfter;
    } cases[] = {
        { 0, ANSWER_YES, 0, 1 },
        { 1, ANSWER_YES, 0, 1 }, // a held worker is woken to see the cancel
        { 0, ANSWER_NO, 0, 0 },
        { 1, ANSWER_NO, 1, 0 }, // held by the Pause button: stays held
    };
    for (const auto& c : cases) {
        JobControl control;
        control.paused = c.pausedBefore;
        QuestionProbe probe(control, c.answer);
        ConfirmCancel(control, probe.prompt);
        const auto messages = probe.prompt.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, "Are you sure you want to cancel?");
        EXPECT_EQ(messages[0].caption, "Confirm Cancel:");
        EXPECT_EQ(messages[0].flags, BOX_YESNO);
        EXPECT_EQ(probe.pausedWhileOpen, 1);
        EXPECT_TRUE(probe.locksFreeWhileOpen);
        EXPECT_EQ(control.paused, c.pausedAfter);
        EXPECT_EQ(control.cancelled, c.cancelledAfter);
    }
}

TEST(JobControl, ConfirmExitAsksOnlyWhileAWorkerRuns) {
    const struct {
        bool running;
        int pausedBefore;
        int answer;
        bool mayClose;
        int pausedAfter;
        bool asked;
    } cases[] = {
        { false, 0, ANSWER_NO, true, 0, false }, { false, 1, ANSWER_NO, true, 1, false },
        { true, 0, ANSWER_YES, true, 1, true }, // held until StopWorker clears it
        { true, 0, ANSWER_NO, false, 0, true },  { true, 1, ANSWER_NO, false, 1, true },
        { true, 1, ANSWER_YES, true, 1, true },
    };
    for (const auto& c : cases) {
        JobControl control;
        control.paused = c.pausedBefore;
        QuestionProbe probe(control, c.answer);
        EXPECT_EQ(ConfirmExit(control, c.running, probe.prompt), c.mayClose);
        const auto messages = probe.prompt.messages();
        ASSERT_EQ(messages.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(messages[0].text, "Are you sure you want to exit?");
            EXPECT_EQ(messages[0].caption, "Exit:");
            EXPECT_EQ(messages[0].flags, BOX_YESNO);
            EXPECT_EQ(probe.pausedWhileOpen, 1);
            EXPECT_TRUE(probe.locksFreeWhileOpen);
        }
        EXPECT_EQ(control.paused, c.pausedAfter);
        EXPECT_EQ(control.cancelled, 0);
    }
}

TEST(JobControl, TakeFinishedClearsTheInputsOnceUnderTheLock) {
    JobProgress progress;
    int clears = 0;
    bool lockHeld = false;
    auto clear = [&] {
        ++clears;
        lockHeld = !progress.mutex.try_lock();
        if (!lockHeld) progress.mutex.unlock();
    };
    EXPECT_FALSE(TakeFinished(progress, clear));
    MarkFinished(progress);
    EXPECT_TRUE(TakeFinished(progress, clear));
    EXPECT_FALSE(TakeFinished(progress, clear));
    EXPECT_EQ(clears, 1);
    EXPECT_TRUE(lockHeld);
    EXPECT_EQ(progress.finished, 0);
}

TEST(Stopwatch, SecondsAreCounterTicksOverTheFrequency) {
    Stopwatch stopwatch;
    stopwatch.mark = 1000;
    stopwatch.now = 1000 + 3 * platform::counterFrequency();
    EXPECT_DOUBLE_EQ(stopwatch.SecondsSinceMark(), 3.0);
    EXPECT_EQ(stopwatch.frequency, platform::counterFrequency());
    stopwatch.now = 1000 - platform::counterFrequency() / 2;
    EXPECT_DOUBLE_EQ(stopwatch.SecondsSinceMark(), -0.5);

    JobProgress progress;
    stopwatch.mark = 0;
    stopwatch.now = 2 * platform::counterFrequency();
    AddTimeAndMarkFinished(progress, stopwatch); // reads the counter anew: time only grows
    EXPECT_GT(progress.elapsedSeconds, 0.0);
    EXPECT_EQ(progress.finished, 1);
}

} // namespace

// Job control block: see job_control.h.
#include "core/job_control.h"

#include "platform/platform.h"

void Stopwatch::TakeMark() { mark = platform::counterNow(); }

void Stopwatch::ReadNow() { now = platform::counterNow(); }

double Stopwatch::SecondsSinceMark() {
    frequency = platform::counterFrequency();
    const std::int64_t ticks = now - mark;
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

void ClearFinished(JobProgress& progress) { progress.finished = false; }

void BeginJob(JobProgress& progress, std::uint64_t totalBytes, std::uint32_t totalFiles) {
    std::lock_guard lock(progress.mutex);
    progress.totalBytes = totalBytes;
    progress.totalFiles = totalFiles;
    progress.bytesDone = 0;
    progress.currentFile = 0;
    progress.elapsedSeconds = 0.0;
    progress.copied = {};
}

// Sets paused under pauseMutex (held by the caller) and wakes a held worker
// when the job may go on.
static void SetPausedLocked(JobControl& control, bool value) {
    control.paused = value;
    if (!value) control.resumed.notify_all();
}

void ResetForJob(JobControl& control) {
    std::unique_lock cancelLock(control.cancelMutex);
    std::unique_lock pauseLock(control.pauseMutex);
    control.cancelled = false;
    SetPausedLocked(control, false);
    control.overwriteAll = false;
    cancelLock.unlock();
    pauseLock.unlock();
}

void SetCurrentFile(JobProgress& progress, std::uint32_t index) {
    std::lock_guard lock(progress.mutex);
    progress.currentFile = index;
}

void HoldWhilePaused(JobControl& control, JobProgress& progress, Stopwatch& stopwatch) {
    std::unique_lock pauseLock(control.pauseMutex);
    if (!control.paused) return;
    stopwatch.ReadNow();
    {
        std::lock_guard progressLock(progress.mutex);
        progress.elapsedSeconds += stopwatch.SecondsSinceMark();
    }
    control.resumed.wait(pauseLock, [&] { return !control.paused; });
    stopwatch.TakeMark();
}

bool CancelRequested(JobControl& control) {
    std::lock_guard lock(control.cancelMutex);
    return control.cancelled;
}

void AddBlock(JobProgress& progress, std::uint64_t length, Stopwatch& stopwatch) {
    stopwatch.ReadNow();
    {
        std::lock_guard lock(progress.mutex);
        progress.bytesDone += length;
        progress.elapsedSeconds += stopwatch.SecondsSinceMark();
    }
    // The next interval starts where this one ended: no time is lost between
    // blocks, and the counter is read once per block, not twice (under Wine a
    // reading costs about 75 ns, a tenth of the job's whole per-block overhead).
    stopwatch.mark = stopwatch.now;
}

void AddTime(JobProgress& progress, Stopwatch& stopwatch) {
    stopwatch.ReadNow();
    std::lock_guard lock(progress.mutex);
    progress.elapsedSeconds += stopwatch.SecondsSinceMark();
}

void MarkFinished(JobProgress& progress) {
    std::lock_guard lock(progress.mutex);
    progress.finished = true;
}

void AddTimeAndMarkFinished(JobProgress& progress, Stopwatch& stopwatch) {
    stopwatch.ReadNow();
    std::lock_guard lock(progress.mutex);
    progress.finished = true;
    progress.elapsedSeconds += stopwatch.SecondsSinceMark();
}

void TogglePause(JobControl& control, const std::function<void(bool paused)>& relabel) {
    std::lock_guard lock(control.pauseMutex);
    SetPausedLocked(control, !control.paused);
    if (relabel) relabel(control.paused);
}

// Sets paused and gives the value it had.
static bool HoldAndRemember(JobControl& control) {
    std::lock_guard lock(control.pauseMutex);
    const bool before = control.paused;
    control.paused = true;
    return before;
}

static void SetPaused(JobControl& control, bool value) {
    std::lock_guard lock(control.pauseMutex);
    SetPausedLocked(control, value);
}

void ConfirmCancel(JobControl& control, UserPrompt& prompt) {
    const bool pausedBefore = HoldAndRemember(control);
    // No lock is held while the question is open; the worker is held by paused.
    const int answer = prompt.show(Message::question("Confirm Cancel:", "Are you sure you want to cancel?"));
    if (answer == ANSWER_YES) {
        {
            std::lock_guard lock(control.cancelMutex);
            control.cancelled = true;
        }
        SetPaused(control, false); // wake a held worker so that it sees the cancel
    } else if (!pausedBefore) {
        SetPaused(control, false);
    }
}

bool ConfirmExit(JobControl& control, bool workerRunning, UserPrompt& prompt) {
    bool pausedBefore;
    {
        std::lock_guard lock(control.pauseMutex);
        pausedBefore = control.paused;
    }
    if (!workerRunning) return true;
    if (!pausedBefore) SetPaused(control, true);
    // Only an explicit Yes closes: Esc, or a box closed any other way, is No.
    const int answer = prompt.show(Message::question("Exit:", "Are you sure you want to exit?"));
    if (answer != ANSWER_YES) {
        if (!pausedBefore) SetPaused(control, false);
        return false;
    }
    return true;
}

void RequestStop(JobControl& control) {
    std::unique_lock cancelLock(control.cancelMutex);
    std::unique_lock pauseLock(control.pauseMutex);
    control.cancelled = true;
    SetPausedLocked(control, false);
    cancelLock.unlock();
    pauseLock.unlock();
}

ProgressSnapshot ReadSnapshot(JobProgress& progress) {
    std::lock_guard lock(progress.mutex);
    return { progress.totalBytes, progress.bytesDone, progress.currentFile, progress.totalFiles,
             progress.elapsedSeconds };
}

bool TakeFinished(JobProgress& progress, const std::function<void()>& clearInputs) {
    std::lock_guard lock(progress.mutex);
    if (!progress.finished) return false;
    if (clearInputs) clearInputs();
    progress.finished = false;
    return true;
}

bool IsPaused(JobControl& control) {
    std::lock_guard lock(control.pauseMutex);
    return control.paused;
}

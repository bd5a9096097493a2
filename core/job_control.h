// The records a page shares with its worker thread: JobControl (pause, cancel,
// "Yes To All") and JobProgress (counters, elapsed time, finished), the worker's
// Stopwatch, and the operations both sides perform on them.
//
// Lock order, wherever two are held at once: cancelMutex, then pauseMutex, then
// JobProgress::mutex. The locks are user-space (std::mutex): they are taken
// three times per 16 KiB block, and kernel objects would cost a system call each.
#pragma once

#include "core/user_prompt.h"
#include "platform/platform.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

// Bytes per copied block in the window program: pause and cancel act at the
// next block.
constexpr std::uint32_t COPY_BLOCK_SIZE = 16384;

struct JobControl {
    std::mutex pauseMutex;         // guards paused
    std::mutex cancelMutex;        // guards cancelled
    bool paused = false;       // hold before the next block
    bool cancelled = false;    // stop before the next block
    bool overwriteAll = false; // worker only: replace existing files without asking ("Yes To All")
    // Bytes per block, set before the worker starts: the command line copies in
    // larger blocks (fewer calls; the kernel shares more extents per call).
    std::uint32_t blockSize = COPY_BLOCK_SIZE;
    // Set before the worker starts: whether each finished file is flushed to the
    // device before it takes its name, and the directory before the job reports
    // success. Only the command line's --no-sync clears it.
    bool flushToDevice = true;
    // Signalled, under pauseMutex, whenever paused becomes false, so that a held
    // worker sleeps instead of spinning and wakes at once.
    std::condition_variable resumed;
};

struct JobProgress {
    // Where the bytes went: written by the worker only, read once it has ended.
    platform::CopyTally copied;
    std::mutex mutex; // guards every field below
    std::uint64_t totalBytes = 0;
    std::uint64_t bytesDone = 0;
    std::uint32_t currentFile = 0; // 0-based
    std::uint32_t totalFiles = 0;
    double elapsedSeconds = 0.0; // working time, held time excluded
    bool finished = false;       // the job completed; the page clears its inputs
};

// A worker's own clock over the high-resolution counter; never shared.
struct Stopwatch {
    std::int64_t mark = 0;
    std::int64_t now = 0;
    std::int64_t frequency = 0;

    void TakeMark();
    void ReadNow();
    double SecondsSinceMark(); // (now - mark) / frequency
};

// ---- Worker side -----------------------------------------------------------

// Clears finished without the lock: the page reads it only after the worker
// thread has ended, so nothing can race with this first write.
void ClearFinished(JobProgress& progress);
void BeginJob(JobProgress& progress, std::uint64_t totalBytes, std::uint32_t totalFiles);
void ResetForJob(JobControl& control);
void SetCurrentFile(JobProgress& progress, std::uint32_t index);
// Holds while paused (sleeping on `resumed`); held time is not counted.
void HoldWhilePaused(JobControl& control, JobProgress& progress, Stopwatch& stopwatch);
bool CancelRequested(JobControl& control);
void AddBlock(JobProgress& progress, std::uint64_t length, Stopwatch& stopwatch);
void AddTime(JobProgress& progress, Stopwatch& stopwatch);
void MarkFinished(JobProgress& progress);
// AddTime and MarkFinished in one hold of the mutex (the join's last step).
void AddTimeAndMarkFinished(JobProgress& progress, Stopwatch& stopwatch);

// ---- Page side -------------------------------------------------------------

// Flips paused; `relabel` is called with the new value while pauseMutex is held
// (the window program sets its Pause button to "Resume" or "Pause" there).
void TogglePause(JobControl& control, const std::function<void(bool paused)>& relabel);

// Holds the job, asks "Are you sure you want to cancel?" ("Confirm Cancel:",
// Yes/No) with no lock held; Yes cancels and wakes the worker, anything else
// restores the pause state from before the question.
void ConfirmCancel(JobControl& control, UserPrompt& prompt);

// While a worker runs, holds it and asks "Are you sure you want to exit?"
// ("Exit:", Yes/No). True when the page may close: no worker runs, or Yes (the
// job then stays held until StopWorker). No restores the pause state.
bool ConfirmExit(JobControl& control, bool workerRunning, UserPrompt& prompt);

// The flag part of a page's closing: cancelled set and paused cleared, taken in
// lock order, and the held worker woken.
void RequestStop(JobControl& control);

struct ProgressSnapshot {
    std::uint64_t totalBytes = 0;
    std::uint64_t bytesDone = 0;
    std::uint32_t currentFile = 0;
    std::uint32_t totalFiles = 0;
    double elapsedSeconds = 0.0;
};
ProgressSnapshot ReadSnapshot(JobProgress& progress);

// Under the mutex: when finished is set, calls `clearInputs` while still
// holding it, then clears finished. Gives whether it was set.
bool TakeFinished(JobProgress& progress, const std::function<void()>& clearInputs);

bool IsPaused(JobControl& control);

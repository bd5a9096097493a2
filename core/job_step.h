// The one step both workers take for every file they write: the overwrite
// question, the creation and reservation of the file under a temporary name,
// the copy of its bytes in blocks, with the pause, cancel and progress gates
// before each block, and the rename that makes the finished file appear.
#pragma once

#include "core/job_control.h"
#include "core/user_prompt.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>

// The words a job uses when a step fails; the split and the join say the same
// things differently.
struct StepTexts {
    const char* reserveFailed; // moving the file position for the reservation
    const char* setEndFailed;  // fixing the end of the file
    const char* allocFailed;   // the block buffer
    const char* readFailed;
    const char* writeFailed;
};

// What a worker carries from step to step: the page's records, the user, the
// job's words and its own clock.
struct JobContext {
    JobControl& control;
    JobProgress& progress;
    UserPrompt& prompt;
    const StepTexts& texts;
    Stopwatch stopwatch {};
};

// Shows `text` in an "Error:" box, task-modal. Gives false, so that a step can
// end with `return ShowJobError(...)`.
bool ShowJobError(UserPrompt& prompt, const std::string& text);

// Whether the file at `path` may be written: true when none exists or the user
// said "Yes" or "Yes To All" (remembered for the rest of the job); false on
// "No", which stops the job without a message. `replace` tells whether an
// existing file may give way to the new one.
bool MayReplace(JobContext& job, const std::string& path, bool& replace);

// A file being written under a temporary name beside its final one. It takes
// the final name only when its last byte is written (CommitOutput), so that a
// file carrying a segment's or an output's name is always complete; after a
// cancel, a failure or a crash the partial data stays under the temporary name.
struct PendingOutput {
    platform::File file;
    std::string finalPath;
    std::string tempPath;
    bool replace = false; // the user agreed to replace an existing final file
};

// The suffix of temporary names: "movie.avi.03_of_12.partial", then ".partial2"
// and on when that name is taken. Never a segment suffix, so never a member.
constexpr const char* PARTIAL_SUFFIX = ".partial";

// Asks about replacing `path` (MayReplace), then creates a new temporary file
// beside it, never replacing any file, and reserves `size` bytes less one (the
// last write completes the size; an empty file stays empty). On "No" gives an
// invalid file with no message; on a failure shows `createFailed` or the
// reservation's text and gives an invalid file.
PendingOutput BeginOutput(JobContext& job, const std::string& path, std::int64_t size,
                          const std::string& createFailed);

// Closes the finished file and gives it its final name, replacing the old file
// only when the user agreed (a file with no temporary name is only closed). False, with the reason shown, when the name
// cannot be given (the data then stays complete under the temporary name).
bool CommitOutput(JobContext& job, PendingOutput& output);

enum class CopyEnd { Done, Stopped, Failed };

// Copies `length` bytes from `in`'s position to `out`'s in blocks of the job's
// block size, each by platform::copyBytes (inside the kernel where it can),
// counted in the progress and its tally. Before each block it holds while the
// job is paused and stops when it is cancelled (Stopped: no message). A failure
// closes both files, then shows its text (Failed).
CopyEnd CopyBlocks(JobContext& job, platform::File& in, platform::File& out, std::int64_t length);

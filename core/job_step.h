// The one step both workers take for every file they write: the overwrite
// question, the creation and reservation of the file under a temporary name,
// the copy of its bytes in blocks, with the pause, cancel and progress gates
// before each block, the flush to the device and the rename that makes the
// finished file appear.
#pragma once

#include "core/background_hash.h"
#include "core/job_control.h"
#include "core/user_prompt.h"
#include "platform/platform.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// Shows `text` as an error ("Error:"), with the failure behind it when `why`
// is one: its reason, and `file`, the file it concerns when the text does not
// name it. Gives false, so that a step can end with `return ShowJobError(...)`.
bool ShowJobError(UserPrompt& prompt, const std::string& text, const platform::Result& why = {},
                  const std::string& file = "");

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

// The text shown when the file named by its argument (the temporary name, or
// the final one when no temporary name could be taken) cannot be created.
using CreateFailedText = std::function<std::string(const std::string& file)>;

// Asks about replacing `path` (MayReplace), then creates a new temporary file
// beside it, never replacing any file or taking the name of a link, and
// reserves `size` bytes less one (the last write completes the size; an empty
// file stays empty). On "No" gives an invalid file with no message; on a
// failure shows `createFailed` or the reservation's text and gives an invalid
// file.
PendingOutput BeginOutput(JobContext& job, const std::string& path, std::int64_t size,
                          const CreateFailedText& createFailed);

// Flushes the finished file to the device (unless the job was told not to),
// closes it and gives it its final name, replacing the old file only when the
// user agreed (a file with no temporary name, standard output, is only
// closed). False, with the reason shown, when the flush or the rename fails:
// the file then keeps its temporary name.
bool CommitOutput(JobContext& job, PendingOutput& output);

// Writes `text` as the file at `path` through the steps of every output: the
// overwrite question, a temporary name, the flush and the rename. False when
// the job must stop (the user's No, or a failure, shown).
bool WriteSmallFile(JobContext& job, const std::string& path, const std::string& text);

// The last step of a job that named files in `directory`: flushes the
// directory, so that the names outlive a power loss (one flush covers every
// rename of the job). False, with the reason shown, when the device fails.
bool SettleNames(JobContext& job, const std::string& directory);

// A temporary file that an earlier, interrupted job left beside a final name.
struct Leftover {
    std::string path;
    std::int64_t size = 0;
};

// The temporary files ("NAME.partial", "NAME.partial2", ...) in the directory
// of `base` whose final name starts with `base` + "." and satisfies `ours`.
std::vector<Leftover> FindLeftovers(const std::string& base,
                                    const std::function<bool(const std::string& finalPath)>& ours);

// A refusal for want of space, and the leftovers that take room on the volume
// (for the user to delete when they are no longer needed).
std::string WithLeftovers(const std::string& refusal, const std::vector<Leftover>& leftovers);

// Of a kernel copy of `length` bytes from offset `from` of one file to offset
// `to` of another on a volume that shares storage in blocks of `blockSize`
// bytes: the bytes that still need room of their own (all of them unless both
// offsets fall on a block boundary, else the last part block).
std::int64_t UnsharedBytes(std::int64_t from, std::int64_t to, std::int64_t length, std::int64_t blockSize);

enum class CopyEnd { Done, Stopped, Failed };

// The hashes a copy feeds with the bytes it copies: the file's own and the
// whole file's that the pieces make up; either may be absent.
struct CopyHashes {
    BackgroundHash* piece = nullptr;
    BackgroundHash* whole = nullptr;
    bool any() const { return piece || whole; }
};

// Makes the job's copies pass through memory, so that a hash reads each byte
// on its way instead of reading the source a second time. Where the volume
// shares storage the kernel copy stays, for sharing costs no copy at all: the
// hash reads the source.
void HashOnTheWay(JobContext& job, bool volumeShares);

// Copies `length` bytes from `in`'s position to `out`'s in blocks of the job's
// block size, each by platform::copyBytes (inside the kernel where it can),
// counted in the progress and its tally, with write-behind after each block
// when the job flushes its files. Before each block it holds while the job is
// paused and stops when it is cancelled (Stopped: no message). A failure
// closes both files, then shows its text (Failed). `hashes` receive every byte
// copied.
CopyEnd CopyBlocks(JobContext& job, platform::File& in, platform::File& out, std::int64_t length,
                   CopyHashes hashes = {});

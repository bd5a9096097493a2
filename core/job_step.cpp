// The step both workers share: see job_step.h.
#include "core/job_step.h"

#include "core/format_text.h"

#include <algorithm>
#include <memory>
#include <new>

bool ShowJobError(UserPrompt& prompt, const std::string& text) {
    prompt.showMessage(text, "Error:", BOX_TASKMODAL);
    return false;
}

// Closes the files before the message appears, so that none is held while the
// user reads.
static bool CloseAndShow(JobContext& job, const char* text, platform::File& out,
                         platform::File* in = nullptr) {
    if (in) in->close();
    out.close();
    return ShowJobError(job.prompt, text);
}

bool MayReplace(JobContext& job, const std::string& path, bool& replace) {
    replace = job.control.overwriteAll || platform::pathExists(path);
    if (job.control.overwriteAll || !replace) return true;
    const int answer = job.prompt.askOverwrite(path);
    if (answer == ANSWER_YES_TO_ALL) job.control.overwriteAll = true;
    return answer != ANSWER_NO;
}

// Creates the first free temporary name for `path`. Exclusive creation: a file
// left by an earlier interrupted job, or a user's own, is never replaced.
static platform::File CreateTemporary(const std::string& path, std::string& tempPath) {
    constexpr int ATTEMPTS = 100;
    for (int attempt = 1; attempt <= ATTEMPTS; ++attempt) {
        tempPath = path + PARTIAL_SUFFIX + (attempt > 1 ? std::to_string(attempt) : "");
        platform::File file = platform::File::createNew(tempPath);
        if (file.valid() || !platform::pathExists(tempPath)) return file;
    }
    return {};
}

PendingOutput BeginOutput(JobContext& job, const std::string& path, std::int64_t size,
                          const std::string& createFailed) {
    PendingOutput output;
    output.finalPath = path;
    if (!MayReplace(job, path, output.replace)) return output;
    // A directory of that name could never be replaced: fail before any copy.
    if (!platform::isDirectory(path)) output.file = CreateTemporary(path, output.tempPath);
    if (!output.file.valid()) {
        ShowJobError(job.prompt, createFailed);
        return output;
    }
    if (size > 0) {
        const char* failure = nullptr;
        if (!output.file.seek(size - 1))
            failure = job.texts.reserveFailed;
        else if (!output.file.setEnd())
            failure = job.texts.setEndFailed;
        else if (!output.file.seek(0))
            failure = job.texts.reserveFailed;
        if (failure) CloseAndShow(job, failure, output.file);
    }
    return output;
}

bool CommitOutput(JobContext& job, PendingOutput& output) {
    output.file.close();
    if (output.tempPath.empty()) return true; // written where it belongs: nothing to name
    if (platform::renameFile(output.tempPath, output.finalPath, output.replace)) return true;
    return ShowJobError(job.prompt, formatted("The finished file could not be given its name:\r\n\r\n    %s\r\n\r\n"
                                              "Its complete data is in:\r\n\r\n    %s",
                                              output.finalPath.c_str(), output.tempPath.c_str()));
}

CopyEnd CopyBlocks(JobContext& job, platform::File& in, platform::File& out, std::int64_t length) {
    // The buffer of the read-and-write path: never larger than the copy (a
    // split into many small segments allocates little each time).
    const std::uint32_t blockSize = std::max<std::uint32_t>(job.control.blockSize, 1);
    const auto bufferSize = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 1, blockSize));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bufferSize]);
    if (!buffer) return CloseAndShow(job, job.texts.allocFailed, out, &in), CopyEnd::Failed;
    std::int64_t copied = 0;
    while (copied < length) {
        HoldWhilePaused(job.control, job.progress, job.stopwatch);
        if (CancelRequested(job.control)) return CopyEnd::Stopped;
        const auto step = static_cast<std::uint32_t>(std::min<std::int64_t>(blockSize, length - copied));
        switch (platform::copyBytes(in, out, step, buffer.get(), job.progress.copied)) {
        case platform::CopyResult::ReadFailed: return CloseAndShow(job, job.texts.readFailed, out, &in), CopyEnd::Failed;
        case platform::CopyResult::WriteFailed:
            return CloseAndShow(job, job.texts.writeFailed, out, &in), CopyEnd::Failed;
        case platform::CopyResult::Done: break;
        }
        copied += step;
        AddBlock(job.progress, step, job.stopwatch);
    }
    return CopyEnd::Done;
}

// The step both workers share: see job_step.h.
#include "core/job_step.h"

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

bool MayReplace(JobContext& job, const std::string& path) {
    if (job.control.overwriteAll || !platform::pathExists(path)) return true;
    const int answer = job.prompt.askOverwrite(path);
    if (answer == ANSWER_YES_TO_ALL) job.control.overwriteAll = true;
    return answer != ANSWER_NO;
}

platform::File CreateReserved(JobContext& job, const std::string& path, std::int64_t size,
                              const std::string& createFailed) {
    platform::File file = platform::File::createAlways(path);
    if (!file.valid()) {
        ShowJobError(job.prompt, createFailed);
        return file;
    }
    if (size > 0) {
        const char* failure = nullptr;
        if (!file.seek(size - 1))
            failure = job.texts.reserveFailed;
        else if (!file.setEnd())
            failure = job.texts.setEndFailed;
        else if (!file.seek(0))
            failure = job.texts.reserveFailed;
        if (failure) CloseAndShow(job, failure, file);
    }
    return file;
}

CopyEnd CopyBlocks(JobContext& job, platform::File& in, platform::File& out, std::int64_t length) {
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[COPY_BLOCK_SIZE]);
    if (!buffer) return CloseAndShow(job, job.texts.allocFailed, out, &in), CopyEnd::Failed;
    std::int64_t copied = 0;
    while (copied < length) {
        HoldWhilePaused(job.control, job.progress, job.stopwatch);
        if (CancelRequested(job.control)) return CopyEnd::Stopped;
        const auto step = static_cast<std::uint32_t>(std::min<std::int64_t>(COPY_BLOCK_SIZE, length - copied));
        if (!in.read(buffer.get(), step)) return CloseAndShow(job, job.texts.readFailed, out, &in), CopyEnd::Failed;
        if (!out.write(buffer.get(), step))
            return CloseAndShow(job, job.texts.writeFailed, out, &in), CopyEnd::Failed;
        copied += step;
        AddBlock(job.progress, step, job.stopwatch);
    }
    return CopyEnd::Done;
}

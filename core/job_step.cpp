// The step both workers share: see job_step.h.
#include "core/job_step.h"

#include "core/display_format.h"
#include "core/format_text.h"
#include "core/segment_name.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <new>

bool ShowJobError(UserPrompt& prompt, const std::string& text, const platform::Result& why,
                  const std::string& file) {
    Message message = Message::error("Error:", text);
    if (!why) {
        message.reason = why.reason();
        message.file = file;
    }
    prompt.show(message);
    return false;
}

// Closes the files before the message appears, so that none is held while the
// user reads. `why` is the failure of `concerned`, one of the two.
static bool CloseAndShow(JobContext& job, const std::string& text, const platform::Result& why,
                         const platform::File& concerned, platform::File& out, platform::File* in = nullptr) {
    const std::string file = concerned.path();
    if (in) in->close();
    out.close();
    return ShowJobError(job.prompt, text, why, file);
}

bool MayReplace(JobContext& job, const std::string& path, bool& replace) {
    replace = job.control.overwriteAll || platform::pathExists(path);
    if (job.control.overwriteAll || !replace) return true;
    const int answer = job.prompt.askOverwrite(path);
    if (answer == ANSWER_YES_TO_ALL) job.control.overwriteAll = true;
    return answer != ANSWER_NO;
}

// Creates the first free temporary name for `path`. Exclusive creation: a file
// left by an earlier interrupted job, a user's own, or a link (even one that
// leads nowhere) is never replaced; the next name is taken instead.
static platform::File CreateTemporary(const std::string& path, std::string& tempPath) {
    constexpr int ATTEMPTS = 100;
    platform::File file;
    for (int attempt = 1; attempt <= ATTEMPTS; ++attempt) {
        tempPath = path + PARTIAL_SUFFIX + (attempt > 1 ? std::to_string(attempt) : "");
        file = platform::File::createNew(tempPath);
        if (file.valid() || !platform::entryExists(tempPath)) break;
    }
    return file; // the last one's failure when every name was taken
}

PendingOutput BeginOutput(JobContext& job, const std::string& path, std::int64_t size,
                          const CreateFailedText& createFailed) {
    PendingOutput output;
    output.finalPath = path;
    if (!MayReplace(job, path, output.replace)) return output;
    // A directory of that name could never be replaced: fail before any copy.
    if (!platform::isDirectory(path)) output.file = CreateTemporary(path, output.tempPath);
    if (!output.file.valid()) {
        ShowJobError(job.prompt, createFailed(output.tempPath.empty() ? path : output.tempPath),
                     output.file.failure());
        return output;
    }
    if (size > 0) {
        const char* failure = job.texts.reserveFailed;
        platform::Result why = output.file.seek(size - 1);
        if (why) {
            failure = job.texts.setEndFailed;
            why = output.file.setEnd();
        }
        if (why) {
            failure = job.texts.reserveFailed;
            why = output.file.seek(0);
        }
        if (!why) CloseAndShow(job, failure, why, output.file, output.file);
    }
    return output;
}

bool CommitOutput(JobContext& job, PendingOutput& output) {
    if (output.tempPath.empty()) { // written where it belongs (standard output): nothing to name
        output.file.close();
        return true;
    }
    // The data reaches the device before the name does: a power loss after the
    // rename must not bring back a complete-looking file full of zeros.
    if (job.control.flushToDevice) {
        if (const platform::Result flushed = output.file.flush(); !flushed)
            return CloseAndShow(job,
                                formatted("%s\r\n\r\nThe finished file could not be written to the device.  "
                                          "What was written stays in:\r\n\r\n    %s",
                                          job.texts.writeFailed, output.tempPath.c_str()),
                                flushed, platform::File(), output.file);
    }
    output.file.close();
    const platform::Result renamed = platform::renameFile(output.tempPath, output.finalPath, output.replace);
    if (renamed) return true;
    return ShowJobError(job.prompt,
                        formatted("The finished file could not be given its name:\r\n\r\n    %s\r\n\r\n"
                                  "Its complete data is in:\r\n\r\n    %s",
                                  output.finalPath.c_str(), output.tempPath.c_str()),
                        renamed);
}

bool WriteSmallFile(JobContext& job, const std::string& path, const std::string& text) {
    PendingOutput output = BeginOutput(job, path, static_cast<std::int64_t>(text.size()), [](const std::string& file) {
        return formatted("Failed to create output file: %s.", file.c_str());
    });
    if (!output.file.valid()) return false;
    if (const platform::Result written = output.file.write(text.data(), static_cast<std::uint32_t>(text.size()));
        !written)
        return CloseAndShow(job, job.texts.writeFailed, written, output.file, output.file);
    return CommitOutput(job, output);
}

bool SettleNames(JobContext& job, const std::string& directory) {
    if (!job.control.flushToDevice) return true;
    const platform::Result flushed = platform::flushDirectory(directory);
    if (flushed) return true;
    return ShowJobError(job.prompt,
                        formatted("The folder could not be written to the device:\r\n\r\n    %s\r\n\r\n"
                                  "The finished files may lose their names after a power loss.",
                                  directory.c_str()),
                        flushed);
}

// The final path of a temporary name: "x.partial" and "x.partial12" give "x".
static std::string FinalPathOf(const std::string& path) {
    std::size_t end = path.size();
    while (end > 0 && std::isdigit(static_cast<unsigned char>(path[end - 1]))) --end;
    const std::string suffix = PARTIAL_SUFFIX;
    if (end < suffix.size() || path.compare(end - suffix.size(), suffix.size(), suffix) != 0) return "";
    if (end < path.size() && (path[end] == '0' || end + 3 < path.size()))
        return ""; // .partial2 to .partial100
    return path.substr(0, end - suffix.size());
}

std::vector<Leftover> FindLeftovers(const std::string& base,
                                    const std::function<bool(const std::string& finalPath)>& ours) {
    std::vector<std::string> names;
    platform::listMatching(base + ".*", names);
    PathParts parts;
    detail::SplitPathText(base, platform::isLeadByte, parts);
    const std::string directory = parts.drive + parts.directory;
    std::vector<Leftover> leftovers;
    for (const std::string& name : names) {
        const std::string path = directory + name, finalPath = FinalPathOf(path);
        if (finalPath.empty() || !ours(finalPath)) continue;
        Leftover leftover { path };
        const platform::File file = platform::File::openRead(path, platform::Share::Read);
        if (file.valid() && file.isRegular() && file.size(leftover.size)) leftovers.push_back(leftover);
    }
    return leftovers;
}

std::string WithLeftovers(const std::string& refusal, const std::vector<Leftover>& leftovers) {
    if (leftovers.empty()) return refusal;
    std::string text = refusal + "\r\n\r\nUnfinished files of earlier interrupted jobs take room there:\r\n";
    for (const Leftover& leftover : leftovers)
        appendFormat(text, "\r\n    %s (%s bytes)", leftover.path.c_str(),
                     FormatThousands(static_cast<std::uint64_t>(leftover.size)).c_str());
    return text + "\r\n\r\nDelete them if you no longer need them.";
}

std::int64_t UnsharedBytes(std::int64_t from, std::int64_t to, std::int64_t length, std::int64_t blockSize) {
    // The system shares a block only between block-aligned offsets of both files.
    if (blockSize <= 0 || from % blockSize != 0 || to % blockSize != 0) return length;
    return length % blockSize;
}

// A copy's failure, `why` that of `concerned`: both files closed, then the
// text shown.
static CopyEnd CopyFailed(JobContext& job, const char* text, const platform::Result& why,
                          const platform::File& concerned, platform::File& in, platform::File& out) {
    CloseAndShow(job, text, why, concerned, out, &in);
    return CopyEnd::Failed;
}

void HashOnTheWay(JobContext& job, bool volumeShares) {
    if (!volumeShares) job.progress.copied.kernelRefused = true;
}

// Feeds `hashes` with the block just copied from `in` at `at`: from the buffer
// when all of it went through there, else read from `in` again.
static platform::Result HashBlock(const CopyHashes& hashes, const platform::File& in, std::int64_t at,
                                  std::uint32_t step, bool inBuffer, unsigned char* buffer) {
    if (!inBuffer)
        if (const platform::Result read = in.readAt(buffer, step, at); !read) return read;
    if (hashes.piece) hashes.piece->update(buffer, step);
    if (hashes.whole) hashes.whole->update(buffer, step);
    return {};
}

CopyEnd CopyBlocks(JobContext& job, platform::File& in, platform::File& out, std::int64_t length,
                   CopyHashes hashes) {
    // The buffer of the read-and-write path: never larger than the copy (a
    // split into many small segments allocates little each time).
    const std::uint32_t blockSize = std::max<std::uint32_t>(job.control.blockSize, 1);
    const auto bufferSize = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 1, blockSize));
    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[bufferSize]);
    if (!buffer) return CopyFailed(job, job.texts.allocFailed, {}, in, in, out);
    std::int64_t start = 0; // of the copy in `in`, for a hash that reads it again
    if (const platform::Result known = hashes.any() ? in.position(start) : platform::Result(); !known)
        return CopyFailed(job, job.texts.readFailed, known, in, in, out);
    std::int64_t copied = 0;
    while (copied < length) {
        HoldWhilePaused(job.control, job.progress, job.stopwatch);
        if (CancelRequested(job.control)) return CopyEnd::Stopped;
        const auto step = static_cast<std::uint32_t>(std::min<std::int64_t>(blockSize, length - copied));
        const std::int64_t throughMemory = job.progress.copied.bufferBytes;
        const platform::CopyOutcome outcome =
            platform::copyBytes(in, out, step, buffer.get(), job.progress.copied);
        switch (outcome.result) {
        case platform::CopyResult::ReadFailed:
            return CopyFailed(job, job.texts.readFailed, outcome.why, in, in, out);
        case platform::CopyResult::WriteFailed:
            return CopyFailed(job, job.texts.writeFailed, outcome.why, out, in, out);
        case platform::CopyResult::Done: break;
        }
        const bool inBuffer = job.progress.copied.bufferBytes - throughMemory == step;
        if (const platform::Result hashed = hashes.any() ? HashBlock(hashes, in, start + copied, step, inBuffer,
                                                                     buffer.get())
                                                         : platform::Result();
            !hashed)
            return CopyFailed(job, job.texts.readFailed, hashed, in, in, out);
        // Keeps the bytes waiting for the device few: the bar then follows the
        // device, and the flush after the last byte is short.
        if (const platform::Result behind =
                job.control.flushToDevice ? out.writeBehind() : platform::Result();
            !behind)
            return CopyFailed(job, job.texts.writeFailed, behind, out, in, out);
        copied += step;
        AddBlock(job.progress, step, job.stopwatch);
    }
    return CopyEnd::Done;
}

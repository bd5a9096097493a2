// morvane-cli's entry and its split and join commands: see cli.h.
#include "cli/cli.h"

#include "core/display_format.h"
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "join/join_input.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"
#include "split/split_engine.h"
#include "split/split_input.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "0"
#endif

const char* const TEXT_FORCE_JOIN = "Use --force to join them anyway.";

int Fail(CliIo& io, const std::string& text, int code) {
    std::lock_guard lock(io.errMutex);
    std::fprintf(io.err, "morvane-cli: %s\n", OneLine(text).c_str());
    std::fflush(io.err);
    return code;
}

// A usage error: what is wrong, where to read more, exit code 2.
static int Usage(CliIo& io, const std::string& problem) {
    return Fail(io, problem + " (see morvane-cli --help)", 2);
}

static int RunCommand(const CliOptions& options, CliIo& io) {
    if (options.command == "split") return SplitCommand(options, io);
    if (options.command == "join") return JoinCommand(options, io);
    if (options.command == "info") return InfoCommand(options, io);
    if (options.command == "sums") return SumsCommand(options, io);
    return VerifyCommand(options, io);
}

int RunCli(const std::vector<std::string>& args, CliIo& io) {
    CliOptions options;
    const std::string problem = ParseCliOptions(args, options);
    if (!problem.empty()) return Usage(io, problem);
    int code = 0;
    if (options.help)
        std::fputs(CliUsage(options.command).c_str(), io.out);
    else if (options.version)
        std::fprintf(io.out, "morvane-cli %s\n", MORVANE_VERSION);
    else
        code = RunCommand(options, io);
    // Output that never arrived (a full disk, a closed pipe) is a failure,
    // whatever the command thought of its work.
    errno = 0;
    if (std::fflush(io.out) == 0 && !std::ferror(io.out)) return code;
    Fail(io, WithReason("Write failure on standard output.", errno ? std::strerror(errno) : ""));
    return code == 0 ? 1 : code;
}

// The directory a file lies in, as a directory path ("." for a bare name).
static std::string DirectoryOf(const std::string& path) {
    PathParts parts;
    parts.split(path);
    const std::string directory = parts.drive + parts.directory;
    return directory.empty() ? "." : directory;
}

// The command line's block, chosen by measurement (README, Benchmarks). With a
// kernel copy: 8 MiB, so that an extent clone does much per call while Ctrl-C
// still stops within a fraction of a second on a slow disk. Through memory
// (Windows): 256 KiB; larger buffers were slower there (8 MiB: over twice).
constexpr std::uint32_t CLI_BLOCK_SIZE = platform::KERNEL_COPY ? 8u << 20 : 256u << 10;

// The finished files of a job, by index: their shared extents are counted.
struct JobOutputs {
    std::uint32_t count = 0;
    std::function<std::string(std::uint32_t)> path;
};

// --verbose: how the bytes of a completed job were copied (shared extents,
// inside the kernel, through memory), so that a user sees why a join took
// milliseconds or seconds.
static void ReportCopy(CliIo& io, const platform::CopyTally& tally, const JobOutputs& outputs) {
    std::int64_t shared = 0;
    bool known = outputs.count > 0;
    for (std::uint32_t i = 0; known && i < outputs.count; ++i) {
        std::int64_t bytes = 0;
        known = static_cast<bool>(platform::sharedBytes(outputs.path(i), bytes));
        shared += bytes;
    }
    shared = known ? std::min(shared, tally.kernelBytes) : 0;
    const auto figure = [](std::int64_t bytes) { return FormatThousands(static_cast<std::uint64_t>(bytes)); };
    std::string text = "copied: ";
    if (known) text += figure(shared) + " bytes as shared extents, ";
    text += figure(tally.kernelBytes - shared) + " bytes inside the kernel, " + figure(tally.bufferBytes) +
            " bytes through memory";
    std::lock_guard lock(io.errMutex);
    std::fprintf(io.err, "%s\n", text.c_str());
}

// The end of a job: 0 when it completed, 130 after Ctrl-C, else 1 (the reason
// has been shown).
static int JobResult(CliIo& io, const CliOptions& options, const JobProgress& progress,
                     const JobOutputs& outputs) {
    if (progress.finished && options.verbose) ReportCopy(io, progress.copied, outputs);
    if (progress.finished) return 0;
    if (CliInterrupted())
        return Fail(io, "interrupted; what was written stays on disk (the unfinished file as NAME.partial)",
                    130);
    return 1;
}

// The first segment of a split into `count` that exists already, or empty.
static std::string FirstExistingSegment(const SplitRequest& request, std::uint32_t count) {
    const std::vector<std::uint32_t> existing = ExistingSegments(request, count);
    return existing.empty() ? "" : ComposeSegmentPath(request.sourcePath, request.outputDir, existing[0] - 1, count);
}

// The bytes the segments need on the output volume: all of them, less the
// whole blocks a kernel copy shares with the source where the volume can.
static std::int64_t SplitSpaceNeeded(const SplitRequest& request, const SplitPlan& plan) {
    std::int64_t blockSize = 0, needed = 0, offset = 0;
    if (!platform::canShareStorage(request.sourcePath, request.outputDir, blockSize)) return plan.sourceSize;
    // Segments of one size from one offset on: the first as it falls; the rest
    // share whole blocks only when size and offset are whole blocks, and are
    // otherwise counted whole (a count of four billion costs no time).
    const auto add = [&](std::uint32_t count, std::int64_t size) {
        if (count == 0) return;
        const std::int64_t rest = std::int64_t { count - 1 } * size;
        needed += UnsharedBytes(offset, 0, size, blockSize);
        if (offset % blockSize != 0 || size % blockSize != 0) needed += rest;
        offset += size + rest;
    };
    add(plan.leadCount, plan.leadSize);
    add(plan.tailCount, plan.tailSize);
    return needed;
}

// The temporary files earlier interrupted splits of this source left beside
// this split's segment names.
static std::vector<Leftover> SplitLeftovers(const SplitRequest& request, std::uint32_t count) {
    const std::string first = ComposeSegmentPath(request.sourcePath, request.outputDir, 0, count);
    return FindLeftovers(SegmentPathParts(first).path(), [&](const std::string& finalPath) {
        const SegmentPathParts segment(finalPath);
        return segment.isSegment() && segment.segmentCount() == static_cast<std::int64_t>(count);
    });
}

int SplitCommand(const CliOptions& options, CliIo& io) {
    SplitInput input;
    input.sourcePath = options.operand;
    input.outputDir = options.outputDir.value_or(DirectoryOf(options.operand));
    if (options.count) {
        input.mode = SplitMode::FileCount;
        std::uint32_t count = 0;
        if (ParseFileCount(*options.count, count)) input.fileCount = count;
    } else {
        input.mode = SplitMode::CustomSize;
        const ParsedSize size = ParseSegmentSize(*options.size);
        input.sizeText = size.number;
        input.sizeUnit = size.unit;
    }
    SplitRequest request;
    const std::string problem = CheckSplitInput(input, request);
    if (!problem.empty()) return Fail(io, problem);
    request.writeListing = options.writeListing;
    // The plan check would take a size beyond 64 bits for no size at all.
    std::int64_t segmentSize = 0;
    if (request.mode == SplitMode::CustomSize &&
        !CustomSizeToBytes(request.customSize, request.sizeUnit, segmentSize))
        return Fail(io, "A segment size of " + *options.size + " is larger than any file can be.");
    TerminalPrompt prompt(io, options.overwrite);
    std::string question = TEXT_SOURCE_IS_SEGMENT; // one line on a terminal
    question.replace(question.find("\r\n"), 2, "  ");
    if (isSegmentPath(request.sourcePath) && !prompt.confirm(question))
        return Fail(io, "not splitting a segment; stopped");

    SplitPlan plan;
    if (!PrepareSplitPlan(request, plan, prompt)) return 1;
    if (options.overwrite == Overwrite::No) { // all names are free, or nothing is written
        const std::string existing = FirstExistingSegment(request, plan.segmentCount());
        if (!existing.empty()) return Fail(io, "not overwriting " + existing + "; nothing written");
    }
    // As the join does: when the volume cannot be asked, a lack of space shows
    // as a write failure.
    std::uint64_t available = 0;
    const std::int64_t needed = SplitSpaceNeeded(request, plan);
    if (platform::freeBytesAvailable(request.outputDir, available) &&
        available < static_cast<std::uint64_t>(needed))
        return Fail(io,
                    WithLeftovers("Insufficient disk space for the split files: " +
                                      FormatThousands(static_cast<std::uint64_t>(needed)) + " bytes needed.",
                                  SplitLeftovers(request, plan.segmentCount())));
    JobControl control;
    control.blockSize = CLI_BLOCK_SIZE;
    control.flushToDevice = !options.noSync;
    JobProgress progress;
    SplitThreadArgs args { request, plan, control, progress, prompt };
    RunJob(io, control, progress, prompt, [&] { SplitWorker(args); });
    if (!prompt.refused().empty()) { // a mix of new and old segments is said so
        const std::string note =
            SplitStopNote(request, plan, static_cast<std::uint32_t>(SegmentPathParts(prompt.refused()).segmentNumber()));
        if (!note.empty()) Fail(io, note);
    }
    const std::uint32_t count = plan.segmentCount();
    return JobResult(io, options, progress, { count, [&](std::uint32_t i) {
                                                 return ComposeSegmentPath(request.sourcePath,
                                                                           request.outputDir, i, count);
                                             } });
}

int JoinCommand(const CliOptions& options, CliIo& io) {
    JoinRequest request;
    request.sourcePath = options.operand;
    request.outputDir = options.outputDir.value_or(DirectoryOf(request.sourcePath));
    const SegmentPathParts segment(request.sourcePath);
    request.outputFileName = segment.name + segment.extension;
    request.toStandardOutput = options.outputName == "-";
    request.listingPath = options.sumsFile.value_or("");
    request.verify = !options.noVerify;
    if (request.toStandardOutput && options.outputDir)
        return Usage(io, "-O - writes to standard output, where -o has no place");
    if (options.outputName && !request.toStandardOutput) { // a name, or a path that says the directory too
        PathParts named;
        detail::SplitPathText(*options.outputName, platform::isLeadByte, named);
        const std::string directory = named.drive + named.directory;
        if (directory.empty()) {
            request.outputFileName = *options.outputName;
        } else if (options.outputDir) {
            return Usage(io, "-O " + *options.outputName + " holds a directory, and so does -o");
        } else {
            request.outputDir = directory;
            request.outputFileName = named.name + named.extension;
        }
    }
    const std::string problem = CheckJoinInput(request);
    if (!problem.empty()) return Fail(io, problem);
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = DiscoverSegments(request.sourcePath, unreadable);
    const SetReport report = ExamineSet(set);
    const std::string refusal = JoinRefusal(set, unreadable, report);
    if (!refusal.empty()) return Fail(io, refusal);
    const std::string oddSizes = OddSizeProblem(report);
    if (!oddSizes.empty() && !options.force) return Fail(io, oddSizes + " " + TEXT_FORCE_JOIN);
    request.joinOddSizes = true; // asked and answered here
    const std::string outputPath = JoinOutputPath(request);
    if (!request.toStandardOutput && platform::isDirectory(outputPath))
        return Fail(io, "The output " + outputPath +
                            " is a directory: -O names the joined file, -o its directory.");

    TerminalPrompt prompt(io, options.overwrite);
    JobControl control;
    control.blockSize = CLI_BLOCK_SIZE;
    control.flushToDevice = !options.noSync;
    JobProgress progress;
    JoinThreadArgs args { request, control, progress, prompt };
    // With the joined bytes on standard output, every message goes to stderr.
    std::FILE* const out = io.out;
    if (request.toStandardOutput) io.out = io.err;
    RunJob(io, control, progress, prompt, [&] { JoinWorker(args); });
    io.out = out;
    JobOutputs outputs;
    if (!request.toStandardOutput) outputs = { 1, [&](std::uint32_t) { return outputPath; } };
    return JobResult(io, options, progress, outputs);
}

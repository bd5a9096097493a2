// morvane-cli's entry and its split and join commands: see cli.h.
#include "cli/cli.h"

#include "core/input_check.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "platform/platform.h"
#include "split/split_engine.h"

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "0"
#endif

int Fail(CliIo& io, const std::string& text, int code) {
    std::lock_guard lock(io.errMutex);
    std::fprintf(io.err, "morvane-cli: %s\n", OneLine(text).c_str());
    std::fflush(io.err);
    return code;
}

int RunCli(const std::vector<std::string>& args, CliIo& io) {
    CliOptions options;
    const std::string problem = ParseCliOptions(args, options);
    if (!problem.empty()) return Fail(io, problem + " (see morvane-cli --help)", 2);
    if (options.help) {
        std::fputs(CLI_USAGE, io.out);
        return 0;
    }
    if (options.version) {
        std::fprintf(io.out, "morvane-cli %s\n", MORVANE_VERSION);
        return 0;
    }
    if (options.command == "split") return SplitCommand(options, io);
    if (options.command == "join") return JoinCommand(options, io);
    if (options.command == "info") return InfoCommand(options, io);
    if (options.command == "sums") return SumsCommand(options, io);
    return VerifyCommand(options, io);
}

// The directory a file lies in, as a directory path ("." for a bare name).
static std::string DirectoryOf(const std::string& path) {
    PathParts parts;
    parts.split(path);
    const std::string directory = parts.drive + parts.directory;
    return directory.empty() ? "." : directory;
}

// The end of a job: 0 when it completed, 130 after Ctrl-C, else 1 (the reason
// has been shown).
static int JobResult(CliIo& io, const JobProgress& progress) {
    if (progress.finished) return 0;
    if (CliInterrupted()) return Fail(io, "interrupted; what was written stays on disk", 130);
    return 1;
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
    TerminalPrompt prompt(io, options.overwrite);
    std::string question = TEXT_SOURCE_IS_SEGMENT; // one line on a terminal
    question.replace(question.find("\r\n"), 2, "  ");
    if (isSegmentPath(request.sourcePath) && !prompt.confirm(question))
        return Fail(io, "not splitting a segment; stopped");

    SplitPlan plan;
    if (!PrepareSplitPlan(request, plan, prompt)) return 1;
    JobControl control;
    JobProgress progress;
    SplitThreadArgs args { request, plan, control, progress, prompt };
    RunJob(io, control, progress, prompt, [&] { SplitWorker(args); });
    return JobResult(io, progress);
}

int JoinCommand(const CliOptions& options, CliIo& io) {
    JoinRequest request;
    request.sourcePath = options.operand;
    request.outputDir = options.outputDir.value_or(DirectoryOf(request.sourcePath));
    const SegmentPathParts segment(request.sourcePath);
    request.outputFileName = options.outputName.value_or(segment.name + segment.extension);
    const std::string problem = CheckJoinInput(request);
    if (!problem.empty()) return Fail(io, problem);

    TerminalPrompt prompt(io, options.overwrite);
    JobControl control;
    JobProgress progress;
    JoinThreadArgs args { request, control, progress, prompt };
    RunJob(io, control, progress, prompt, [&] { JoinWorker(args); });
    return JobResult(io, progress);
}

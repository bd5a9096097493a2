// Split planning, the plan check and the split worker: see split_engine.h.
#include "split/split_engine.h"

#include "core/format_text.h"
#include "core/segment_name.h"

#include <cmath>
#include <memory>
#include <new>

const char* const TEXT_OPEN_INPUT_FAILED =
    "Failed to open input file.  If the file exists, make sure it is not open in another application.";
const char* const TEXT_TOO_MANY_SEGMENTS =
    "The specified output size would make more than 4,294,967,295 output files.  "
    "Please enter a larger file size.";

static const char* const CAPTION_ERROR = "Error:";

double SizeUnitMultiplier(std::int32_t sizeUnit) {
    switch (sizeUnit) {
    case 1: return 1024.0;
    case 2: return 1048576.0;
    case 3: return 1073741824.0;
    default: return 1.0;
    }
}

bool CustomSizeToBytes(double customSize, std::int32_t sizeUnit, std::int64_t& bytes) {
    const double product = customSize * SizeUnitMultiplier(sizeUnit);
    // Beyond these bounds the truncation to 64 bits is undefined.
    if (!(product > -9223372036854775808.0 && product < 9223372036854775808.0)) return false;
    bytes = static_cast<std::int64_t>(product);
    return true;
}

void PlanByFileCount(SplitPlan& plan, std::uint32_t count) {
    const std::int64_t q = plan.sourceSize / count;
    const std::int64_t r = plan.sourceSize % count;
    plan.leadCount = static_cast<std::uint32_t>(r);
    plan.tailCount = count - static_cast<std::uint32_t>(r);
    plan.leadSize = r > 0 ? q + 1 : q;
    plan.tailSize = q;
}

bool PlanBySegmentSize(SplitPlan& plan) {
    const std::int64_t whole = plan.sourceSize / plan.leadSize;
    const std::int64_t rest = plan.sourceSize % plan.leadSize;
    const std::uint64_t count = static_cast<std::uint64_t>(whole) + (rest > 0 ? 1 : 0);
    if (count > MAX_SEGMENT_COUNT) {
        plan.leadCount = plan.tailCount = 0;
        return false;
    }
    plan.leadCount = static_cast<std::uint32_t>(whole);
    plan.tailSize = rest;
    plan.tailCount = rest > 0 ? 1 : 0;
    return true;
}

static bool Refuse(UserPrompt& prompt, const std::string& text) {
    prompt.showMessage(text, CAPTION_ERROR, BOX_TASKMODAL);
    return false;
}

// Closes the file before the message appears, so that it is not held while the
// user reads.
static bool CloseAndRefuse(platform::File& file, UserPrompt& prompt, const std::string& text) {
    file.close();
    return Refuse(prompt, text);
}

bool PrepareSplitPlan(const SplitRequest& request, SplitPlan& plan, UserPrompt& prompt) {
    {
        platform::File source = platform::File::openRead(request.sourcePath, platform::Share::None);
        if (!source.valid()) return Refuse(prompt, TEXT_OPEN_INPUT_FAILED);
        if (!source.size(plan.sourceSize))
            return CloseAndRefuse(
                source, prompt,
                formatted("BETA: Failed to determine size of file: %s", request.sourcePath.c_str()));
    }
    if (request.mode == SplitMode::FileCount) {
        if (request.fileCount < 2) return Refuse(prompt, "Please specify at least 2 output files.");
        PlanByFileCount(plan, request.fileCount);
        return true;
    }
    if (!CustomSizeToBytes(request.customSize, request.sizeUnit, plan.leadSize) || plan.leadSize < 1)
        return Refuse(prompt, "Please enter a file size of at least 1 byte.");
    if (!PlanBySegmentSize(plan)) return Refuse(prompt, TEXT_TOO_MANY_SEGMENTS);
    if (plan.segmentCount() < 2) return Refuse(prompt, "Specified output size does not require splitting.");
    return true;
}

void SplitWorker(SplitThreadArgs& args) {
    ClearFinished(args.progress);
    const std::uint32_t count = args.plan.segmentCount();
    BeginJob(args.progress, static_cast<std::uint64_t>(args.plan.sourceSize), count);
    ResetForJob(args.control);

    if (!platform::isDirectory(args.request.outputDir)) {
        args.prompt.showMessage("Please enter a valid output directory.", "", BOX_TASKMODAL);
        return;
    }
    platform::File source = platform::File::openRead(args.request.sourcePath, platform::Share::Read);
    if (!source.valid()) {
        Refuse(args.prompt, TEXT_OPEN_INPUT_FAILED);
        return;
    }
    Stopwatch stopwatch;
    for (std::uint32_t k = 0; k < count; ++k) {
        if (!WriteSegment(args.request, args.plan, source, args.control, args.progress, args.prompt,
                          stopwatch, k))
            return; // the source closes itself
    }
    source.close();
    MarkFinished(args.progress);
    args.prompt.showMessage("File splitting operation successful!", "Complete", BOX_OK);
}

bool WriteSegment(const SplitRequest& request, const SplitPlan& plan, platform::File& source,
                  JobControl& control, JobProgress& progress, UserPrompt& prompt, Stopwatch& stopwatch,
                  std::uint32_t k) {
    stopwatch.TakeMark(); // an overwrite question below counts as working time
    const std::string path =
        ComposeSegmentPath(request.sourcePath, request.outputDir, k, plan.segmentCount());

    if (control.overwriteAll == 0 && platform::pathExists(path)) {
        const int answer = prompt.askOverwrite(path);
        if (answer == ANSWER_NO) return false; // the user's stop: no message
        if (answer == ANSWER_YES_TO_ALL) control.overwriteAll = 1;
    }

    platform::File segment = platform::File::createAlways(path);
    if (!segment.valid()) return Refuse(prompt, formatted("Failed to create output file: %s.", path.c_str()));

    const std::int64_t size = plan.segmentSize(k);
    // Reserve the segment's space up front, one byte short; the last write
    // extends it. An empty segment has nothing to reserve and stays empty.
    if (size > 0) {
        if (!segment.seek(size - 1))
            return CloseAndRefuse(segment, prompt, "BETA: Failed to set output file pointer.");
        if (!segment.setEnd()) return CloseAndRefuse(segment, prompt, "Failed to set end of file.");
        if (!segment.seek(0))
            return CloseAndRefuse(segment, prompt, "BETA: Failed to set output file pointer.");
    }

    std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[SPLIT_BLOCK_SIZE]);
    if (!buffer) return CloseAndRefuse(segment, prompt, "BETA: Failed to allocate byte array.");

    SetCurrentFile(progress, k);
    std::int64_t written = 0;
    std::int64_t step = SPLIT_BLOCK_SIZE;
    while (written < size) {
        HoldWhilePaused(control, progress, stopwatch);
        if (CancelRequested(control)) return false; // the user's stop: no message; RAII closes
        if (size - written < step) step = size - written;
        const auto length = static_cast<std::uint32_t>(step);
        if (!source.read(buffer.get(), length)) return CloseAndRefuse(segment, prompt, "BETA: Read Failure.");
        if (!segment.write(buffer.get(), length))
            return CloseAndRefuse(segment, prompt, "BETA: Write failure.");
        written += step;
        AddBlock(progress, length, stopwatch);
    }
    segment.close();
    buffer.reset();
    AddTime(progress, stopwatch);
    return true;
}

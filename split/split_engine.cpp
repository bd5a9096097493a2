// Split planning, the plan check and the split worker: see split_engine.h.
#include "split/split_engine.h"

#include "core/checksum_listing.h"
#include "core/display_format.h"
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"

#include <algorithm>
#include <vector>

const char* const TEXT_OPEN_INPUT_FAILED =
    "Failed to open input file.  If the file exists, make sure it is not open in another application.";
const char* const TEXT_TOO_MANY_SEGMENTS =
    "The specified output size would make more than 4,294,967,295 output files.  "
    "Please enter a larger file size.";

double SizeUnitMultiplier(SizeUnit sizeUnit) {
    switch (sizeUnit) {
    case SizeUnit::KB: return 1024.0;
    case SizeUnit::MB: return 1048576.0;
    case SizeUnit::GB: return 1073741824.0;
    default: return 1.0;
    }
}

bool CustomSizeToBytes(double customSize, SizeUnit sizeUnit, std::int64_t& bytes) {
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

// Whether the listing of this split, when it writes one, stays within what a
// join reads back: a line a segment (each name escaped at worst).
static bool ListingFits(const SplitRequest& request, const SplitPlan& plan, UserPrompt& prompt) {
    if (!request.writeListing) return true;
    const std::uint64_t count = plan.segmentCount();
    const std::uint64_t longestName =
        SegmentPathParts(ComposeSegmentPath(request.sourcePath, request.outputDir, 0, plan.segmentCount()))
            .fileName()
            .size();
    if ((count + 1) * (67 + 2 * longestName) <= static_cast<std::uint64_t>(MAX_LISTING_BYTES)) return true;
    return ShowJobError(prompt,
                        formatted("A checksum file of %s segments would be larger than 64 MiB.  Please "
                                  "split into fewer files, or without a checksum file.",
                                  FormatThousands(count).c_str()));
}

bool PrepareSplitPlan(const SplitRequest& request, SplitPlan& plan, UserPrompt& prompt) {
    {
        platform::File source = platform::File::openRead(request.sourcePath, platform::Share::None);
        if (!source.valid())
            return ShowJobError(prompt, TEXT_OPEN_INPUT_FAILED, source.failure(), source.path());
        if (!source.isRegular()) {
            source.close();
            return ShowJobError(prompt,
                                formatted("The file:\r\n\r\n    %s\r\n\r\nis not a regular file (a pipe, a "
                                          "device, or a file whose size cannot be read).  Please choose a "
                                          "file to split.",
                                          request.sourcePath.c_str()));
        }
        if (const platform::Result measured = source.size(plan.sourceSize); !measured) {
            source.close(); // not held while the user reads
            return ShowJobError(
                prompt, formatted("BETA: Failed to determine size of file: %s", request.sourcePath.c_str()),
                measured);
        }
    }
    if (request.mode == SplitMode::FileCount) {
        if (request.fileCount < 2) return ShowJobError(prompt, "Please specify at least 2 output files.");
        PlanByFileCount(plan, request.fileCount);
        return ListingFits(request, plan, prompt);
    }
    if (!CustomSizeToBytes(request.customSize, request.sizeUnit, plan.leadSize) || plan.leadSize < 1)
        return ShowJobError(prompt, "Please enter a file size of at least 1 byte.");
    if (!PlanBySegmentSize(plan)) return ShowJobError(prompt, TEXT_TOO_MANY_SEGMENTS);
    if (plan.segmentCount() < 2)
        return ShowJobError(prompt, "Specified output size does not require splitting.");
    return ListingFits(request, plan, prompt);
}

static const StepTexts SPLIT_TEXTS = {
    "BETA: Failed to set output file pointer.",
    "Failed to set end of file.",
    "BETA: Failed to allocate byte array.",
    "BETA: Read Failure.",
    "BETA: Write failure.",
};

// The hashes of a split that writes a listing: the listing's lines so far and
// the whole file's hash.
struct ListingInProgress {
    std::string lines;
    BackgroundHash piece; // of the segment being written
    BackgroundHash whole;
};

// Writes segment k from the open source, hashing it into `listing` when there
// is one. False when the split must stop (the reason has been shown, or the
// user asked for the stop).
static bool WriteSegment(JobContext& job, const SplitRequest& request, const SplitPlan& plan,
                         platform::File& source, std::uint32_t k, ListingInProgress* listing) {
    job.stopwatch.TakeMark(); // an overwrite question below counts as working time
    const std::string path =
        ComposeSegmentPath(request.sourcePath, request.outputDir, k, plan.segmentCount());
    const std::int64_t size = plan.segmentSize(k);
    PendingOutput segment = BeginOutput(job, path, size, [](const std::string& file) {
        return formatted("Failed to create output file: %s.", file.c_str());
    });
    if (!segment.file.valid()) return false;
    SetCurrentFile(job.progress, k);
    if (CopyBlocks(job, source, segment.file, size,
                   { listing ? &listing->piece : nullptr, listing ? &listing->whole : nullptr }) !=
        CopyEnd::Done)
        return false;
    if (!CommitOutput(job, segment)) return false;
    if (listing) listing->lines += ListingLine(listing->piece.digest(), SegmentPathParts(path).fileName());
    AddTime(job.progress, job.stopwatch);
    return true;
}

// Writes the listing beside the segments, under a temporary name and flushed
// like them, once all of them are complete.
static bool WriteListing(JobContext& job, const SplitRequest& request, ListingInProgress& listing) {
    PathParts source;
    source.split(request.sourcePath);
    const std::string name = source.name + source.extension;
    const std::string text = listing.lines + ListingLine(listing.whole.digest(), name);
    return WriteSmallFile(job, DirectoryPrefix(request.outputDir) + name + LISTING_SUFFIX, text);
}

std::vector<std::uint32_t> ExistingSegments(const SplitRequest& request, std::uint32_t count) {
    const SegmentPathParts first(ComposeSegmentPath(request.sourcePath, request.outputDir, 0, count));
    const std::string directory = first.drive + first.directory;
    std::vector<std::string> names;
    platform::listMatching(first.path() + ".*", names);
    std::vector<std::uint32_t> existing;
    for (const std::string& name : names) {
        const std::int32_t k = SegmentPathParts(directory + name).segmentNumber();
        if (k < 1 || static_cast<std::uint32_t>(k) > count) continue;
        const SegmentPathParts ours(ComposeSegmentPath(request.sourcePath, request.outputDir,
                                                       static_cast<std::uint32_t>(k - 1), count));
        if (platform::sameName(ours.fileName(), name)) existing.push_back(static_cast<std::uint32_t>(k));
    }
    std::sort(existing.begin(), existing.end());
    return existing;
}

// "2", "2 to 5": a run of segment numbers.
static std::string Run(std::uint32_t first, std::uint32_t last) {
    return first == last ? std::to_string(first) : std::to_string(first) + " to " + std::to_string(last);
}

std::string SplitStopNote(const SplitRequest& request, const SplitPlan& plan, std::uint32_t stoppedAt) {
    const std::vector<std::uint32_t> existing = ExistingSegments(request, plan.segmentCount());
    std::string old;
    std::uint32_t oldCount = 0;
    for (std::size_t i = 0; i < existing.size(); ++i) {
        if (existing[i] < stoppedAt) continue;
        std::size_t j = i;
        while (j + 1 < existing.size() && existing[j + 1] == existing[j] + 1) ++j;
        old += (old.empty() ? "" : ", ") + Run(existing[i], existing[j]);
        oldCount += static_cast<std::uint32_t>(j - i + 1);
        i = j;
    }
    if (stoppedAt <= 1 || old.empty()) return "";
    return formatted(
        "%s %s %s new; %s of %u %s from an earlier split: joined, they would give back neither file.",
        stoppedAt == 2 ? "Segment" : "Segments", Run(1, stoppedAt - 1).c_str(), stoppedAt == 2 ? "is" : "are",
        old.c_str(), plan.segmentCount(), oldCount == 1 ? "is" : "are");
}

// The first segment path of the job that names the source itself (the same
// file through a link, however written), or empty. Writing it would destroy
// the source while it is read. Only the names already in the output directory
// can be the source, so only those are examined.
static std::string SegmentThatIsSource(const SplitRequest& request, std::uint32_t count) {
    for (const std::uint32_t k : ExistingSegments(request, count)) {
        const std::string path = ComposeSegmentPath(request.sourcePath, request.outputDir, k - 1, count);
        if (platform::sameFile(path, request.sourcePath)) return path;
    }
    return "";
}

void SplitWorker(SplitThreadArgs& args) {
    ClearFinished(args.progress);
    const std::uint32_t count = args.plan.segmentCount();
    BeginJob(args.progress, static_cast<std::uint64_t>(args.plan.sourceSize), count);
    ResetForJob(args.control);

    if (!platform::isDirectory(args.request.outputDir)) {
        args.prompt.show(Message::error("", "Please enter a valid output directory."));
        return;
    }
    const std::string sourceSegment = SegmentThatIsSource(args.request, count);
    if (!sourceSegment.empty()) {
        ShowJobError(args.prompt,
                     formatted("The output file:\r\n\r\n    %s\r\n\r\nis the file being split.  Please "
                               "choose another output directory.",
                               sourceSegment.c_str()));
        return;
    }
    platform::File source = platform::File::openRead(args.request.sourcePath, platform::Share::Read);
    if (!source.valid()) {
        ShowJobError(args.prompt, TEXT_OPEN_INPUT_FAILED, source.failure(), source.path());
        return;
    }
    JobContext job { args.control, args.progress, args.prompt, SPLIT_TEXTS };
    std::unique_ptr<ListingInProgress> listing;
    if (args.request.writeListing) {
        std::string why;
        if (!Sha256::Available(why)) return (void)ShowJobError(args.prompt, why);
        std::int64_t blockSize = 0;
        HashOnTheWay(job,
                     platform::canShareStorage(args.request.sourcePath, args.request.outputDir, blockSize));
        listing = std::make_unique<ListingInProgress>();
    }
    for (std::uint32_t k = 0; k < count; ++k)
        if (!WriteSegment(job, args.request, args.plan, source, k, listing.get()))
            return; // the source closes itself
    source.close();
    if (listing && !WriteListing(job, args.request, *listing)) return;
    if (!SettleNames(job, args.request.outputDir)) return;
    MarkFinished(args.progress);
    args.prompt.show(Message::completion("Complete", "File splitting operation successful!"));
}

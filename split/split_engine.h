// Splitting: the plan (how many segments, how many bytes each), the plan check
// that runs before a job, and the worker that writes the segments.
#pragma once

#include "core/display_format.h"
#include "core/job_control.h"
#include "core/user_prompt.h"
#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

enum class SplitMode : std::int32_t { FileCount = 0, CustomSize = 1 };

// The page's inputs after validation.
struct SplitRequest {
    std::string sourcePath;
    std::string outputDir;
    SplitMode mode = SplitMode::FileCount;
    std::uint32_t fileCount = 0; // FileCount: segments asked for
    SizeUnit sizeUnit = SizeUnit::Bytes; // CustomSize: the unit of customSize, powers of 1,024
    double customSize = 0.0;             // CustomSize: size per segment in units of sizeUnit
    // Also write a checksum listing beside the segments (NAME.EXT.sha256):
    // one line for each segment and one for the whole file.
    bool writeListing = false;
};

// The numbers that decide a split. Segment k (0-based) holds leadSize bytes when
// k < leadCount, else tailSize; leadCount * leadSize + tailCount * tailSize =
// sourceSize.
struct SplitPlan {
    std::int64_t sourceSize = 0;
    std::int64_t leadSize = 0;
    std::int64_t tailSize = 0;
    std::uint32_t leadCount = 0;
    std::uint32_t tailCount = 0;

    std::uint32_t segmentCount() const { return leadCount + tailCount; }
    std::int64_t segmentSize(std::uint32_t k) const { return k < leadCount ? leadSize : tailSize; }
};

// What a worker thread borrows from its page; the page owns all of it.
struct SplitThreadArgs {
    SplitRequest& request;
    SplitPlan& plan;
    JobControl& control;
    JobProgress& progress;
    UserPrompt& prompt;
};

// Most segments a plan may have: the count travels as an unsigned 32-bit number.
constexpr std::uint64_t MAX_SEGMENT_COUNT = 4294967295u;

// Bytes per unit: 1, 1,024, 1,048,576, 1,073,741,824 (1 for a value outside the list).
double SizeUnitMultiplier(SizeUnit sizeUnit);

// customSize * the unit, truncated toward zero; false when the result does not
// fit a signed 64-bit number (or is not a number at all).
bool CustomSizeToBytes(double customSize, SizeUnit sizeUnit, std::int64_t& bytes);

// N at least 2, sourceSize set: the first (sourceSize mod N) segments carry one
// byte more than the rest.
void PlanByFileCount(SplitPlan& plan, std::uint32_t count);

// sourceSize and leadSize (at least 1) set: every segment but a shorter last one
// has leadSize bytes. Gives false, leaving the plan unusable, when that would
// need more than MAX_SEGMENT_COUNT segments.
bool PlanBySegmentSize(SplitPlan& plan);

// The plan check, before a job starts: reads the source size, applies the
// limits, shows their message through `prompt` and gives false when the plan
// cannot be used.
bool PrepareSplitPlan(const SplitRequest& request, SplitPlan& plan, UserPrompt& prompt);

// The worker: writes all segments, honouring pause and cancel between blocks,
// and the checksum listing when asked for one, once every segment is complete.
// Shows its own failures and the completion message; leaves on disk what it wrote.
void SplitWorker(SplitThreadArgs& args);

// The numbers (1-based, ascending) of the segments of a split into `count`
// that exist already under the names this split gives them. One listing of
// the output folder, not one query a segment: a plan may have four billion.
std::vector<std::uint32_t> ExistingSegments(const SplitRequest& request, std::uint32_t count);

// After a split stopped at segment `stoppedAt` (1-based: the user's No at its
// question), the segments before it being complete: when segments of an
// earlier split stay beside the new ones, which are new and which old, for
// the user to see the mix; empty when there is no mix.
std::string SplitStopNote(const SplitRequest& request, const SplitPlan& plan, std::uint32_t stoppedAt);

// Message texts shared with the pages and the command line.
extern const char* const TEXT_OPEN_INPUT_FAILED;
extern const char* const TEXT_TOO_MANY_SEGMENTS;

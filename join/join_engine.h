// Joining: the worker that checks a discovered set (members, numbers, free
// space) and copies its members, in segment-number order, into one file.
#pragma once

#include "core/job_control.h"
#include "core/user_prompt.h"

#include "join/segment_discovery.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The Join page's inputs after validation.
struct JoinRequest {
    std::string sourcePath;     // any member of the set
    std::string outputDir;      // receives the joined file
    std::string outputFileName; // without directory
    // The command line's "-O -": the joined bytes go to standard output, with no
    // output file (no free-space check, question, reservation or temporary name).
    bool toStandardOutput = false;
    // The command line's --force: join a set of odd sizes (OddSizeProblem)
    // without asking. The window asks.
    bool joinOddSizes = false;
    // The checksum listing to check the members against: this one (the
    // command line's --sums FILE), else the set's own NAME.EXT.sha256 beside
    // the segment when there is one; none at all with `verify` cleared (the
    // command line's --no-verify).
    std::string listingPath = "";
    bool verify = true;
};

// What a join worker borrows from its page; the page owns all of it.
struct JoinThreadArgs {
    JoinRequest& request;
    JobControl& control;
    JobProgress& progress;
    UserPrompt& prompt;
};

// The worker: discovers the set of request.sourcePath, refuses a set that
// would not give the original file back (JoinRefusal), asks about a set of odd
// sizes (OddSizeProblem), checks the free space, asks before replacing an
// existing output, then copies, flushes and names the output. Shows its own
// failures and the completion message; never changes, renames or deletes a
// segment.
void JoinWorker(JoinThreadArgs& args);

// One member of a discovered set, with its number k.
struct SetMember {
    std::int32_t number;
    std::string path;
    std::int64_t size;
};

// What a discovered set looks like against its count N: the members numbered
// 1..N in number order, those outside that range, the pairs that carry the
// same number, and the ranges of numbers that no member carries.
struct SetReport {
    std::int32_t count = 0;
    std::vector<SetMember> members;
    std::vector<SetMember> outOfRange;
    std::vector<std::pair<SetMember, SetMember>> duplicates;
    std::vector<std::pair<std::int32_t, std::int32_t>> missing; // first, last
    std::int64_t total = 0;                                     // of every member found
};
SetReport ExamineSet(const SegmentSet& set);

// Why a join of this set would not give the original file back, in the words
// the user sees; empty when the join may start. Checked in this order: fewer
// than two members, a number outside 1..N, a number held twice, one missing
// (the missing numbers named, as at most ten ranges: N may be two billion).
std::string SetRefusal(const SegmentSet& set, const SetReport& report);

// SetRefusal, after a file that carries a member's name but cannot be read as
// one (it is named, with the reason).
std::string JoinRefusal(const SegmentSet& set, const std::vector<UnreadableMember>& unreadable,
                        const SetReport& report);

// "2, 5-9": the first `limit` ranges of numbers, then how many more there are;
// "none" when there are none.
std::string NumberRanges(const std::vector<std::pair<std::int32_t, std::int32_t>>& ranges,
                         std::size_t limit = SIZE_MAX);

// Why the members' sizes look like no split's, naming the odd member and its
// size against the others; empty when they look right. Every split makes sets
// whose members but the last lie within one byte of each other, and whose last
// member is no larger than the smallest other plus N - 1 (GNU split -n gives
// its last file the remainder). A member cut short breaks that shape, unless it
// is the last one.
std::string OddSizeProblem(const SetReport& report);

// The bytes a join of `members` into `directory` needs on that volume: all of
// them, less the whole blocks that a kernel copy shares with the members
// where the volume can share storage.
std::int64_t JoinSpaceNeeded(const std::vector<SetMember>& members, const std::string& directory);

// A checksum listing matched to a set: the hash it gives each member (in the
// order of the report's members) and the whole file's, when it has that line.
struct SetListing {
    std::string path; // empty: the join checks nothing
    std::string name; // the listing's file name, as messages give it
    std::vector<std::string> memberHashes;
    std::string wholeHash;
};

// The listing of the request's set (see JoinRequest), read and matched to the
// members in `report`. Gives "" (with `listing.path` empty when there is none
// to check), or why the join must not start, in the user's words: the listing
// cannot be read or is no listing (its line named), a member it does not
// name, or a line that names a member of this set that is not there.
std::string FindSetListing(const JoinRequest& request, const SetReport& report, SetListing& listing);

// The path the joined file is written to: outputFileName inside outputDir.
std::string JoinOutputPath(const JoinRequest& request);

// Message texts, shared with the page and the command line.
extern const char* const TEXT_TOO_FEW_SEGMENTS;
extern const char* const TEXT_SEGMENTS_MISSING;
extern const char* const TEXT_JOIN_OPEN_INPUT_FAILED;

// The join worker: see join_engine.h.
#include "join/join_engine.h"

#include "core/checksum_listing.h"
#include "core/display_format.h"
#include "core/format_text.h"
#include "core/job_step.h"
#include "core/segment_name.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"

#include <algorithm>
#include <memory>
#include <vector>

const char* const TEXT_TOO_FEW_SEGMENTS = "At least 2 split files must exist in the specified directory.";
const char* const TEXT_SEGMENTS_MISSING =
    "It appears one or more split files are missing.  Please make sure that:\r\n\r\n"
    "    - All split files are in the same directory as the specified file.\r\n"
    "    - All of the necessary files exist.\r\n";
const char* const TEXT_JOIN_OPEN_INPUT_FAILED =
    "Failed to open input file.\r\n\r\nIf the file exists, make sure it is not open in another application.";

SetReport ExamineSet(const SegmentSet& set) {
    SetReport report;
    if (set.empty()) return report;
    SegmentPathParts parts;
    parts.assign(set.begin()->first);
    report.count = parts.segmentCount();
    report.total = SetTotal(set);
    for (const auto& [path, size] : set) {
        parts.assign(path);
        const SetMember member { parts.segmentNumber(), path, size };
        if (member.number < 1 || member.number > report.count)
            report.outOfRange.push_back(member);
        else
            report.members.push_back(member);
    }
    std::stable_sort(report.members.begin(), report.members.end(),
                     [](const SetMember& a, const SetMember& b) { return a.number < b.number; });
    std::int64_t expected = 1; // 64 bits: the number after 2147483647 must not wrap
    for (std::size_t i = 0; i < report.members.size(); ++i) {
        const SetMember& m = report.members[i];
        if (i > 0 && m.number == report.members[i - 1].number) {
            report.duplicates.emplace_back(report.members[i - 1], m);
            continue;
        }
        if (m.number > expected)
            report.missing.emplace_back(static_cast<std::int32_t>(expected), m.number - 1);
        expected = std::int64_t { m.number } + 1;
    }
    // Ranges, not numbers: N may be two billion.
    if (report.count >= 1 && expected <= report.count)
        report.missing.emplace_back(static_cast<std::int32_t>(expected), report.count);
    return report;
}

std::string SetRefusal(const SegmentSet& set, const SetReport& report) {
    if (set.size() < 2) return TEXT_TOO_FEW_SEGMENTS;
    if (!report.outOfRange.empty()) {
        const SetMember& m = report.outOfRange.front();
        return formatted(
            "The split file:\r\n\r\n    %s\r\n\r\nis numbered %d of %d.  A split file's number must "
            "lie between 1 and the number of files.  Please move it out of the directory and try "
            "again.",
            m.path.c_str(), m.number, report.count);
    }
    if (!report.duplicates.empty()) {
        const auto& [first, second] = report.duplicates.front();
        return formatted(
            "Two split files carry the number %d:\r\n\r\n    %s\r\n    %s\r\n\r\nPlease move one of "
            "them out of the directory and try again.",
            first.number, first.path.c_str(), second.path.c_str());
    }
    if (!report.missing.empty()) {
        std::int64_t missing = 0;
        for (const auto& [first, last] : report.missing) missing += std::int64_t { last } - first + 1;
        return formatted("%sMissing numbers: %s (%lld of %d).", TEXT_SEGMENTS_MISSING,
                         NumberRanges(report.missing, 10).c_str(), static_cast<long long>(missing),
                         report.count);
    }
    return "";
}

std::string JoinRefusal(const SegmentSet& set, const std::vector<UnreadableMember>& unreadable,
                        const SetReport& report) {
    if (unreadable.empty()) return SetRefusal(set, report);
    const UnreadableMember& m = unreadable.front();
    return formatted("The split file:\r\n\r\n    %s\r\n\r\ncannot be read (%s).  Please make it readable, or "
                     "move it out of the directory, and try again.",
                     m.path.c_str(), m.reason.empty() ? "unknown reason" : m.reason.c_str());
}

std::string NumberRanges(const std::vector<std::pair<std::int32_t, std::int32_t>>& ranges,
                         std::size_t limit) {
    std::string text;
    for (std::size_t i = 0; i < ranges.size() && i < limit; ++i) {
        const auto [first, last] = ranges[i];
        if (!text.empty()) text += ", ";
        text += first == last ? std::to_string(first) : std::to_string(first) + "-" + std::to_string(last);
    }
    if (ranges.size() > limit) text += " and " + std::to_string(ranges.size() - limit) + " more ranges";
    return text.empty() ? "none" : text;
}

static std::string Bytes(std::int64_t size) { return FormatThousands(static_cast<std::uint64_t>(size)); }

std::string OddSizeProblem(const SetReport& report) {
    const std::vector<SetMember>& members = report.members;
    if (members.size() < 2) return "";
    // The largest and smallest of the members before the last.
    const auto extremes =
        std::minmax_element(members.begin(), members.end() - 1,
                            [](const SetMember& a, const SetMember& b) { return a.size < b.size; });
    const auto smallest = extremes.first, largest = extremes.second;
    if (largest->size - smallest->size > 1) {
        // Cut short is what befalls a file; the largest gives the split's size.
        const auto odd = std::find_if(members.begin(), members.end() - 1,
                                      [&](const SetMember& m) { return m.size < largest->size - 1; });
        return formatted(
            "The split file:\r\n\r\n    %s\r\n\r\nholds %s bytes, while split file %d holds %s bytes.  "
            "The files of one split differ by one byte at most (but the last), so this one may "
            "have been cut short or may come from another file.",
            odd->path.c_str(), Bytes(odd->size).c_str(), largest->number, Bytes(largest->size).c_str());
    }
    const SetMember& last = members.back();
    if (last.size - smallest->size > std::int64_t { report.count } - 1)
        return formatted(
            "The last split file:\r\n\r\n    %s\r\n\r\nholds %s bytes, more than a split into files of "
            "%s bytes leaves for it.  It may come from another file, or the others may have been "
            "cut short.",
            last.path.c_str(), Bytes(last.size).c_str(), Bytes(smallest->size).c_str());
    return "";
}

std::int64_t JoinSpaceNeeded(const std::vector<SetMember>& members, const std::string& directory) {
    std::int64_t blockSize = 0, needed = 0, offset = 0;
    const bool shares =
        !members.empty() && platform::canShareStorage(members.front().path, directory, blockSize);
    for (const SetMember& m : members) {
        needed += shares ? UnsharedBytes(0, offset, m.size, blockSize) : m.size;
        offset += m.size;
    }
    return needed;
}

// The listing a join checks: the request's, else the set's own when it is there.
static std::string ListingPathOf(const JoinRequest& request) {
    if (!request.verify) return "";
    if (!request.listingPath.empty()) return request.listingPath;
    const std::string own = SegmentPathParts(request.sourcePath).path() + LISTING_SUFFIX;
    return platform::entryExists(own) ? own : "";
}

std::string FindSetListing(const JoinRequest& request, const SetReport& report, SetListing& listing) {
    listing = {};
    const std::string path = ListingPathOf(request);
    if (path.empty()) return "";
    std::vector<ListingEntry> entries;
    const std::string problem = ReadListing(path, entries);
    if (!problem.empty()) return problem;
    PathParts parts;
    detail::SplitPathText(path, platform::isLeadByte, parts);
    listing.path = path;
    listing.name = parts.name + parts.extension;
    const SegmentPathParts selected(request.sourcePath);
    const std::string sourceName = selected.name + selected.extension;
    // Each line's name in the listing's folder ("" for a name elsewhere), and
    // each member's file name, worked out once: taking a path apart looks at
    // the disk, and a set may have thousands of members.
    std::vector<std::string> listed;
    for (const ListingEntry& entry : entries) listed.push_back(NameInFolder(entry.name));
    const auto listedHash = [&](const std::string& fileName, std::size_t likely) -> const std::string* {
        const auto at = [&](std::size_t i) { return !listed[i].empty() && platform::sameName(listed[i], fileName); };
        if (likely < entries.size() && at(likely)) return &entries[likely].hash; // a listing in the set's order
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (at(i)) return &entries[i].hash;
        return nullptr;
    };
    const std::vector<SetMember>& members = report.members;
    std::vector<std::string> memberNames;
    for (std::size_t position = 0; position < members.size(); ++position) {
        memberNames.push_back(SegmentPathParts(members[position].path).fileName());
        const std::string* hash = listedHash(memberNames.back(), position);
        if (!hash)
            return formatted(
                "Segment %d of %d (%s) is not in %s: the checksum file belongs to another set, or the "
                "segment to another file.",
                members[position].number, report.count, memberNames.back().c_str(), listing.name.c_str());
        listing.memberHashes.push_back(*hash);
    }
    // A line for a segment of this set that is not among the members: only
    // the members of its number (they are in number order) can be it.
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (listed[i].empty()) continue;
        const SegmentPathParts named(listed[i]);
        if (!named.isSegment() || named.segmentCount() != report.count ||
            !platform::sameName(named.name + named.extension, sourceName))
            continue;
        const std::int32_t number = named.segmentNumber();
        auto m = std::lower_bound(members.begin(), members.end(), number,
                                  [](const SetMember& member, std::int32_t k) { return member.number < k; });
        bool present = false;
        for (; m != members.end() && m->number == number; ++m)
            present = present || platform::sameName(memberNames[std::size_t(m - members.begin())], listed[i]);
        if (!present)
            return formatted("%s lists %s (line %d), which is not beside the other segments.",
                             listing.name.c_str(), listed[i].c_str(), entries[i].line);
    }
    if (const std::string* whole = listedHash(sourceName, entries.size() - 1)) listing.wholeHash = *whole;
    return "";
}

std::string JoinOutputPath(const JoinRequest& request) {
    return DirectoryPrefix(request.outputDir) + request.outputFileName;
}

// A set whose sizes look like no split's: the command line refuses it unless
// told to go on, the window asks (default No).
static bool MayJoinOddSizes(const JoinRequest& request, UserPrompt& prompt, const SetReport& report) {
    const std::string problem = OddSizeProblem(report);
    if (problem.empty() || request.joinOddSizes) return true;
    return prompt.show(Message::question("Confirm Join:", problem + "\r\n\r\nJoin them anyway?", true)) ==
           ANSWER_YES;
}

// The output's final path, unless there is a reason not to write it (shown).
static bool CheckOutput(UserPrompt& prompt, const JoinRequest& request,
                        const std::vector<SetMember>& members) {
    const std::string outputPath = JoinOutputPath(request);
    // When the volume cannot be asked, the check is left out: a lack of space
    // then shows as a write failure.
    std::uint64_t available = 0;
    if (platform::freeBytesAvailable(request.outputDir, available) &&
        std::min<std::uint64_t>(available, INT64_MAX) <
            static_cast<std::uint64_t>(JoinSpaceNeeded(members, request.outputDir)))
        return ShowJobError(prompt,
                            WithLeftovers("Insufficient disk space for joined output file.",
                                          FindLeftovers(outputPath, [&](const std::string& finalPath) {
                                              return finalPath == outputPath;
                                          })));
    // Replacing a member would destroy it.
    for (const SetMember& m : members)
        if (platform::sameFile(outputPath, m.path))
            return ShowJobError(prompt,
                                formatted("The output file:\r\n\r\n    %s\r\n\r\nis one of the split files.  "
                                          "Please choose another output filename or directory.",
                                          outputPath.c_str()));
    return true;
}

static const StepTexts JOIN_TEXTS = {
    "Failed reserve disk space for output file.",
    "Failed to set output end-of-file.",
    "Failed to allocate byte buffer array.",
    "Read failure.",
    "Write failure.",
};

// The set to join and its listing, or false when it must not be joined (the
// reason shown, or the user's No to a set of odd sizes).
static bool SetToJoin(JoinThreadArgs& args, SetReport& report, SetListing& listing) {
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = DiscoverSegments(args.request.sourcePath, unreadable);
    report = ExamineSet(set);
    std::string refusal = JoinRefusal(set, unreadable, report);
    if (refusal.empty()) refusal = FindSetListing(args.request, report, listing);
    if (refusal.empty() && !listing.path.empty()) Sha256::Available(refusal);
    if (!refusal.empty()) return ShowJobError(args.prompt, refusal);
    return MayJoinOddSizes(args.request, args.prompt, report);
}

// Standard output, or the output file checked, asked about and reserved
// under its temporary name. False on the user's No or a failure (shown).
static bool OpenOutput(JobContext& job, const JoinRequest& request, const SetReport& report,
                       PendingOutput& output) {
    if (request.toStandardOutput) {
        output.file = platform::File::standardOutput();
        return output.file.valid() ||
               ShowJobError(job.prompt, "Failed to create output file.", output.file.failure());
    }
    if (!CheckOutput(job.prompt, request, report.members)) return false;
    output = BeginOutput(job, JoinOutputPath(request), report.total,
                         [](const std::string&) { return "Failed to create output file."; });
    return output.file.valid();
}

// A member's hash against its listing's line; false, with the member named,
// when it differs.
static bool MatchesListing(JobContext& job, const SetReport& report, std::uint32_t position,
                           BackgroundHash& hash, const SetListing& listing, platform::File& output) {
    if (hash.digest() == listing.memberHashes[position]) return true;
    output.close();
    const SetMember& m = report.members[position];
    return ShowJobError(job.prompt,
                        formatted("Segment %d of %d (%s) does not match %s: it is damaged or belongs to "
                                  "another file.",
                                  m.number, report.count, SegmentPathParts(m.path).fileName().c_str(),
                                  listing.name.c_str()));
}

// Copies the members in number order, each checked against the listing when
// there is one. False when the job stopped: by the user (no message) or by a
// failure (shown).
static bool CopyMembers(JobContext& job, const SetReport& report, const SetListing& listing,
                        BackgroundHash* piece, BackgroundHash* whole, platform::File& output) {
    const std::vector<SetMember>& members = report.members;
    for (std::uint32_t position = 0; position < members.size(); ++position) {
        platform::File member = platform::File::openRead(members[position].path, platform::Share::None);
        // The size now, not the one discovery measured, governs the copy.
        std::int64_t size = 0;
        const char* failure = TEXT_JOIN_OPEN_INPUT_FAILED;
        platform::Result why = member.failure();
        if (why) {
            failure = JOIN_TEXTS.readFailed;
            why = member.size(size);
        }
        if (!why) {
            member.close();
            output.close(); // neither is held while the user reads
            return ShowJobError(job.prompt, failure, why, members[position].path);
        }
        SetCurrentFile(job.progress, position);
        if (CopyBlocks(job, member, output, size, { piece, whole }) != CopyEnd::Done)
            return false; // files close themselves
        if (piece && !MatchesListing(job, report, position, *piece, listing, output)) return false;
    }
    return true;
}

// The joined bytes against the whole file's line of the listing (`whole` is
// null when there is none).
static bool WholeMatches(JobContext& job, const SetListing& listing, BackgroundHash* whole,
                         platform::File& output) {
    if (!whole || whole->digest() == listing.wholeHash) return true;
    output.close();
    return ShowJobError(job.prompt,
                        formatted("Every segment matches %s, but the joined file does not match its "
                                  "line for the whole file: the checksum file is not of one split.",
                                  listing.name.c_str()));
}

// Ends the output where the writing ended (a member that shrank since
// discovery leaves reserved bytes behind the data), then flushes and names it.
static bool FinishOutput(JobContext& job, const JoinRequest& request, PendingOutput& output) {
    if (request.toStandardOutput) return CommitOutput(job, output);
    if (const platform::Result ended = output.file.setEnd(); !ended) {
        const std::string file = output.file.path();
        output.file.close();
        return ShowJobError(job.prompt, JOIN_TEXTS.setEndFailed, ended, file);
    }
    return CommitOutput(job, output) && SettleNames(job, request.outputDir);
}

void JoinWorker(JoinThreadArgs& args) {
    ClearFinished(args.progress);
    SetReport report;
    SetListing listing;
    if (!SetToJoin(args, report, listing)) return;
    BeginJob(args.progress, static_cast<std::uint64_t>(report.total),
             static_cast<std::uint32_t>(report.members.size()));
    ResetForJob(args.control);
    JobContext job { args.control, args.progress, args.prompt, JOIN_TEXTS };
    std::unique_ptr<BackgroundHash> piece, whole;
    if (!listing.path.empty()) {
        std::int64_t blockSize = 0;
        HashOnTheWay(job, !args.request.toStandardOutput &&
                              platform::canShareStorage(report.members.front().path, args.request.outputDir,
                                                        blockSize));
        piece = std::make_unique<BackgroundHash>();
        if (!listing.wholeHash.empty()) whole = std::make_unique<BackgroundHash>(); // nothing to check it against
    }
    PendingOutput output;
    if (!OpenOutput(job, args.request, report, output)) return;
    job.stopwatch.TakeMark();
    if (!CopyMembers(job, report, listing, piece.get(), whole.get(), output.file) ||
        !WholeMatches(job, listing, whole.get(), output.file) || !FinishOutput(job, args.request, output))
        return;
    AddTimeAndMarkFinished(args.progress, job.stopwatch);
    std::string done = "File joining operation complete!";
    if (piece)
        appendFormat(done, "\r\n\r\nAll %zu segments match %s.", report.members.size(), listing.name.c_str());
    args.prompt.show(Message::completion("", done));
}

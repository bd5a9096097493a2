// morvane-cli's commands that look at a set without joining it: info, sums
// and verify. They read the members in number order, as a join would.
#include "cli/cli.h"
#include "platform/sha256.h"

#include "core/checksum_listing.h"
#include "core/display_format.h"
#include "core/format_text.h"
#include "core/segment_name.h"
#include "join/join_engine.h"
#include "platform/platform.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>

namespace {

// The last component of a path, by the path rules of this system (on POSIX a
// backslash is part of a name).
std::string BaseName(const std::string& path) {
    PathParts parts;
    return detail::SplitPathText(path, platform::isLeadByte, parts) ? parts.name + parts.extension : path;
}

// Letters A to Z in lower case; other bytes as they are (hash digits, and
// names in any code page).
std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

struct SetHashes {
    std::vector<std::string> members; // in number order
    std::string joined;
};

// Reads every member once, hashing it and the joined stream together.
// Gives 0, or the exit code after a message.
int HashSet(CliIo& io, const SetReport& report, SetHashes& hashes) {
    constexpr std::uint32_t BLOCK = 1 << 20;
    std::string why;
    if (!Sha256::Available(why)) return Fail(io, why);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[BLOCK]);
    Sha256 joined;
    for (const SetMember& member : report.members) {
        platform::File file = platform::File::openRead(member.path, platform::Share::Read);
        std::int64_t size = 0;
        platform::Result opened = file.failure();
        if (opened) opened = file.size(size);
        if (!opened)
            return Fail(io, WithReason("Failed to open input file: " + member.path, opened.reason()));
        Sha256 hash;
        for (std::int64_t done = 0; done < size;) {
            if (CliInterrupted()) return Fail(io, "interrupted", 130);
            const auto step = static_cast<std::uint32_t>(std::min<std::int64_t>(BLOCK, size - done));
            if (const platform::Result read = file.read(buffer.get(), step); !read)
                return Fail(io, WithReason("Read failure: " + member.path, read.reason()));
            hash.update(buffer.get(), step);
            joined.update(buffer.get(), step);
            done += step;
        }
        hashes.members.push_back(hash.hexDigest());
    }
    hashes.joined = joined.hexDigest();
    return 0;
}

// Discovers and checks the set of the segment named on the command line.
// Gives 0 with the report filled, or the exit code after a message.
int CheckedSet(const CliOptions& options, CliIo& io, SetReport& report, std::string& sourceName) {
    if (!platform::pathExists(options.operand)) return Fail(io, "The specified input file does not exist.");
    if (!isSegmentPath(options.operand)) return Fail(io, "Please enter a valid split file pathname.");
    const SegmentPathParts segment(options.operand);
    sourceName = segment.name + segment.extension;
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = DiscoverSegments(options.operand, unreadable);
    report = ExamineSet(set);
    const std::string refusal = JoinRefusal(set, unreadable, report);
    return refusal.empty() ? 0 : Fail(io, refusal);
}

} // namespace

int InfoCommand(const CliOptions& options, CliIo& io) {
    if (!platform::pathExists(options.operand)) return Fail(io, "The specified input file does not exist.");
    if (!isSegmentPath(options.operand)) return Fail(io, "Please enter a valid split file pathname.");
    const SegmentPathParts segment(options.operand);
    std::vector<UnreadableMember> unreadable;
    const SegmentSet set = DiscoverSegments(options.operand, unreadable);
    const SetReport report = ExamineSet(set);
    std::FILE* out = io.out;
    std::fprintf(out, "set of %s, %d files (from %s)\n", Printable(segment.name + segment.extension).c_str(),
                 segment.segmentCount(), Printable(options.operand).c_str());
    for (const SetMember& m : report.members)
        std::fprintf(out, "  %6d  %s  %s bytes\n", m.number, Printable(m.path).c_str(),
                     FormatThousands(static_cast<std::uint64_t>(m.size)).c_str());
    for (const SetMember& m : report.outOfRange)
        std::fprintf(out, "  %6d  %s  %s bytes  (outside 1 to %d)\n", m.number, Printable(m.path).c_str(),
                     FormatThousands(static_cast<std::uint64_t>(m.size)).c_str(), report.count);
    for (const UnreadableMember& m : unreadable)
        std::fprintf(out, "          %s  cannot be read (%s)\n", Printable(m.path).c_str(), m.reason.c_str());
    std::fprintf(out, "members: %zu, total: %s bytes\n", set.size(),
                 FormatThousands(static_cast<std::uint64_t>(report.total)).c_str());
    if (!unreadable.empty()) std::fprintf(out, "unreadable: %zu\n", unreadable.size());
    std::fprintf(out, "missing: %s\n", NumberRanges(report.missing).c_str());
    if (report.duplicates.empty()) std::fprintf(out, "duplicates: none\n");
    for (const auto& [first, second] : report.duplicates)
        std::fprintf(out, "duplicates: number %d in %s and %s\n", first.number, Printable(first.path).c_str(),
                     Printable(second.path).c_str());
    JoinRequest probe;
    probe.sourcePath = options.operand;
    SetListing listing;
    const std::string listingProblem = FindSetListing(probe, report, listing);
    std::fprintf(out, "listing: %s\n",
                 listing.path.empty() ? (listingProblem.empty() ? "none" : "unusable")
                                      : Printable(listing.path).c_str());
    std::string refusal = JoinRefusal(set, unreadable, report);
    if (refusal.empty()) refusal = listingProblem;
    if (refusal.empty() && !OddSizeProblem(report).empty())
        refusal = OddSizeProblem(report) + " " + TEXT_FORCE_JOIN;
    if (refusal.empty()) {
        std::fprintf(out, "join: would start\n");
        return 0;
    }
    std::fprintf(out, "join: would not start: %s\n", OneLine(refusal).c_str());
    return 1;
}

int SumsCommand(const CliOptions& options, CliIo& io) {
    SetReport report;
    std::string sourceName;
    if (const int code = CheckedSet(options, io, report, sourceName)) return code;
    SetHashes hashes;
    if (const int code = HashSet(io, report, hashes)) return code;
    for (std::size_t i = 0; i < report.members.size(); ++i)
        std::fputs(ListingLine(hashes.members[i], report.members[i].path).c_str(), io.out);
    // The joined file where a join writes it by default, beside the members:
    // so that the listing checks from where it was written, before and after.
    std::fputs(ListingLine(hashes.joined, SegmentPathParts(options.operand).path()).c_str(), io.out);
    return 0;
}

int VerifyCommand(const CliOptions& options, CliIo& io) {
    // The listing first: a malformed one is reported before any reading.
    std::map<std::string, std::string> listed; // file name -> hash
    if (options.sumsFile) {
        errno = 0;
        std::ifstream listing(*options.sumsFile);
        if (!listing)
            return Fail(io,
                        WithReason("cannot read " + *options.sumsFile, errno ? std::strerror(errno) : ""));
        std::string line;
        for (int number = 1; std::getline(listing, line); ++number) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.empty()) continue;
            std::string hash, name;
            if (!ReadListingLine(line, hash, name))
                return Fail(io, formatted("%s: line %d is not a SHA-256 listing line",
                                          options.sumsFile->c_str(), number));
            listed[BaseName(name)] = hash;
        }
    }
    SetReport report;
    std::string sourceName;
    if (const int code = CheckedSet(options, io, report, sourceName)) return code;
    SetHashes hashes;
    if (const int code = HashSet(io, report, hashes)) return code;

    bool allGood = true;
    std::vector<std::string> differing;
    if (options.sumsFile) {
        for (std::size_t i = 0; i < report.members.size(); ++i) {
            const std::string& path = report.members[i].path;
            const auto entry = listed.find(BaseName(path));
            const char* verdict = "not in the listing";
            if (entry != listed.end()) verdict = entry->second == hashes.members[i] ? "OK" : "FAILED";
            if (entry != listed.end() && entry->second != hashes.members[i]) differing.push_back(path);
            if (entry == listed.end()) allGood = false;
            std::fprintf(io.out, "%s: %s\n", Printable(path).c_str(), verdict);
        }
    }
    std::string expected = options.sha256 ? AsciiLower(*options.sha256) : "";
    if (expected.empty() && listed.count(sourceName)) expected = listed[sourceName];
    if (!expected.empty()) {
        const bool match = expected == hashes.joined;
        std::fprintf(io.out, "joined %s: %s\n", Printable(sourceName).c_str(), match ? "OK" : "FAILED");
        allGood = allGood && match;
    }
    if (!differing.empty()) {
        allGood = false;
        std::string names;
        for (const auto& path : differing) names += (names.empty() ? "" : ", ") + path;
        std::fprintf(io.out, "the difference comes from: %s\n", Printable(names).c_str());
    }
    return allGood ? 0 : 1;
}

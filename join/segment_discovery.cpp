// Segment discovery: see segment_discovery.h.
#include "join/segment_discovery.h"

#include "core/segment_name.h"
#include "platform/platform.h"

namespace {

// The directory prefix of every candidate: that of the pattern base + ".*".
// The pattern holds a wildcard, so it never names a directory and its
// directory part is taken as written.
std::string PatternOf(const SegmentPathParts& selected) { return selected.path() + ".*"; }

} // namespace

SegmentSet SelectSetMembers(const std::string& segmentPath, const std::vector<std::string>& names,
                            const MeasureMember& measure, std::vector<UnreadableMember>& unreadable) {
    SegmentPathParts parts;
    parts.assign(segmentPath);
    const std::int32_t count = parts.segmentCount();
    const std::string sourceName = parts.name + parts.extension;
    PathParts patternParts;
    patternParts.split(PatternOf(parts));
    const std::string prefix = patternParts.drive + patternParts.directory;

    SegmentSet set;
    for (const std::string& name : names) {
        parts.assign(prefix + name);
        // The entry must stay a file name inside the prefix. A directory never
        // qualifies: assign makes it part of `directory`. Nor does a name that
        // the path rules read as more than a file name: "movie.avi.x\\movie.avi.03_of_12"
        // (a POSIX name may hold a backslash) or, after an empty prefix, "d:movie.avi.03_of_12".
        if (parts.drive + parts.directory != prefix) continue;
        if (!parts.isSegment() || parts.segmentCount() != count) continue;
        // movie.avi.old.03_of_12 belongs to another set than movie.avi.01_of_12.
        if (!platform::sameName(parts.name + parts.extension, sourceName)) continue;
        std::int64_t size = 0;
        std::string reason;
        if (measure(parts.fullPath(), size, reason))
            set[parts.fullPath()] = size;
        else
            unreadable.push_back({ parts.fullPath(), reason });
    }
    return set;
}

SegmentSet DiscoverSegments(const std::string& segmentPath, std::vector<UnreadableMember>& unreadable) {
    std::vector<std::string> names;
    if (!platform::listMatching(PatternOf(SegmentPathParts(segmentPath)), names)) return {};
    const auto measure = [](const std::string& path, std::int64_t& size, std::string& reason) {
        const platform::File member = platform::File::openRead(path, platform::Share::None);
        platform::Result why = member.failure();
        if (why) why = member.size(size);
        if (!why) reason = why.reason();
        if (why && !member.isRegular()) reason = "not a regular file: a pipe or a device";
        return why && reason.empty();
    };
    return SelectSetMembers(segmentPath, names, measure, unreadable);
}

SegmentSet DiscoverSegments(const std::string& segmentPath) {
    std::vector<UnreadableMember> unreadable;
    SegmentSet set = DiscoverSegments(segmentPath, unreadable);
    return unreadable.empty() ? set : SegmentSet {};
}

std::int64_t SetTotal(const SegmentSet& set) {
    std::int64_t total = 0;
    for (const auto& entry : set)
        if (__builtin_add_overflow(total, entry.second, &total)) return INT64_MAX;
    return total;
}

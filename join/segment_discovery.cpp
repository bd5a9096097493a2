// Segment discovery: see segment_discovery.h.
#include "join/segment_discovery.h"

#include "core/segment_name.h"
#include "platform/platform.h"

#include <vector>

SegmentSet DiscoverSegments(const std::string& segmentPath) {
    SegmentPathParts parts;
    parts.assign(segmentPath);
    const std::int32_t count = parts.suffixNumber(false);
    const std::string sourceName = parts.name + parts.extension;

    // The pattern holds a wildcard, so it never names a directory and its
    // directory part is taken as written.
    const std::string pattern = parts.path() + ".*";
    PathParts patternParts;
    patternParts.split(pattern);
    const std::string prefix = patternParts.drive + patternParts.directory;

    std::vector<std::string> names;
    if (!platform::listMatching(pattern, names)) return {};

    SegmentSet set;
    for (const std::string& name : names) {
        parts.assign(prefix + name);
        // A directory never qualifies: assign makes it part of `directory`.
        if (!parts.isSegment() || parts.suffixNumber(false) != count) continue;
        // movie.avi.old.03_of_12 belongs to another set than movie.avi.01_of_12.
        if (!platform::sameName(parts.name + parts.extension, sourceName)) continue;
        platform::File member = platform::File::openRead(parts.fullPath(), platform::Share::None);
        std::int64_t size = 0;
        if (!member.valid() || !member.size(size)) return {};
        set[parts.fullPath()] = size;
    }
    return set;
}

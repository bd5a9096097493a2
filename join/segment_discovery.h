// Segment discovery: from any one segment's path, the segments of the same
// split that lie beside it, each with its size.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// Full path of each member -> its size in bytes, ordered by the path's bytes.
using SegmentSet = std::map<std::string, std::int64_t>;

// A file that carries a member's name but cannot be measured as one: it cannot
// be opened (`reason` holds the system's words), or it is no regular file (a
// pipe, a device), whose size says nothing of what it yields.
struct UnreadableMember {
    std::string path;
    std::string reason;
};

// The members of the set that `segmentPath` belongs to: the files in its
// directory whose name is the same source name (as the file system compares
// names) followed by a segment suffix with the same count N. Each member is
// opened without sharing to measure it, so on Windows a member held open by
// another program cannot be measured. Those that cannot be measured are left
// out of the set and listed in `unreadable`. Never shows a message.
SegmentSet DiscoverSegments(const std::string& segmentPath, std::vector<UnreadableMember>& unreadable);

// The same, empty when nothing qualifies or any member cannot be measured.
SegmentSet DiscoverSegments(const std::string& segmentPath);

// Measures one candidate: true with its size, or false with the reason.
using MeasureMember = std::function<bool(const std::string& path, std::int64_t& size, std::string& reason)>;

// The part of discovery after the directory listing: the members among
// `names` (entry names of the selected segment's directory), each measured by
// `measure`; those it cannot measure go to `unreadable` instead. An entry that
// the path rules read as more than a file name in that directory (a backslash
// in a POSIX name, a drive after an empty directory) is no member.
SegmentSet SelectSetMembers(const std::string& segmentPath, const std::vector<std::string>& names,
                            const MeasureMember& measure, std::vector<UnreadableMember>& unreadable);

// The members' sizes added up; held at the largest 64-bit size when the sum
// would go beyond it (such a set is refused for want of space, never wrapped).
std::int64_t SetTotal(const SegmentSet& set);

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

// The members of the set that `segmentPath` belongs to: the files in its
// directory whose name is the same source name (as the file system compares
// names) followed by a segment suffix with the same count N. Each member is
// opened without sharing to measure it, so on Windows a member held open by
// another program spoils the whole discovery. Empty when nothing qualifies or
// any member cannot be opened or measured; it never shows a message.
SegmentSet DiscoverSegments(const std::string& segmentPath);

// The part of discovery after the directory listing: the members among
// `names` (entry names of the selected segment's directory), each measured by
// `measure`; empty as soon as one measurement fails. An entry that the path
// rules read as more than a file name in that directory (a backslash in a
// POSIX name, a drive after an empty directory) is no member.
SegmentSet SelectSetMembers(const std::string& segmentPath, const std::vector<std::string>& names,
                            const std::function<bool(const std::string& path, std::int64_t& size)>& measure);

// The members' sizes added up; held at the largest 64-bit size when the sum
// would go beyond it (such a set is refused for want of space, never wrapped).
std::int64_t SetTotal(const SegmentSet& set);

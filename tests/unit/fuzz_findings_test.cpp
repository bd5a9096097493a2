// What fuzzing found (fuzz/README.md): file names with a colon as their second
// character, listing entries that the path rules read as more than a file
// name, and counts written with many leading zeros.
#include "cli/options.h"
#include "core/segment_name.h"
#include "join/segment_discovery.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

// The file part before the suffix is a file name: a colon as its second
// character makes no drive, and nothing of it is dropped.
TEST(FuzzFindings, AColonInTheFileNameIsNoDrive) {
    const struct {
        const char* path;
        const char* drive;
        const char* directory;
        const char* name;
        const char* extension;
        const char* suffix;
    } cases[] = {
        { "/data/c:movie.avi.01_of_2", "", "/data/", "c:movie", ".avi", ".01_of_2" },
        { "C:\\data\\e:x.03_of_12", "C:", "\\data\\", "e:x", "", ".03_of_12" },
        { "C:d:x.01_of_2", "C:", "", "d:x", "", ".01_of_2" },
        { "dir/C:e.\xff", "", "dir/", "C:e", "", ".\xff" },
        { "dir/c:.e.1_of_2", "", "dir/", "c:", ".e", ".1_of_2" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const SegmentPathParts parts(c.path);
        EXPECT_EQ(parts.drive, c.drive);
        EXPECT_EQ(parts.directory, c.directory);
        EXPECT_EQ(parts.name, c.name);
        EXPECT_EQ(parts.extension, c.extension);
        EXPECT_EQ(parts.suffix, c.suffix);
        EXPECT_EQ(parts.fullPath(), c.path);
    }
}

// SelectSetMembers admits an entry only as a file name inside the selected
// segment's directory.
TEST(FuzzFindings, AnEntryThatReadsAsMoreThanAFileNameIsNoMember) {
    const struct {
        const char* selected;
        std::vector<std::string> names;
        std::vector<std::string> members;
    } cases[] = {
        { "x.02_of_12", { "x.01_of_12", "a:x.00_of_12", "x.02_of_12" }, { "x.01_of_12", "x.02_of_12" } },
        { "/no/such/dir/movie.avi.01_of_3",
          { "movie.avi.01_of_3", "movie.avi.x\\movie.avi.02_of_3", "movie.avi.03_of_3" },
          { "/no/such/dir/movie.avi.01_of_3", "/no/such/dir/movie.avi.03_of_3" } },
        { "/no/such/dir/c:x.y.01_of_5",
          { "c:x.y.02_of_5", "x.y.03_of_5", "c:x.y.04_of_5" },
          { "/no/such/dir/c:x.y.02_of_5", "/no/such/dir/c:x.y.04_of_5" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.selected);
        const SegmentSet set =
            SelectSetMembers(c.selected, c.names, [](const std::string&, std::int64_t& size) {
                size = 1;
                return true;
            });
        std::vector<std::string> keys;
        for (const auto& entry : set) keys.push_back(entry.first);
        EXPECT_EQ(keys, c.members);
    }
}

#ifndef _WIN32
// The same on a real POSIX directory, where both names are legal: the set of
// c:x.y is not mistaken for the set of x.y beside it, nor a name holding a
// backslash for a member.
TEST(FuzzFindings, DiscoveryKeepsSetsApartWhoseNamesDifferByAColonPrefix) {
    TempDir temp;
    WriteFile(temp.file("c:x.y.01_of_2"), PatternBytes(10, 1));
    WriteFile(temp.file("c:x.y.02_of_2"), PatternBytes(20, 2));
    WriteFile(temp.file("x.y.01_of_2"), PatternBytes(30, 3));
    WriteFile(temp.file("x.y.02_of_2"), PatternBytes(40, 4));
    WriteFile(temp.file("c:x.y.x\\c:x.y.02_of_2"), PatternBytes(50, 5));
    const SegmentSet set = DiscoverSegments(temp.file("c:x.y.01_of_2"));
    const SegmentSet expected = { { temp.file("c:x.y.01_of_2"), 10 }, { temp.file("c:x.y.02_of_2"), 20 } };
    EXPECT_EQ(set, expected);
}
#endif

TEST(FuzzFindings, LeadingZerosDoNotLimitACount) {
    const struct {
        const char* text;
        bool valid;
        std::uint32_t count;
    } cases[] = {
        { "0000000000000000000012", true, 12 },
        { "000000000000000000000000004294967295", true, 4294967295u },
        { "000000000000000000000000004294967296", false, 0 },
        { "000000000000000000000", true, 0 },
    };
    for (const auto& c : cases) {
        std::uint32_t count = 12345;
        EXPECT_EQ(ParseFileCount(c.text, count), c.valid) << c.text;
        if (c.valid) {
            EXPECT_EQ(count, c.count) << c.text;
        }
    }
}

} // namespace

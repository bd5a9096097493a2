// Segment discovery over real directories: which names belong to a set, their
// order and sizes, and when discovery gives nothing.
#include "core/format_text.h"
#include "join/segment_discovery.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Discovery : public ::testing::Test {
protected:
    TempDir temp;

    std::string Make(const std::string& name, std::size_t size = 3) {
        WriteFile(temp.file(name), PatternBytes(size));
        return temp.file(name);
    }

    // The file names of a set's keys, in the set's order.
    static std::vector<std::string> Names(const SegmentSet& set) {
        std::vector<std::string> names;
        for (const auto& entry : set) names.push_back(std::filesystem::path(entry.first).filename().string());
        return names;
    }
};

TEST_F(Discovery, FindsEveryMemberInOrderWithItsSizeAndNothingElse) {
    for (int k = 1; k <= 12; ++k)
        Make(formatted("movie.avi.%02d_of_12", k), static_cast<std::size_t>(100 + k));
    Make("movie.avi");                                                  // the unsplit file
    Make("movie.avi.03_of_10");                                         // another count
    Make("movie.avi.old.03_of_12");                                     // another source name
    Make("other.avi.01_of_12");                                         // another file altogether
    Make("movie.avi.03_of_12.bak");                                     // not a segment suffix
    Make("movie.avi.3_OF_12");                                          // not a segment suffix (case)
    std::filesystem::create_directory(temp.file("movie.avi.13_of_12")); // a folder named like a segment

    for (const char* selected : { "movie.avi.01_of_12", "movie.avi.07_of_12", "movie.avi.12_of_12" }) {
        const SegmentSet set = DiscoverSegments(temp.file(selected));
        ASSERT_EQ(set.size(), 12u) << selected;
        int k = 1;
        for (const auto& [path, size] : set) {
            EXPECT_EQ(path, temp.file(formatted("movie.avi.%02d_of_12", k)));
            EXPECT_EQ(size, 100 + k);
            ++k;
        }
    }
}

TEST_F(Discovery, UnpaddedAndDoubledNumbersAreKeptUnderTheirOwnKeysInByteOrder) {
    for (int k = 1; k <= 12; ++k) Make(formatted("x.%d_of_12", k));
    Make("x.03_of_12");
    const auto names = Names(DiscoverSegments(temp.file("x.2_of_12")));
    const std::vector<std::string> expected = { "x.03_of_12", "x.10_of_12", "x.11_of_12", "x.12_of_12",
                                                "x.1_of_12",  "x.2_of_12",  "x.3_of_12",  "x.4_of_12",
                                                "x.5_of_12",  "x.6_of_12",  "x.7_of_12",  "x.8_of_12",
                                                "x.9_of_12" };
    EXPECT_EQ(names, expected);
}

TEST_F(Discovery, ANonSegmentSelectsOnlyNamesWithoutACount) {
    // "data.bin" reads as the source "data" with the suffix ".bin", whose count is 0.
    Make("data.bin");
    Make("data.1_of_2");
    Make("data.12_of_");
    Make("data.13_of_");
    Make("data.bin.12_of_"); // the source "data.bin": another set
    EXPECT_EQ(Names(DiscoverSegments(temp.file("data.bin"))),
              (std::vector<std::string> { "data.12_of_", "data.13_of_" }));
}

TEST_F(Discovery, NothingFoundGivesAnEmptySet) {
    EXPECT_TRUE(DiscoverSegments(temp.file("gone.avi.01_of_12")).empty());
    EXPECT_TRUE(DiscoverSegments(temp.file("missing-dir") + platform::PATH_SEPARATOR + "a.1_of_2").empty());
    EXPECT_TRUE(DiscoverSegments("").empty());
    const std::string dirOnly = temp.file("folder.01_of_2");
    std::filesystem::create_directory(dirOnly);
    EXPECT_TRUE(DiscoverSegments(dirOnly).empty());
}

TEST_F(Discovery, ARelativePathGivesRelativeKeys) {
    Make("rel.txt.1_of_2");
    Make("rel.txt.2_of_2");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(temp.path());
    const SegmentSet set = DiscoverSegments("rel.txt.2_of_2");
    std::filesystem::current_path(previous);
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set.begin()->first, "rel.txt.1_of_2");
}

#ifdef _WIN32
TEST_F(Discovery, NamesMatchAsTheFileSystemComparesThem) {
    Make("movie.avi.1_of_3");
    Make("MOVIE.AVI.2_of_3");
    Make("Movie.Avi.3_of_3");
    EXPECT_EQ(DiscoverSegments(temp.file("movie.avi.1_of_3")).size(), 3u);
}

TEST_F(Discovery, AMemberHeldOpenElsewhereSpoilsTheWholeSet) {
    Make("a.bin.1_of_2");
    const std::string held = Make("a.bin.2_of_2");
    platform::File holder = platform::File::openRead(held, platform::Share::Read);
    EXPECT_TRUE(DiscoverSegments(temp.file("a.bin.1_of_2")).empty());
    holder.close();
    EXPECT_EQ(DiscoverSegments(temp.file("a.bin.1_of_2")).size(), 2u);
}
#else
TEST_F(Discovery, NamesMatchAsTheFileSystemComparesThem) {
    Make("movie.avi.1_of_3");
    Make("MOVIE.AVI.2_of_3"); // another name on a case-sensitive file system
    EXPECT_EQ(Names(DiscoverSegments(temp.file("movie.avi.1_of_3"))),
              (std::vector<std::string> { "movie.avi.1_of_3" }));
}
#endif

TEST_F(Discovery, TenThousandMembersAmongOtherFiles) {
    for (int k = 1; k <= 10000; ++k) Make(formatted("big.iso.%05d_of_10000", k), 1);
    for (int k = 1; k <= 500; ++k) Make(formatted("big.iso.%05d_of_9999", k), 1);
    for (int k = 1; k <= 500; ++k) Make(formatted("other.%d", k), 1);
    const SegmentSet set = DiscoverSegments(temp.file("big.iso.05000_of_10000"));
    ASSERT_EQ(set.size(), 10000u);
    EXPECT_EQ(set.begin()->first, temp.file("big.iso.00001_of_10000"));
    EXPECT_EQ(set.rbegin()->first, temp.file("big.iso.10000_of_10000"));
}

} // namespace

// Path parts, segment suffixes and segment path composition.
#include "core/segment_name.h"
#include "platform/platform.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct SegmentCase {
    const char* path;
    const char* drive;
    const char* directory;
    const char* name;
    const char* extension;
    const char* suffix;
    bool isSegment;
    int k;
    int n;
};

const SegmentCase SEGMENT_CASES[] = {
    { "C:\\data\\movie.avi.03_of_12", "C:", "\\data\\", "movie", ".avi", ".03_of_12", true, 3, 12 },
    { "C:\\data\\movie.avi", "C:", "\\data\\", "movie", "", ".avi", false, 0, 0 },
    { "archive.tar.gz", "", "", "archive", ".tar", ".gz", false, 0, 0 },
    { "\\\\srv\\share\\README.1_of_2", "", "\\\\srv\\share\\", "README", "", ".1_of_2", true, 1, 2 },
    { "x.007_of_9", "", "", "x", "", ".007_of_9", true, 7, 9 },
    { "x.12_of_", "", "", "x", "", ".12_of_", true, 12, 0 },
    { "x.1_of_", "", "", "x", "", ".1_of_", false, 0, 0 },
    { "x.01_OF_12", "", "", "x", "", ".01_OF_12", false, 0, 0 },
    { "x.01_of_12b", "", "", "x", "", ".01_of_12b", false, 0, 0 },
    { "C:/data/movie.avi.03_of_12", "C:", "/data/", "movie", ".avi", ".03_of_12", true, 3, 12 },
    { "x.0_of_3", "", "", "x", "", ".0_of_3", true, 0, 3 },
    { "x.5_of_3", "", "", "x", "", ".5_of_3", true, 5, 3 },
    { "x._of_12", "", "", "x", "", "._of_12", false, 0, 0 },
    { "x.12of_12", "", "", "x", "", ".12of_12", false, 0, 0 },
    { "x.99999999999_of_99999999999", "", "", "x", "", ".99999999999_of_99999999999", true, 2147483647,
      2147483647 },
    { "x.2147483647_of_2147483648", "", "", "x", "", ".2147483647_of_2147483648", true, 2147483647,
      2147483647 },
    { "archive.tar.gz.01_of_12", "", "", "archive.tar", ".gz", ".01_of_12", true, 1, 12 },
    { "dir.d\\README.01_of_12", "", "dir.d\\", "README", "", ".01_of_12", true, 1, 12 },
    { ".profile", "", "", "", "", ".profile", false, 0, 0 },
    { "", "", "", "", "", "", false, 0, 0 },
    { "C:", "C:", "", "", "", "", false, 0, 0 },
    { "C:\\", "C:", "\\", "", "", "", false, 0, 0 },
};

TEST(SegmentPathParts, SplitsAndReadsEveryWorkedExample) {
    for (const auto& c : SEGMENT_CASES) {
        SCOPED_TRACE(c.path);
        const SegmentPathParts parts(c.path);
        EXPECT_EQ(parts.drive, c.drive);
        EXPECT_EQ(parts.directory, c.directory);
        EXPECT_EQ(parts.name, c.name);
        EXPECT_EQ(parts.extension, c.extension);
        EXPECT_EQ(parts.suffix, c.suffix);
        EXPECT_EQ(parts.isSegment(), c.isSegment);
        EXPECT_EQ(isSegmentPath(c.path), c.isSegment);
        EXPECT_EQ(parts.suffixNumber(true), c.k);
        EXPECT_EQ(parts.suffixNumber(false), c.n);
        EXPECT_EQ(parts.fullPath(), c.path); // nothing here names an existing directory
    }
}

TEST(SegmentPathParts, RecoversSourcePathAndNameFromSegment) {
    const SegmentPathParts segment("C:\\data\\movie.avi.03_of_12");
    EXPECT_EQ(segment.path(), "C:\\data\\movie.avi");
    EXPECT_EQ(segment.name + segment.extension, "movie.avi");

    const SegmentPathParts noExtension("D:\\x\\README.07_of_12");
    EXPECT_EQ(noExtension.path(), "D:\\x\\README");

    const SegmentPathParts severalDots("D:\\x\\archive.tar.gz.01_of_12");
    EXPECT_EQ(severalDots.path(), "D:\\x\\archive.tar.gz");
}

TEST(SegmentPathParts, AssignReplacesEveryField) {
    SegmentPathParts parts("C:\\data\\movie.avi.03_of_12");
    parts.assign("y.txt");
    EXPECT_EQ(parts.drive, "");
    EXPECT_EQ(parts.directory, "");
    EXPECT_EQ(parts.name, "y");
    EXPECT_EQ(parts.extension, "");
    EXPECT_EQ(parts.suffix, ".txt");
}

TEST(SegmentSuffix, IsBuiltPaddedToTheDigitsOfTheCount) {
    struct Case {
        std::uint32_t index, count;
        const char* suffix;
    };
    const Case cases[] = {
        { 0, 1, ".1_of_1" },
        { 0, 9, ".1_of_9" },
        { 8, 9, ".9_of_9" },
        { 0, 10, ".01_of_10" },
        { 9, 10, ".10_of_10" },
        { 2, 12, ".03_of_12" },
        { 0, 100, ".001_of_100" },
        { 99, 100, ".100_of_100" },
        { 0, 1000000000, ".0000000001_of_1000000000" },
        { 4294967294u, 4294967295u, ".4294967295_of_4294967295" },
        { 12, 9, ".13_of_9" },                  // more digits than the count: written whole
        { 4294967295u, 5, ".4294967296_of_5" }, // the number past 32 bits is not wrapped
        { 0, 0, ".1_of_0" },
    };
    for (const auto& c : cases) {
        SegmentPathParts parts;
        parts.setSegmentSuffix(c.index, c.count);
        EXPECT_EQ(parts.suffix, c.suffix) << c.index << " of " << c.count;
    }
}

TEST(SegmentSuffix, EverySuffixBuiltReadsBackItsNumbers) {
    for (std::uint32_t count : { 1u, 2u, 9u, 10u, 99u, 100u, 1000u, 65536u, 2147483647u }) {
        for (std::uint32_t index : { 0u, count / 2, count - 1 }) {
            SegmentPathParts parts;
            parts.setSegmentSuffix(index, count);
            ASSERT_TRUE(parts.isSegment()) << parts.suffix;
            EXPECT_EQ(parts.suffixNumber(true), static_cast<std::int32_t>(index + 1));
            EXPECT_EQ(parts.suffixNumber(false), static_cast<std::int32_t>(count));
        }
    }
}

TEST(PathParts, PartsLongerThanTheirLimitLeaveEverythingEmpty) {
    const std::string longPart(PATH_PART_LIMIT + 1, 'a');
    const std::string fits(PATH_PART_LIMIT, 'a');
    const struct {
        std::string path;
        bool empty;
    } cases[] = {
        { "C:\\d\\" + longPart + ".avi", true },
        { "C:\\d\\" + fits + ".avi", false },
        { "C:\\" + longPart + "\\x.avi", true },
        { "C:\\" + std::string(PATH_PART_LIMIT - 2, 'd') + "\\x.avi", false },
        { "C:\\x." + longPart, true },
    };
    for (const auto& c : cases) {
        PathParts parts;
        parts.split(c.path);
        EXPECT_EQ(parts.path().empty(), c.empty) << c.path.size();
        const SegmentPathParts segment(c.path);
        EXPECT_EQ(segment.fullPath().empty(), c.empty);
    }
}

// Shift-JIS lead bytes; their trail bytes include `\` (0x5C).
bool ShiftJisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
// A made-up code page in which 0xA0 leads a pair whose trail byte may be a dot.
bool DotTrailLead(unsigned char c) { return c == 0xA0; }

TEST(PathParts, TrailBytesOfDoubleByteCharactersAreNeverSeparatorsOrDots) {
    PathParts parts;
    // "\x83\x5C" is one Shift-JIS character whose second byte is a backslash.
    ASSERT_TRUE(detail::SplitPathText("C:\\dir\\\x83\x5C.avi", ShiftJisLead, parts));
    EXPECT_EQ(parts.directory, "\\dir\\");
    EXPECT_EQ(parts.name, "\x83\x5C");
    EXPECT_EQ(parts.extension, ".avi");

    ASSERT_TRUE(detail::SplitPathText("\x83\x5C\x83\x5C", ShiftJisLead, parts));
    EXPECT_EQ(parts.directory, "");
    EXPECT_EQ(parts.name, "\x83\x5C\x83\x5C");

    ASSERT_TRUE(detail::SplitPathText("a\xA0.b", DotTrailLead, parts));
    EXPECT_EQ(parts.name, "a\xA0.b");
    EXPECT_EQ(parts.extension, "");

    // A lead byte at the very end has no trail byte to take along.
    ASSERT_TRUE(detail::SplitPathText("dir\\a.b\xA0", DotTrailLead, parts));
    EXPECT_EQ(parts.name, "a");
    EXPECT_EQ(parts.extension, ".b\xA0");

    // Without the skipping, the same bytes split differently.
    auto none = [](unsigned char) { return false; };
    ASSERT_TRUE(detail::SplitPathText("C:\\dir\\\x83\x5C.avi", none, parts));
    EXPECT_EQ(parts.directory, "\\dir\\\x83\\");
}

class DirectoryAdjustment : public ::testing::Test {
protected:
    TempDir temp;
    const std::string sep { platform::PATH_SEPARATOR };
};

TEST_F(DirectoryAdjustment, ExistingDirectoriesEndUpAsDirectoriesHoweverWritten) {
    std::filesystem::create_directory(temp.file("out"));
    std::filesystem::create_directory(temp.file("out.d"));
    std::filesystem::create_directory(temp.file("backup.old.03_of_12"));
    const struct {
        std::string path;
        std::string directoryEnd;
    } cases[] = {
        { temp.file("out"), "out" + sep },
        { temp.file("out") + sep, "out" + sep },
        { temp.file("out") + "/", "out/" },
        { temp.file("out.d"), "out.d" + sep },
        { temp.file("backup.old.03_of_12"), "backup.old.03_of_12" + sep },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SegmentPathParts parts(c.path);
        EXPECT_TRUE(parts.name.empty());
        EXPECT_TRUE(parts.extension.empty());
        EXPECT_TRUE(parts.suffix.empty());
        EXPECT_FALSE(parts.isSegment());
        ASSERT_GE(parts.directory.size(), c.directoryEnd.size());
        EXPECT_EQ(parts.directory.substr(parts.directory.size() - c.directoryEnd.size()), c.directoryEnd);
    }
}

TEST_F(DirectoryAdjustment, FilesAndMissingPathsKeepTheirLastComponent) {
    WriteFile(temp.file("movie.avi.03_of_12"), { 1, 2, 3 });
    for (const std::string name : { "movie.avi.03_of_12", "missing.avi.03_of_12" }) {
        SegmentPathParts parts(temp.file(name));
        EXPECT_EQ(parts.name, "movie" == name.substr(0, 5) ? "movie" : "missing");
        EXPECT_EQ(parts.extension, ".avi");
        EXPECT_EQ(parts.suffix, ".03_of_12");
        EXPECT_TRUE(parts.isSegment());
        EXPECT_EQ(parts.fullPath(), temp.file(name));
    }
    // A wildcard pattern never names a directory.
    std::filesystem::create_directory(temp.file("x.d"));
    PathParts pattern;
    pattern.split(temp.file("x.*"));
    EXPECT_EQ(pattern.name, "x");
    EXPECT_EQ(pattern.extension, ".*");
}

TEST_F(DirectoryAdjustment, SegmentPathsLandInsideTheOutputDirectory) {
    std::filesystem::create_directory(temp.file("out"));
    std::filesystem::create_directory(temp.file("backup.old"));
    const std::string inside = temp.file("out") + sep + "movie.avi.03_of_12";
    EXPECT_EQ(ComposeSegmentPath("D:\\in\\movie.avi", temp.file("out"), 2, 12), inside);
    EXPECT_EQ(ComposeSegmentPath("D:\\in\\movie.avi", temp.file("out") + sep, 2, 12), inside);
    EXPECT_EQ(ComposeSegmentPath("/in/movie.avi", temp.file("backup.old"), 0, 3),
              temp.file("backup.old") + sep + "movie.avi.1_of_3");
    EXPECT_EQ(ComposeSegmentPath("README", temp.file("out"), 0, 100),
              temp.file("out") + sep + "README.001_of_100");
    EXPECT_EQ(ComposeSegmentPath("a\\archive.tar.gz", temp.file("out"), 11, 12),
              temp.file("out") + sep + "archive.tar.gz.12_of_12");
}

TEST_F(DirectoryAdjustment, AVanishedOutputDirectoryIsStillTheDirectory) {
    // Composing into a directory that no longer exists must not put the segment
    // into its parent: the path keeps the directory, and creating it fails.
    for (const std::string missing : { "gone", "gone.d", "gone.01_of_12" })
        EXPECT_EQ(ComposeSegmentPath("movie.avi", temp.file(missing), 0, 2),
                  temp.file(missing) + sep + "movie.avi.1_of_2")
            << missing;
}

TEST(ComposeSegmentPath, DriveOnlyAndRootDirectories) {
    EXPECT_EQ(ComposeSegmentPath("C:\\data\\movie.avi", "D:", 0, 12), "D:movie.avi.01_of_12");
    EXPECT_EQ(ComposeSegmentPath("C:\\data\\movie.avi", "C:\\", 0, 12), "C:\\movie.avi.01_of_12");
}

} // namespace

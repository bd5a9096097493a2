// Segment names: reading a path as directory, source name and ".k_of_N"
// suffix, and composing the path of segment k of N (fuzzing's findings are
// rows here: a colon inside a file name, long parts).
#include "core/format_text.h"
#include "core/segment_name.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

namespace {

struct NameRow {
    std::string path;
    const char* read;   // "k/N" as read back, "-" when no segment
    std::string source; // drive + directory, "|", source file name
    bool composed;      // ComposeSegmentPath(source, directory, k - 1, N) gives `path`
    const char* posixSource = nullptr; // `source` where only `/` separates and there are no drives
};

const NameRow NAME_ROWS[] = {
    // clang-format off
    { "C:\\data\\movie.avi.03_of_12", "3/12", "C:\\data\\|movie.avi", true, "|C:\\data\\movie.avi" },
    { "\\\\srv\\share\\README.1_of_2", "1/2", "\\\\srv\\share\\|README", true, "|\\\\srv\\share\\README" },
    { "dir.d/archive.tar.gz.001_of_100", "1/100", "dir.d/|archive.tar.gz", true },
    { "D:movie.avi.12_of_12", "12/12", "D:|movie.avi", true, "|D:movie.avi" }, { "x.1_of_1", "1/1", "|x", true },
    { "x.0000000001_of_1000000000", "1/1000000000", "|x", true }, { "x.007_of_9", "7/9", "|x", false },
    { "x.12_of_", "12/0", "|x", false }, { "x.0_of_3", "0/3", "|x", false },
    { "x.99999999999_of_2147483648", "2147483647/2147483647", "|x", false }, { "x.1_of_", "-", "|x", false },
    { "x._of_12", "-", "|x", false }, { "x.01_OF_12", "-", "|x", false }, { "x.01_of_12b", "-", "|x", false },
    { "C:\\data\\movie.avi", "-", "C:\\data\\|movie", false, "|C:\\data\\movie" }, { "", "-", "|", false },
    { "/data/c:movie.avi.1_of_2", "1/2", "/data/|c:movie.avi", true }, { "C:d:x.1_of_2", "1/2", "C:|d:x", true, "|C:d:x" },
    { "C:\\d\\caf\xC3\xA9 \xE6\x97\xA5.v1.avi.03_of_12", "3/12", "C:\\d\\|caf\xC3\xA9 \xE6\x97\xA5.v1.avi", true, "|C:\\d\\caf\xC3\xA9 \xE6\x97\xA5.v1.avi" },
    { "d/back\\slash.bin.1_of_2", "1/2", "d/back\\|slash.bin", true, "d/|back\\slash.bin" },
    { std::string(255, 'n') + ".1_of_2", "1/2", std::string("|").append(255, 'n'), true },
    { std::string(256, 'n') + ".1_of_2", "-", "|", false }, // a part past 255 characters: nothing
    // clang-format on
};

TEST(SegmentNames, ReadBackAndComposed) {
    for (const NameRow& r : NAME_ROWS) {
        SCOPED_TRACE(r.path);
        const SegmentPathParts parts(r.path);
        const int k = parts.segmentNumber(), n = parts.segmentCount();
        EXPECT_EQ(isSegmentPath(r.path) ? formatted("%d/%d", k, n) : "-", r.read);
        const std::string dir = parts.drive + parts.directory;
        const bool posix = !platform::WINDOWS_PATHS && r.posixSource;
        EXPECT_EQ(dir + "|" + parts.name + parts.extension, posix ? r.posixSource : r.source);
        const std::string path =
            ComposeSegmentPath(parts.path(), dir, std::uint32_t(k - 1), std::uint32_t(n));
        EXPECT_EQ(r.composed ? path : r.path, r.path);
    }
    // An output directory gone since its check stays the directory: nothing lands in its parent.
    EXPECT_EQ(ComposeSegmentPath("a.avi", "gone.d", 0, 2),
              std::string("gone.d") + platform::PATH_SEPARATOR + "a.avi.1_of_2");
}

} // namespace

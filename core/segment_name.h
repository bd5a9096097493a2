// Segment names and the path record they rest on: splitting a path into drive,
// directory, name and extension, recognising and reading the ".k_of_N" suffix,
// and composing the path of segment k of N.
#pragma once

#include <cstdint>
#include <string>

// A path split into four parts; drive + directory + name + extension gives the
// path back (see split for the two exceptions).
struct PathParts {
    std::string drive;     // "C:" or empty
    std::string directory; // up to and including the last separator, or empty
    std::string name;      // the file part before its last dot
    std::string extension; // the last dot and what follows it, or empty

    // Fills all four fields from `path`. `/` separates, and on Windows `\` as
    // well, after an optional drive (none on POSIX); the lead byte
    // of a double-byte character is skipped with its trail byte. When the file
    // part is not empty and the whole path names an existing directory, the file
    // part moves into `directory` followed by one `\`. A directory, name or
    // extension longer than 255 characters leaves all four fields empty.
    void split(const std::string& path);

    std::string path() const { return drive + directory + name + extension; }
};

// Longest directory, name or extension that split accepts.
constexpr std::size_t PATH_PART_LIMIT = 255;

// A PathParts with one more field: the last extension of the path, which is the
// segment suffix when the path names a segment. In a segment's record, `name` +
// `extension` is the source file name and path() the source path beside it.
struct SegmentPathParts : PathParts {
    std::string suffix;

    SegmentPathParts() = default;
    explicit SegmentPathParts(const std::string& path) { assign(path); }

    // Replaces all five fields with those built from `path`: split, then the
    // file part before the suffix split once more into name and extension (a
    // file name has no drive: "c:x" stays the name "c:x").
    void assign(const std::string& path);

    std::string fullPath() const { return path() + suffix; }
    std::string fileName() const { return name + extension + suffix; } // without the directory

    // True when `suffix` has the form ".<digits>_of_<digits>" (at least 7
    // characters; the digits after "_of_" may be absent).
    bool isSegment() const;

    // k and N of the suffix ".k_of_N"; 0 when not a segment; values above
    // 2147483647 read as 2147483647.
    std::int32_t segmentNumber() const;
    std::int32_t segmentCount() const;

    // Sets `suffix` to that of segment index + 1 of `count`, the number padded
    // with zeros to the digit count of `count` and never cut.
    void setSegmentSuffix(std::uint32_t index, std::uint32_t count);
};

bool isSegmentPath(const std::string& path);

// The drive and directory of a path that names a directory, ending in a
// separator unless it is empty or a bare drive ("D:"): "C:\\out" and "C:\\out\\"
// both give "C:\\out\\". A file is never put beside the directory instead of
// into it: a path that no longer names a directory, or whose parts exceed
// their limits, is still taken as the directory.
std::string DirectoryPrefix(const std::string& directoryPath);

// The path of segment `index` (0-based) of `count` for `sourcePath`, written into
// `outputDir`: the source's file name and the segment suffix, inside the
// directory (named with or without a trailing separator).
std::string ComposeSegmentPath(const std::string& sourcePath, const std::string& outputDir,
                               std::uint32_t index, std::uint32_t count);

// Number of decimal digits of `value` (1 for 0).
unsigned DecimalDigits(std::uint32_t value);

namespace detail {
// PathParts::split without its directory query (drive, directory, name and
// extension from the text alone), with the lead-byte test passed in so that tests can use the
// table of any code page. Returns false when a part exceeds its limit.
bool SplitPathText(const std::string& path, bool (*isLeadByte)(unsigned char), PathParts& out);
} // namespace detail

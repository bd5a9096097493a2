// libFuzzer target: path splitting, segment suffixes and segment path
// composition, each checked against a second, independent reading of the rules.
//
// Input: lead-byte range (2 bytes: first, last), segment index and count
// (4 bytes each, little-endian), then the path, a newline, and an output
// directory.
#include "core/segment_name.h"
#include "fuzz/fuzz_support.h"
#include "platform/platform.h"

#include <array>
#include <cstring>
#include <vector>

namespace {

using LeadTable = std::array<bool, 256>;

LeadTable gLead {}; // the table SplitPathText is given; a function pointer carries no state
bool TableLeadByte(unsigned char byte) { return gLead[byte]; }

struct Reference {
    bool withinLimits = false;
    std::string drive, directory, name, extension;
};

// Steps 1 to 3 of the path rules, built on a list of characters (one or two
// bytes each) instead of a byte scan with skips.
Reference ReferenceSplit(const std::string& path, const LeadTable& lead) {
    Reference ref;
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        ref.drive = path.substr(0, 2);
        start = 2;
    }
    std::vector<std::string> chars;
    for (std::size_t i = start; i < path.size();) {
        const std::size_t length = lead[static_cast<unsigned char>(path[i])] && i + 1 < path.size() ? 2 : 1;
        chars.push_back(path.substr(i, length));
        i += length;
    }
    std::size_t fileFrom = 0; // index of the first character of the file part
    for (std::size_t c = 0; c < chars.size(); ++c)
        if (chars[c] == "\\" || chars[c] == "/") fileFrom = c + 1;
    std::size_t dot = chars.size(); // last "." of the file part, or none
    for (std::size_t c = fileFrom; c < chars.size(); ++c)
        if (chars[c] == ".") dot = c;
    for (std::size_t c = 0; c < chars.size(); ++c)
        (c < fileFrom ? ref.directory : c < dot ? ref.name : ref.extension) += chars[c];
    ref.withinLimits = ref.directory.size() <= 255 && ref.name.size() <= 255 && ref.extension.size() <= 255;
    return ref;
}

bool SameParts(const PathParts& parts, const Reference& ref) {
    return parts.drive == ref.drive && parts.directory == ref.directory && parts.name == ref.name &&
           parts.extension == ref.extension;
}

bool AllEmpty(const PathParts& parts) {
    return parts.drive.empty() && parts.directory.empty() && parts.name.empty() && parts.extension.empty();
}

std::string Describe(const std::string& text) {
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        char hex[8];
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out += static_cast<char>(c);
        else {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

void CheckPathText(const std::string& path) {
    // Any code page's table: the text rules alone, with the table passed in.
    PathParts text;
    const bool within = detail::SplitPathText(path, TableLeadByte, text);
    const Reference ref = ReferenceSplit(path, gLead);
    Require(within == ref.withinLimits, "SplitPathText refuses exactly the parts beyond 255", Describe(path));
    if (!within) {
        Require(AllEmpty(text), "a refused split leaves every part empty", Describe(path));
        return;
    }
    Require(text.path() == path, "drive + directory + name + extension give the path back", Describe(path));
    Require(SameParts(text, ref), "the split never cuts inside a double-byte character", Describe(path));
}

// What the platform's split gives: the text rules with the platform's table,
// then the directory adjustment.
Reference ExpectedSplit(const std::string& path) {
    LeadTable platformLead {};
    for (int b = 0; b < 256; ++b)
        platformLead[static_cast<std::size_t>(b)] = platform::isLeadByte(static_cast<unsigned char>(b));
    Reference ref = ReferenceSplit(path, platformLead);
    if (!ref.withinLimits) return Reference {};
    const std::string file = ref.name + ref.extension;
    if (!file.empty() && platform::isDirectory(path)) {
        ref.directory += file + platform::PATH_SEPARATOR;
        ref.name.clear();
        ref.extension.clear();
    }
    return ref;
}

void CheckSegmentPath(const std::string& path, const Reference& split) {
    const SegmentPathParts parts(path);
    Require(parts.suffix == split.extension, "the suffix is the path's last extension", Describe(path));
    Require(parts.drive == split.drive && parts.directory == split.directory,
            "a segment's drive and directory are the path's", Describe(path));
    // The file part before the suffix is a file name: it has no drive, and its
    // extension is its last dot onwards.
    Require(parts.name + parts.extension == split.name, "name + extension is the file part before the suffix",
            Describe(path));
    const std::size_t dot = split.name.rfind('.');
    Require(parts.extension == (dot == std::string::npos ? std::string() : split.name.substr(dot)),
            "the extension before the suffix is the last dot onwards", Describe(path));
    Require(parts.fullPath() == split.drive + split.directory + split.name + split.extension,
            "fullPath gives the split path back", Describe(path));

    const bool segment = LooksLikeSegmentSuffix(parts.suffix);
    Require(parts.isSegment() == segment, "isSegment recognises exactly .<digits>_of_<digits>",
            Describe(parts.suffix));
    Require(isSegmentPath(path) == segment, "isSegmentPath agrees with isSegment", Describe(path));
    std::int32_t k = 0, n = 0;
    if (segment) {
        const std::size_t of = parts.suffix.find("_of_");
        k = SaturatedDecimal(parts.suffix.substr(1, of - 1));
        n = SaturatedDecimal(parts.suffix.substr(of + 4));
    }
    Require(parts.suffixNumber(true) == k, "k reads as its decimal value, saturated", Describe(parts.suffix));
    Require(parts.suffixNumber(false) == n, "N reads as its decimal value, saturated",
            Describe(parts.suffix));
}

std::int32_t Saturated(std::uint64_t value) {
    return value > 2147483647u ? 2147483647 : static_cast<std::int32_t>(value);
}

void CheckSuffix(std::uint32_t index, std::uint32_t count) {
    SegmentPathParts parts;
    parts.setSegmentSuffix(index, count);
    const std::string number = std::to_string(std::uint64_t { index } + 1);
    const std::string countText = std::to_string(count);
    const std::size_t width = countText.size();
    const std::string padded =
        number.size() < width ? std::string(width - number.size(), '0') + number : number;
    Require(parts.suffix == "." + padded + "_of_" + countText,
            "the suffix is k padded to the digits of N, then N", parts.suffix);
    Require(DecimalDigits(count) == width, "DecimalDigits counts the digits of N", countText);
    Require(parts.isSegment(), "a built suffix is a segment suffix", parts.suffix);
    Require(parts.suffixNumber(true) == Saturated(std::uint64_t { index } + 1), "a built suffix reads back k",
            parts.suffix);
    Require(parts.suffixNumber(false) == Saturated(count), "a built suffix reads back N", parts.suffix);
}

void CheckComposition(const std::string& source, const Reference& sourceSplit, const std::string& outputDir,
                      std::uint32_t index, std::uint32_t count) {
    const std::string prefix = DirectoryPrefix(outputDir);
    Require(prefix == outputDir || prefix == outputDir + platform::PATH_SEPARATOR,
            "the directory prefix is the directory as written, with a separator added at most",
            Describe(outputDir));
    const bool bareDrive = prefix.size() == 2 && prefix[1] == ':';
    Require(prefix.empty() || bareDrive || prefix.back() == '\\' || prefix.back() == '/',
            "the directory prefix ends in a separator unless empty or a bare drive", Describe(outputDir));

    SegmentPathParts suffix;
    suffix.setSegmentSuffix(index, count);
    const std::string sourceName = sourceSplit.name + sourceSplit.extension;
    const std::string composed = ComposeSegmentPath(source, outputDir, index, count);
    Require(composed == prefix + sourceName + suffix.suffix,
            "a segment path is the directory, the source name and the suffix", Describe(composed));

    // Read back, the segment names its source and its place in the set; an
    // empty directory (the current one) is no output directory a job accepts.
    // The drive rule reads any character before a colon: the root "/" before a
    // name that starts with a colon reads as the drive "/:" (a limit of the
    // Windows path rules on POSIX, see README.md).
    if (prefix.empty() || (prefix.size() == 1 && composed[1] == ':')) return;
    if (!ReferenceSplit(composed, LeadTable {}).withinLimits || platform::isDirectory(composed)) return;
    const SegmentPathParts back(composed);
    Require(back.isSegment(), "a composed segment path is a segment", Describe(composed));
    Require(back.drive + back.directory == prefix, "a composed segment lies in the output directory",
            Describe(composed));
    Require(back.name + back.extension == sourceName, "a composed segment names its source",
            Describe(composed));
    Require(back.suffixNumber(true) == Saturated(std::uint64_t { index } + 1) &&
                back.suffixNumber(false) == Saturated(count),
            "a composed segment reads back k and N", Describe(composed));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0; // every part limit is far below; longer inputs only slow the run
    ByteReader in { data, size };
    const std::uint8_t firstLead = in.byte();
    const std::uint8_t lastLead = in.byte();
    for (int b = 0; b < 256; ++b) gLead[static_cast<std::size_t>(b)] = b >= firstLead && b <= lastLead;
    const std::uint32_t index = in.u32();
    const std::uint32_t count = in.u32();
    const std::string rest = in.rest();
    const std::size_t newline = rest.find('\n');
    const std::string path = rest.substr(0, newline);
    const std::string outputDir = newline == std::string::npos ? std::string() : rest.substr(newline + 1);

    CheckPathText(path);
    const Reference split = ExpectedSplit(path);
    PathParts parts;
    parts.split(path);
    Require(SameParts(parts, split), "split is the text rules plus the directory adjustment", Describe(path));
    CheckSegmentPath(path, split);
    CheckSuffix(index, count);
    CheckComposition(path, split, outputDir, index, count);
    return 0;
}

// Segment names and path parts: see segment_name.h.
#include "core/segment_name.h"

#include "core/format_text.h"
#include "platform/platform.h"

namespace {

// Whether `c` ends a directory: `/` everywhere, `\` on Windows only.
bool IsSeparator(char c) { return c == '/' || (platform::WINDOWS_PATHS && c == '\\'); }

// PathParts::split without its directory query; `readDrive` false reads a file name, which has no drive
// even when its second character is a colon.
bool SplitText(const std::string& path, bool (*isLeadByte)(unsigned char), bool readDrive, PathParts& out) {
    out = PathParts {};
    std::size_t restStart = 0;
    std::string drive;
    if (platform::WINDOWS_PATHS && readDrive && path.size() >= 2 && path[1] == ':') {
        drive = path.substr(0, 2);
        restStart = 2;
    }
    // One scan over the rest: the last separator, and the last dot after it.
    std::size_t lastSeparator = std::string::npos;
    std::size_t lastDot = std::string::npos;
    for (std::size_t i = restStart; i < path.size(); ++i) {
        const auto c = static_cast<unsigned char>(path[i]);
        if (isLeadByte(c) && i + 1 < path.size()) {
            ++i; // the trail byte is never a separator or a dot
            continue;
        }
        if (IsSeparator(static_cast<char>(c))) {
            lastSeparator = i;
            lastDot = std::string::npos;
        } else if (c == '.') {
            lastDot = i;
        }
    }
    const std::size_t fileStart = lastSeparator == std::string::npos ? restStart : lastSeparator + 1;
    std::string directory = path.substr(restStart, fileStart - restStart);
    std::string name, extension;
    if (lastDot == std::string::npos) {
        name = path.substr(fileStart);
    } else {
        name = path.substr(fileStart, lastDot - fileStart);
        extension = path.substr(lastDot);
    }
    if (directory.size() > PATH_PART_LIMIT || name.size() > PATH_PART_LIMIT ||
        extension.size() > PATH_PART_LIMIT)
        return false;
    out.drive = std::move(drive);
    out.directory = std::move(directory);
    out.name = std::move(name);
    out.extension = std::move(extension);
    return true;
}

} // namespace

namespace detail {

bool SplitPathText(const std::string& path, bool (*isLeadByte)(unsigned char), PathParts& out) {
    return SplitText(path, isLeadByte, true, out);
}

} // namespace detail

void PathParts::split(const std::string& path) {
    if (!detail::SplitPathText(path, platform::isLeadByte, *this)) return;
    if (name.empty() && extension.empty()) return;
    // A path that names an existing directory is a directory, whether or not it
    // was written with a trailing separator and whatever its last component holds.
    if (platform::isDirectory(this->path())) {
        directory += name + extension + platform::PATH_SEPARATOR;
        name.clear();
        extension.clear();
    }
}

void SegmentPathParts::assign(const std::string& path) {
    split(path);
    suffix = extension;
    // `name` is the file part before the suffix: "c:movie.avi", a file name
    // where colons are allowed (POSIX), has no drive to drop.
    PathParts inner;
    SplitText(name, platform::isLeadByte, false, inner);
    name = inner.name;
    extension = inner.extension;
}

bool SegmentPathParts::isSegment() const {
    const std::size_t length = suffix.size();
    if (length < 7 || suffix[0] != '.') return false;
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t p = 1;
    while (p < length && isDigit(suffix[p])) ++p;
    if (p == 1) return false;
    if (suffix.compare(p, 4, "_of_") != 0 || length - p < 4) return false;
    for (std::size_t i = p + 4; i < length; ++i)
        if (!isDigit(suffix[i])) return false;
    return true;
}

// Reads a run of decimal digits, saturating at the largest signed 32-bit value.
static std::int32_t ReadSaturated(const std::string& text, std::size_t from, std::size_t to) {
    std::int64_t value = 0;
    for (std::size_t i = from; i < to; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT32_MAX) return INT32_MAX;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t SegmentPathParts::segmentNumber() const {
    return isSegment() ? ReadSaturated(suffix, 1, suffix.find("_of_")) : 0;
}

std::int32_t SegmentPathParts::segmentCount() const {
    return isSegment() ? ReadSaturated(suffix, suffix.find("_of_") + 4, suffix.size()) : 0;
}

unsigned DecimalDigits(std::uint32_t value) {
    unsigned digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

void SegmentPathParts::setSegmentSuffix(std::uint32_t index, std::uint32_t count) {
    const unsigned long long number = static_cast<unsigned long long>(index) + 1;
    formatString(suffix, ".%0*llu_of_%lu", static_cast<int>(DecimalDigits(count)), number,
                 static_cast<unsigned long>(count));
}

bool isSegmentPath(const std::string& path) { return SegmentPathParts(path).isSegment(); }

std::string DirectoryPrefix(const std::string& directoryPath) {
    PathParts parts;
    parts.split(directoryPath);
    if (parts.path().empty() && !directoryPath.empty()) {
        // A part beyond its limit: keep the directory exactly as written.
        return IsSeparator(directoryPath.back()) ? directoryPath : directoryPath + platform::PATH_SEPARATOR;
    }
    if (!parts.name.empty() || !parts.extension.empty()) {
        // The directory did not exist when it was queried (it vanished after the
        // worker's check). It stays the directory anyway, so that creating a file
        // in it fails instead of writing into the parent under a stray name.
        parts.directory += parts.name + parts.extension + platform::PATH_SEPARATOR;
    }
    return parts.drive + parts.directory;
}

std::string ComposeSegmentPath(const std::string& sourcePath, const std::string& outputDir,
                               std::uint32_t index, std::uint32_t count) {
    PathParts source;
    source.split(sourcePath);
    SegmentPathParts segment;
    segment.setSegmentSuffix(index, count);
    return DirectoryPrefix(outputDir) + source.name + source.extension + segment.suffix;
}

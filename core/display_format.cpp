// Display formatting: see display_format.h.
#include "core/display_format.h"

#include "core/format_text.h"

#include <cmath>
#include <vector>

std::string FormatThousands(std::uint64_t value) {
    if (value < 1000) return formatted("%u", static_cast<unsigned>(value));
    // Groups of three digits, least significant first; working on remainders
    // keeps the whole unsigned 64-bit range right.
    std::vector<unsigned> groups;
    while (value > 0) {
        groups.push_back(static_cast<unsigned>(value % 1000));
        value /= 1000;
    }
    std::string text = formatted("%u", groups.back());
    for (auto it = groups.rbegin() + 1; it != groups.rend(); ++it) appendFormat(text, ",%03u", *it);
    return text;
}

std::string FormatSignedThousands(std::int64_t value) {
    if (value >= 0) return FormatThousands(static_cast<std::uint64_t>(value));
    const std::uint64_t magnitude = 0 - static_cast<std::uint64_t>(value);
    std::string text(1, '-');
    text += FormatThousands(magnitude);
    return text;
}

double EstimateSecondsLeft(std::uint64_t bytesDone, std::uint64_t totalBytes, double elapsedSeconds) {
    if (bytesDone >= totalBytes) return 0.0; // a member that grew may pass the total
    const double rate = static_cast<double>(bytesDone) / elapsedSeconds;
    return static_cast<double>(totalBytes - bytesDone) / rate;
}

std::string FormatDuration(double seconds) {
    std::uint32_t s = 0;
    if (std::isfinite(seconds) && seconds > 0 && seconds < 9223372036854775808.0)
        s = static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(seconds)));
    const unsigned hours = s / 3600;
    const unsigned minutes = (s % 3600) / 60;
    const unsigned rest = s % 60;
    std::string text;
    if (hours != 0) appendFormat(text, "%u:", hours);
    appendFormat(text, "%02u:", minutes);
    appendFormat(text, "%02u", rest);
    return text;
}

SizeUnit ChooseSizeUnit(std::uint64_t value) {
    if (value >= static_cast<std::uint64_t>(GIGABYTE)) return SizeUnit::GB;
    if (value >= static_cast<std::uint64_t>(MEGABYTE)) return SizeUnit::MB;
    if (value >= static_cast<std::uint64_t>(KILOBYTE)) return SizeUnit::KB;
    return SizeUnit::Bytes;
}

SizeUnit ChooseSizeUnit(std::int64_t value) {
    return value < 0 ? SizeUnit::Bytes : ChooseSizeUnit(static_cast<std::uint64_t>(value));
}

const SizeTemplates SOURCE_SIZE_TEMPLATES { "File size: %.2f GB", "File size: %.2f MB", "File size: %.2f KB",
                                            "File size: %u Bytes" };
const SizeTemplates SIZE_PER_FILE_TEMPLATES { "%.2f GB / File", "%.2f MB / File", "%.2f KB / File",
                                              "%u Bytes / File" };
const SizeTemplates FREE_SPACE_TEMPLATES { "Disk Space Available: %.2f GB", "Disk Space Available: %.2f MB",
                                           "Disk Space Available: %.2f KB",
                                           "Disk Space Available: %u Bytes" };

// The templates are the program's constants; the compiler cannot see through
// the table, so the format check is switched off for these calls alone.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
static std::string FormatInUnit(SizeUnit unit, double value, long long bytes, const SizeTemplates& t) {
    switch (unit) {
    case SizeUnit::GB: return formatted(t.gb, value / static_cast<double>(GIGABYTE));
    case SizeUnit::MB: return formatted(t.mb, value / static_cast<double>(MEGABYTE));
    case SizeUnit::KB: return formatted(t.kb, value / static_cast<double>(KILOBYTE));
    case SizeUnit::Bytes: break;
    }
    return formatted(t.bytes, static_cast<unsigned>(bytes));
}
#pragma GCC diagnostic pop

std::string FormatSize(std::uint64_t value, const SizeTemplates& templates) {
    return FormatInUnit(ChooseSizeUnit(value), static_cast<double>(value), static_cast<long long>(value),
                        templates);
}

std::string FormatSize(std::int64_t value, const SizeTemplates& templates) {
    return FormatInUnit(ChooseSizeUnit(value), static_cast<double>(value), value, templates);
}

std::string FormatSetSummary(std::uint32_t fileCount, std::uint64_t totalBytes) {
    const double total = static_cast<double>(totalBytes);
    switch (ChooseSizeUnit(totalBytes)) {
    case SizeUnit::GB:
        return formatted("%u files (%.2f GB)", fileCount, total / static_cast<double>(GIGABYTE));
    case SizeUnit::MB:
        return formatted("%u files (%.2f MB)", fileCount, total / static_cast<double>(MEGABYTE));
    case SizeUnit::KB:
        return formatted("%u files (%.2f KB)", fileCount, total / static_cast<double>(KILOBYTE));
    case SizeUnit::Bytes: break;
    }
    return formatted("%u files (%u Bytes)", fileCount, static_cast<unsigned>(totalBytes));
}

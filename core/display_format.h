// The text forms in which the window shows counts, sizes and durations:
// thousands separators, H:MM:SS, and the Bytes/KB/MB/GB choice (powers of 1,024).
#pragma once

#include <cstdint>
#include <string>

// 18446744073709551615 gives "18,446,744,073,709,551,615".
std::string FormatThousands(std::uint64_t value);

// A negative value is its magnitude with "-" in front.
std::string FormatSignedThousands(std::int64_t value);

// "MM:SS" under an hour, "H:MM:SS" from an hour on; fractions are cut. Not a
// number, an infinity, a negative value or a magnitude of 2^63 or more gives
// "00:00". Whole seconds beyond 32 bits wrap, as the display always has.
std::string FormatDuration(double seconds);

// A unit of sizes, powers of 1,024; also the order of the Split page's unit list.
enum class SizeUnit { Bytes, KB, MB, GB };

constexpr std::int64_t KILOBYTE = 1024;
constexpr std::int64_t MEGABYTE = 1024 * KILOBYTE;
constexpr std::int64_t GIGABYTE = 1024 * MEGABYTE;

// GB from 2^30 bytes on, MB from 2^20, KB from 2^10, else Bytes; a negative
// value is Bytes.
SizeUnit ChooseSizeUnit(std::int64_t value);
SizeUnit ChooseSizeUnit(std::uint64_t value);

// One display's four templates: "%.2f" for GB, MB and KB, "%u" for Bytes.
struct SizeTemplates {
    const char* gb;
    const char* mb;
    const char* kb;
    const char* bytes;
};

// The display templates of the window.
extern const SizeTemplates SOURCE_SIZE_TEMPLATES;   // "File size: %.2f GB" ...
extern const SizeTemplates SIZE_PER_FILE_TEMPLATES; // "%.2f GB / File" ...
extern const SizeTemplates FREE_SPACE_TEMPLATES;    // "Disk Space Available: %.2f GB" ...

// `value` in the unit ChooseSizeUnit picks, through that unit's template.
std::string FormatSize(std::int64_t value, const SizeTemplates& templates);
std::string FormatSize(std::uint64_t value, const SizeTemplates& templates);

// Seconds the rest of a job will take at its rate so far: what is left over
// bytes per second. Not finite before any time or byte has been counted.
double EstimateSecondsLeft(std::uint64_t bytesDone, std::uint64_t totalBytes, double elapsedSeconds);

// The join page's set summary: "%u files (%.2f GB)" ... "%u files (%u Bytes)".
std::string FormatSetSummary(std::uint32_t fileCount, std::uint64_t totalBytes);

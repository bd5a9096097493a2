// The command line of morvane-cli: which command, its operand and options, and
// the reading of counts and sizes with the rules and texts of the window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class Overwrite { Ask, Yes, No };

struct CliOptions {
    std::string command;                   // split, join, info, verify, sums; empty with --help / --version
    std::string operand;                   // SOURCE or SEGMENT
    std::optional<std::string> outputDir;  // -o
    std::optional<std::string> outputName; // -O
    std::optional<std::string> count;      // -n, as typed
    std::optional<std::string> size;       // -s, as typed
    std::optional<std::string> sha256;     // --sha256
    std::optional<std::string> sumsFile;   // --sums
    Overwrite overwrite = Overwrite::Ask;  // --yes, --no-clobber
    bool help = false;
    bool version = false;
};

// Reads the arguments after the program name. Gives an empty text when they
// make sense, else what is wrong with them (a usage error).
std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options);

// A number of files: decimal digits only, at most 4,294,967,295.
bool ParseFileCount(const std::string& text, std::uint32_t& count);

// A size per segment: a decimal number with "." as the decimal point and an
// optional unit B, K, M or G (powers of 1,024): "1.5M". On success gives the
// number and the unit index (0 bytes .. 3 gigabytes); otherwise the text of
// the window's message for the same mistake.
struct ParsedSize {
    double value = 0;
    std::int32_t unit = 0;
    std::string error; // empty when the text is a size
};
ParsedSize ParseSegmentSize(const std::string& text);

extern const char* const CLI_USAGE;

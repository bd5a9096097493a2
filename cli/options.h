// The command line of morvane-cli: which command, its operand and options, and
// the reading of counts and sizes with the rules and texts of the window.
#pragma once

#include "split/split_engine.h"

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
    bool verbose = false;                  // --verbose
    bool noSync = false;                   // --no-sync
    bool force = false;                    // --force
    bool writeListing = false;             // split --sums
    bool noVerify = false;                 // --no-verify
    bool help = false;                     // with a command: that command's help
    bool version = false;
};

// Reads the arguments after the program name. Gives an empty text when they
// make sense, else what is wrong with them (a usage error). After "--" every
// argument is the command or an operand, even one that starts with "-".
std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options);

// A number of files: decimal digits only, at most 4,294,967,295.
bool ParseFileCount(const std::string& text, std::uint32_t& count);

// A size per segment as typed: a number with an optional unit letter B, K, M
// or G (powers of 1,024; either case) at its end: "1.5M" gives "1.5" and
// megabytes. The number itself is checked with the window's rules.
struct ParsedSize {
    std::string number;
    SizeUnit unit = SizeUnit::Bytes;
};
ParsedSize ParseSegmentSize(const std::string& text);

// The help text: of one command, or of all of them when `command` is empty.
std::string CliUsage(const std::string& command);

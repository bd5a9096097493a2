// The command line of morvane-cli: see options.h.
#include "cli/options.h"

#include "split/size_text.h"

#include <cstdlib>

const char* const CLI_USAGE =
    "Usage:\n"
    "  morvane-cli split SOURCE [-o DIR] (-n COUNT | -s SIZE)   cut SOURCE into numbered segments\n"
    "  morvane-cli join SEGMENT [-o DIR] [-O NAME]               join the set SEGMENT belongs to\n"
    "  morvane-cli info SEGMENT                                  show the set as discovery sees it\n"
    "  morvane-cli sums SEGMENT                                  SHA-256 of each member and of the joined "
    "file\n"
    "  morvane-cli verify SEGMENT (--sha256 HEX | --sums FILE)   check the joined stream without writing it\n"
    "\n"
    "Options:\n"
    "  -o DIR        output directory (default: the directory of SOURCE or SEGMENT)\n"
    "  -n COUNT      number of segments (at least 2)\n"
    "  -s SIZE       size of each segment: a number with an optional unit B, K, M or G\n"
    "                (powers of 1,024), e.g. 700M or 1.5G\n"
    "  -O NAME       name of the joined file (default: the name the segments came from)\n"
    "  --yes         replace existing files without asking\n"
    "  --no-clobber  never replace an existing file (stop instead)\n"
    "  --sha256 HEX  the expected SHA-256 of the joined file\n"
    "  --sums FILE   a listing as `sums` prints it, to name the member that differs\n"
    "  --help        show this help\n"
    "  --version     show the version\n"
    "\n"
    "Without --yes or --no-clobber an existing file is asked about: y = yes, a = yes to all, n = no.\n"
    "Ctrl-C stops at the next block and keeps what was written (exit code 130).\n"
    "Exit codes: 0 success, 1 failure, 2 bad usage.\n";

std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options) {
    static const char* const commands[] = { "split", "join", "info", "verify", "sums" };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::optional<std::string>& into) -> std::string {
            if (i + 1 >= args.size()) return "option " + arg + " needs a value";
            into = args[++i];
            return "";
        };
        std::string problem;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "-o") {
            problem = value(options.outputDir);
        } else if (arg == "-O") {
            problem = value(options.outputName);
        } else if (arg == "-n") {
            problem = value(options.count);
        } else if (arg == "-s") {
            problem = value(options.size);
        } else if (arg == "--sha256") {
            problem = value(options.sha256);
        } else if (arg == "--sums") {
            problem = value(options.sumsFile);
        } else if (arg == "--yes") {
            options.overwrite = Overwrite::Yes;
        } else if (arg == "--no-clobber") {
            options.overwrite = Overwrite::No;
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option " + arg;
        } else if (options.command.empty()) {
            bool known = false;
            for (const char* command : commands) known = known || arg == command;
            if (!known) return "unknown command " + arg;
            options.command = arg;
        } else if (options.operand.empty()) {
            options.operand = arg;
        } else {
            problem = "unexpected argument " + arg;
        }
        if (!problem.empty()) return problem;
    }
    if (options.help || options.version) return "";
    if (options.command.empty()) return "no command given";
    if (options.operand.empty())
        return options.command == "split" ? "split needs a SOURCE file"
                                          : options.command + " needs a SEGMENT";
    const bool split = options.command == "split";
    if (split && options.count.has_value() == options.size.has_value())
        return "split needs one of -n COUNT or -s SIZE";
    if (!split && (options.count || options.size)) return "-n and -s belong to split";
    if (options.outputName && options.command != "join") return "-O belongs to join";
    if (options.outputDir && !split && options.command != "join") return "-o belongs to split and join";
    if ((options.sha256 || options.sumsFile) && options.command != "verify")
        return "--sha256 and --sums belong to verify";
    if (options.command == "verify" && !options.sha256 && !options.sumsFile)
        return "verify needs --sha256 HEX or --sums FILE";
    return "";
}

bool ParseFileCount(const std::string& text, std::uint32_t& count) {
    if (text.empty()) return false; // leading zeros add digits, not value: no limit on the length
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 4294967295u) return false;
    }
    count = static_cast<std::uint32_t>(value);
    return true;
}

ParsedSize ParseSegmentSize(const std::string& text) {
    ParsedSize parsed { text };
    if (!text.empty()) {
        const char last = text.back();
        const std::string units = "BKMG";
        const std::size_t unit = units.find(static_cast<char>(last >= 'a' && last <= 'z' ? last - 32 : last));
        if (unit != std::string::npos) {
            parsed.unit = static_cast<SizeUnit>(unit);
            parsed.number.pop_back();
        }
    }
    return parsed;
}

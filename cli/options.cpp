// The command line of morvane-cli: see options.h.
#include "cli/options.h"

#include "core/format_text.h"

#include <algorithm>

namespace {

// The commands, as bits, so that each option can say which commands take it.
enum : unsigned { SPLIT = 1, JOIN = 2, INFO = 4, SUMS = 8, VERIFY = 16 };

struct CommandEntry {
    const char* name;
    unsigned bit;
    const char* synopsis; // after "morvane-cli "
    const char* purpose;
};
const CommandEntry COMMANDS[] = {
    { "split", SPLIT, "split SOURCE [-o DIR] (-n COUNT | -s SIZE)", "cut SOURCE into numbered segments" },
    { "join", JOIN, "join SEGMENT [-o DIR] [-O NAME] [--sums FILE]", "join the set SEGMENT belongs to" },
    { "info", INFO, "info SEGMENT", "show the set as discovery sees it" },
    { "sums", SUMS, "sums SEGMENT", "SHA-256 of each member and of the joined file" },
    { "verify", VERIFY, "verify SEGMENT (--sha256 HEX | --sums FILE)",
      "check the joined stream without writing it" },
};

// An option and the commands that take it; `into` receives its value (none
// for a switch). Help lines after the first are indented under it.
struct OptionEntry {
    const char* name;
    const char* value;
    unsigned commands;
    std::optional<std::string> CliOptions::*into;
    const char* help;
};
const OptionEntry OPTIONS[] = {
    { "-o", "DIR", SPLIT | JOIN, &CliOptions::outputDir,
      "output directory (default: the directory of SOURCE or SEGMENT)" },
    { "-n", "COUNT", SPLIT, &CliOptions::count, "number of segments (at least 2)" },
    { "-s", "SIZE", SPLIT, &CliOptions::size,
      "size of each segment: a number with an optional unit B, K, M or G\n"
      "(powers of 1,024), e.g. 700M or 1.5G" },
    { "-O", "NAME", JOIN, &CliOptions::outputName,
      "name of the joined file (default: the name the segments came from),\n"
      "or its path (then without -o); - writes it to standard output" },
    { "--sha256", "HEX", VERIFY, &CliOptions::sha256,
      "the expected SHA-256 of the joined file (64 hex digits)" },
    { "--sums", "FILE", JOIN | VERIFY, &CliOptions::sumsFile,
      "a SHA-256 listing to check the members against (join: instead of\n"
      "NAME.sha256 beside the set; verify: as `sums` prints it)" },
    { "--sums", nullptr, SPLIT, nullptr,
      "also write NAME.sha256 beside the segments (sha256sum's format:\n"
      "a line for each segment and one for the whole file), which every\n"
      "join checks" },
    { "--no-verify", nullptr, JOIN, nullptr, "do not check the members against NAME.sha256" },
    { "--yes", nullptr, SPLIT | JOIN, nullptr, "replace existing files without asking" },
    { "--no-clobber", nullptr, SPLIT | JOIN, nullptr,
      "never replace an existing file (stop before writing)" },
    { "--verbose", nullptr, SPLIT | JOIN, nullptr,
      "at the end, say how the bytes were copied: as shared extents,\n"
      "inside the kernel, or through memory" },
    { "--no-sync", nullptr, SPLIT | JOIN, nullptr,
      "leave flushing to the system: faster on a slow disk, but after a\n"
      "power loss a file reported complete may hold zeros or old bytes\n"
      "(for scratch files, or scripts that run sync once at the end)" },
    { "--force", nullptr, JOIN, nullptr,
      "join a set whose sizes look like no split's (a member cut short,\n"
      "or one from another file) instead of refusing it" },
};

const CommandEntry* FindCommand(const std::string& name) {
    for (const CommandEntry& command : COMMANDS)
        if (name == command.name) return &command;
    return nullptr;
}

// "split", "split and join", ...
std::string CommandNames(unsigned bits) {
    std::string names;
    for (const CommandEntry& command : COMMANDS)
        if (bits & command.bit) names += (names.empty() ? "" : " and ") + std::string(command.name);
    return names;
}

void AppendOption(std::string& text, const std::string& option, std::string help) {
    const std::string indent = "\n                ";
    for (std::size_t line = help.find('\n'); line != std::string::npos;
         line = help.find('\n', line + indent.size()))
        help.replace(line, 1, indent);
    appendFormat(text, "  %-13s %s\n", option.c_str(), help.c_str());
}

} // namespace

std::string CliUsage(const std::string& name) {
    const CommandEntry* command = FindCommand(name);
    std::string text =
        command ? "Usage: morvane-cli " + std::string(command->synopsis) + "\n" + command->purpose + "\n"
                : "Usage:\n";
    if (!command) {
        for (const CommandEntry& c : COMMANDS)
            appendFormat(text, "  morvane-cli %-44s %s\n", c.synopsis, c.purpose);
        appendFormat(text, "  morvane-cli %-44s %s\n", "COMMAND --help", "the help of one command");
    }
    text += "\nOptions:\n";
    for (const OptionEntry& option : OPTIONS)
        if (!command || (option.commands & command->bit))
            AppendOption(text, option.value ? std::string(option.name) + " " + option.value : option.name,
                         option.help);
    AppendOption(text, "--help", "show this help");
    if (!command) AppendOption(text, "--version", "show the version");
    AppendOption(text, "--",
                 "the end of the options: what follows is an operand even when it\n"
                 "starts with - (morvane-cli split -n 2 -- -n.avi)");
    text += "\n";
    if (!command || (command->bit & (SPLIT | JOIN)))
        text +=
            "Without --yes or --no-clobber an existing file is asked about: y = yes, a = yes to all, n = "
            "no.\n"
            "Ctrl-C stops at the next block; the file being written stays as NAME.partial (exit code 130).\n";
    text += "Exit codes: 0 success, 1 failure, 2 bad usage.\n";
    return text;
}

namespace {

// The command, or else the operand; "" or what is wrong.
std::string TakeOperand(const std::string& arg, CliOptions& options) {
    if (options.command.empty()) {
        if (!FindCommand(arg)) return "unknown command " + arg;
        options.command = arg;
    } else if (options.operand.empty()) {
        options.operand = arg;
    } else {
        return "unexpected argument " + arg;
    }
    return "";
}

// The option args[i], with its value (args[i + 1], then `i` moves past it);
// "" or what is wrong.
std::string TakeOption(const std::vector<std::string>& args, std::size_t& i, CliOptions& options,
                       std::vector<const OptionEntry*>& given) {
    const std::string& arg = args[i];
    // An option of that name, the one the command takes where two share it.
    const CommandEntry* command = FindCommand(options.command);
    const OptionEntry* option = nullptr;
    for (const OptionEntry& entry : OPTIONS)
        if (arg == entry.name && (!option || (command && (entry.commands & command->bit)))) option = &entry;
    if (!option) return "unknown option " + arg;
    given.push_back(option);
    if (option->into) {
        if (i + 1 >= args.size()) return "option " + arg + " needs a value";
        options.*(option->into) = args[++i];
    } else if (arg == "--verbose") {
        options.verbose = true;
    } else if (arg == "--no-sync") {
        options.noSync = true;
    } else if (arg == "--force") {
        options.force = true;
    } else if (arg == "--sums") {
        options.writeListing = true;
    } else if (arg == "--no-verify") {
        options.noVerify = true;
    } else {
        options.overwrite = arg == "--yes" ? Overwrite::Yes : Overwrite::No;
    }
    return "";
}

// Whether the command has its operand and the options fit it and each other.
std::string CheckGiven(const CliOptions& options, const std::vector<const OptionEntry*>& given) {
    if (options.command.empty()) return "no command given";
    if (options.operand.empty())
        return options.command == "split" ? "split needs a SOURCE file"
                                          : options.command + " needs a SEGMENT";
    const unsigned command = FindCommand(options.command)->bit;
    for (const OptionEntry* option : given)
        if (!(option->commands & command))
            return option->name + std::string(" belongs to ") + CommandNames(option->commands);
    const auto isGiven = [&](const char* name) {
        return std::any_of(given.begin(), given.end(),
                           [&](const OptionEntry* o) { return o->name == std::string(name); });
    };
    if (isGiven("--yes") && isGiven("--no-clobber")) return "--yes and --no-clobber exclude each other";
    if (options.sumsFile && isGiven("--no-verify")) return "--sums and --no-verify exclude each other";
    if (command == SPLIT && options.count.has_value() == options.size.has_value())
        return "split needs one of -n COUNT or -s SIZE";
    if (command == VERIFY && !options.sha256 && !options.sumsFile)
        return "verify needs --sha256 HEX or --sums FILE";
    if (options.sha256 && (options.sha256->size() != 64 ||
                           options.sha256->find_first_not_of("0123456789abcdefABCDEF") != std::string::npos))
        return "--sha256 needs 64 hexadecimal digits";
    return "";
}

} // namespace

std::string ParseCliOptions(const std::vector<std::string>& args, CliOptions& options) {
    std::vector<const OptionEntry*> given;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string problem;
        if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (optionsEnded || arg.size() < 2 || arg[0] != '-') // "-" alone is an operand
            problem = TakeOperand(arg, options);
        else if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--version")
            options.version = true;
        else
            problem = TakeOption(args, i, options, given);
        if (!problem.empty()) return problem;
    }
    return options.help || options.version ? "" : CheckGiven(options, given);
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

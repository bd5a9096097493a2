// morvane-cli: the split and join engines from a terminal, with the same
// names, rules and messages as the window program.
#pragma once

#include "cli/terminal.h"
#include "join/join_engine.h"

#include <string>
#include <vector>

// Runs one command line (the arguments after the program name) and gives the
// exit code: 0 success, 1 failure, 2 bad usage, 130 stopped by Ctrl-C.
int RunCli(const std::vector<std::string>& args, CliIo& io);

// The commands; each gives its exit code.
int SplitCommand(const CliOptions& options, CliIo& io);
int JoinCommand(const CliOptions& options, CliIo& io);
int InfoCommand(const CliOptions& options, CliIo& io);
int SumsCommand(const CliOptions& options, CliIo& io);
int VerifyCommand(const CliOptions& options, CliIo& io);

// What the command line adds to the refusal of a set of odd sizes.
extern const char* const TEXT_FORCE_JOIN;

// Prints "morvane-cli: <text>" (one line) on stderr and gives `code`.
int Fail(CliIo& io, const std::string& text, int code = 1);

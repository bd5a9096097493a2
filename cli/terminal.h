// The terminal side of morvane-cli: the streams it talks through, the user's
// answers to questions, the progress line, and Ctrl-C.
#pragma once

#include "cli/options.h"
#include "core/job_control.h"
#include "core/user_prompt.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

// The streams of one run. In the program: stdin, stdout, stderr; in tests,
// files. `waitForInput` waits until `in` has something to read, giving up
// when its argument says so (see cliplatform::waitForInput).
struct CliIo {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    bool errIsTerminal = false;
    bool inIsTerminal = false; // a typed answer is echoed there; a piped one is not
    std::function<bool(const std::function<bool()>&)> waitForInput;
    std::mutex errMutex; // the progress line and the questions share stderr
};

// Ctrl-C: marks the run as interrupted and stops the job it watches at its
// next block, as Cancel does. Safe to call from any thread but a signal handler.
void InterruptCli();
bool CliInterrupted();
void WatchJobForInterrupt(JobControl* control); // nullptr: no job

// `text` safe to print on a terminal: each control character (ESC, BEL,
// a line break...) in it, as a file name may hold them, appears as a
// backslash and three octal digits ("\\033"), so that no name can move the
// cursor, recolour or retitle the terminal, or hide what follows.
std::string Printable(const std::string& text);

// The text of a message as one printable line: line breaks and the
// indentation after them become single spaces, then Printable.
std::string OneLine(const std::string& text);

// `text`, and the reason in brackets after it unless it is empty.
std::string WithReason(const std::string& text, const std::string& reason);

// `text` and the failure behind it: "BETA: Write failure. (x.2_of_3.partial:
// No space left on device)", the file named when the text does not name it.
std::string WithFailure(const std::string& text, const std::string& reason, const std::string& file = "");

// Messages and questions on the terminal. Errors go to stderr as
// "morvane-cli: <text>" with the failure behind them, completions to stdout.
// Questions, and the overwrite question, follow --yes / --no-clobber, else ask
// on stderr and read a line: y = yes (a = yes to all at the overwrite
// question), anything else (and the end of input, and Ctrl-C) = no.
class TerminalPrompt final : public UserPrompt {
public:
    TerminalPrompt(CliIo& io, Overwrite mode) : io_(io), mode_(mode) {}
    int show(const Message& message) override;
    int askOverwrite(const std::string& path) override;
    // Asks a yes/no question the same way; false unless the answer is y.
    bool confirm(const std::string& question);
    // True while a question waits for its answer; set under io.errMutex before
    // the question is printed, so that a progress line drawn under the same
    // lock never lands on the question's line.
    bool asking() const { return asking_; }
    // The file the user (or --no-clobber) said not to replace, or empty.
    const std::string& refused() const { return refused_; }

private:
    std::string readAnswer();
    // Shows the question on stderr (over the progress line), reads a line, and
    // gives its first character ('n' when none came).
    char ask(const std::string& question);
    CliIo& io_;
    Overwrite mode_;
    std::atomic<bool> asking_ { false }; // read by the thread that draws the progress line
    std::string refused_;
};

// "  42.3%  1,000,000 / 2,500,000 bytes  file 2 of 4  00:04 elapsed  00:06 left"
std::string ProgressLine(const ProgressSnapshot& snapshot);

// Runs `worker` on a thread of its own and waits for it, drawing the progress
// line on a terminal stderr every 200 ms and passing Ctrl-C on to `control`.
void RunJob(CliIo& io, JobControl& control, JobProgress& progress, const TerminalPrompt& prompt,
            const std::function<void()>& worker);

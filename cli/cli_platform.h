// The few calls of the operating system that only the command line makes: the
// terminal test, Ctrl-C, waiting for typed input, and a UTF-8 console. One
// implementation per system (cli_platform_posix.cpp, cli_platform_win32.cpp).
#pragma once

#include <functional>

namespace cliplatform {

// Whether a standard stream (0 input, 1 output, 2 error) is a terminal.
bool isTerminal(int standardStream);

// Calls `onInterrupt` each time the user presses Ctrl-C (or the process gets
// SIGINT), on a thread of its own, never inside a signal handler, so that it
// may take locks. The default reaction (ending the process) is switched off.
// Call once, before any other thread starts.
void watchInterrupts(void (*onInterrupt)());

// Waits until standard input has something to read (or is at its end), giving
// up as soon as `giveUp` returns true (checked about ten times a second).
// Gives false when it gave up.
bool waitForInput(const std::function<bool()>& giveUp);

// While it lives, text written to the console is read as UTF-8 (the console's
// code page before it is put back at the end). Nothing to do where consoles
// take bytes.
class Utf8Console {
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    [[maybe_unused]] unsigned previous_ = 0; // Windows: the code page to put back
};

} // namespace cliplatform

// The command line's system calls on POSIX: see cli_platform.h.
#include "cli/cli_platform.h"

#include <cerrno>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <thread>
#include <unistd.h>

namespace cliplatform {

Utf8Console::Utf8Console() = default;
Utf8Console::~Utf8Console() = default;

bool isTerminal(int standardStream) { return ::isatty(standardStream) == 1; }

void watchInterrupts(void (*onInterrupt)()) {
    // SIGINT is blocked here and in every thread started later; one thread
    // takes it with sigwait and reacts in ordinary thread context.
    // A shell starts background jobs with SIGINT ignored; an ignored signal
    // never reaches sigwait, so the default disposition is put back first.
    ::signal(SIGINT, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set, onInterrupt] {
        for (;;) {
            int received = 0;
            if (sigwait(&set, &received) == 0 && received == SIGINT) onInterrupt();
        }
    }).detach();
}

bool waitForInput(const std::function<bool()>& giveUp) {
    for (;;) {
        if (giveUp()) return false;
        pollfd in { 0, POLLIN, 0 };
        const int ready = ::poll(&in, 1, 100);
        if (ready > 0) return true; // data, end of input or an error: the read will tell
        if (ready < 0 && errno != EINTR) return true;
    }
}

} // namespace cliplatform

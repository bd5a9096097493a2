// The command line's system calls on Windows: see cli_platform.h.
#include "cli/cli_platform.h"

#include <windows.h>

#include <io.h>

namespace cliplatform {

Utf8Console::Utf8Console() : previous_(GetConsoleOutputCP()) {
    if (previous_ != 0) SetConsoleOutputCP(CP_UTF8); // 0: no console
}

Utf8Console::~Utf8Console() {
    if (previous_ != 0) SetConsoleOutputCP(previous_);
}

bool isTerminal(int standardStream) { return _isatty(standardStream) != 0; }

namespace {
void (*interruptReaction)() = nullptr;

// Runs on a thread the system starts for the event.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (interruptReaction) interruptReaction();
    return TRUE;
}
} // namespace

void watchInterrupts(void (*onInterrupt)()) {
    interruptReaction = onInterrupt;
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool waitForInput(const std::function<bool()>& giveUp) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const DWORD type = GetFileType(input);
    for (;;) {
        if (giveUp()) return false;
        if (type == FILE_TYPE_PIPE) {
            DWORD available = 0;
            if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0) return true;
            Sleep(100);
        } else if (type == FILE_TYPE_CHAR) {
            if (WaitForSingleObject(input, 100) == WAIT_OBJECT_0) return true;
        } else {
            return true; // a file: reading never waits
        }
    }
}

} // namespace cliplatform

// The entry of morvane-cli.
#include "cli/cli.h"

#include "cli/cli_platform.h"

int main(int argc, char** argv) {
    cliplatform::watchInterrupts(InterruptCli);
    const cliplatform::Utf8Console utf8; // names are UTF-8 (the manifest's code page): print them so
    CliIo io;
    io.errIsTerminal = cliplatform::isTerminal(2);
    io.inIsTerminal = cliplatform::isTerminal(0);
    io.waitForInput = [](const std::function<bool()>& giveUp) { return cliplatform::waitForInput(giveUp); };
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), io);
}

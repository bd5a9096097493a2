// The entry of morvane-cli.
#include "cli/cli.h"

#include "platform/platform.h"

int main(int argc, char** argv) {
    platform::watchInterrupts(InterruptCli);
    const platform::Utf8Console utf8; // names are UTF-8 (the manifest's code page): print them so
    CliIo io;
    io.errIsTerminal = platform::isTerminal(2);
    io.inIsTerminal = platform::isTerminal(0);
    io.waitForInput = [](const std::function<bool()>& giveUp) { return platform::waitForInput(giveUp); };
    return RunCli(std::vector<std::string>(argv + 1, argv + argc), io);
}

// The entry of morvane.exe.
#include "ui/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    return RunMorvane(instance, commandLine);
}

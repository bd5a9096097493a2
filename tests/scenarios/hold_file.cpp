// Holds a file open for reading, as a viewer might, until its standard input
// gives a line or ends; prints "held" once the file is held. It lets others
// read and write, so that only an open that refuses to share fails beside it.
//   hold-file PATH
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    HANDLE file = argc != 2 ? INVALID_HANDLE_VALUE
                            : CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    std::puts(file == INVALID_HANDLE_VALUE ? "cannot hold it" : "held");
    std::fflush(stdout);
    if (file == INVALID_HANDLE_VALUE) return 1;
    char line[16];
    std::fgets(line, sizeof line, stdin);
    CloseHandle(file);
    return 0;
}

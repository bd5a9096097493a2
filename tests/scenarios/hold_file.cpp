// Holds a file open with no sharing, as another program might, until its
// standard input gives a line or ends; prints "held" once the file is held.
//   hold-file PATH
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    HANDLE file = argc != 2 ? INVALID_HANDLE_VALUE
                            : CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::puts(file == INVALID_HANDLE_VALUE ? "cannot hold it" : "held");
    std::fflush(stdout);
    if (file == INVALID_HANDLE_VALUE) return 1;
    char line[16];
    std::fgets(line, sizeof line, stdin);
    CloseHandle(file);
    return 0;
}

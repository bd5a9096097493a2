// Holds a file open with no sharing, as another program might, until its
// standard input ends or gives a line. Prints "held" once the file is held.
//   hold-file PATH
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    HANDLE file =
        CreateFileA(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("cannot hold %s\n", argv[1]);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char line[16];
    std::fgets(line, sizeof line, stdin);
    CloseHandle(file);
    return 0;
}

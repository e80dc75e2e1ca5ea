// Holds the file named on its command line open without sharing until it is ended, as another
// station's program would hold an exchange file.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    Sleep(INFINITE);
    return 0;
}

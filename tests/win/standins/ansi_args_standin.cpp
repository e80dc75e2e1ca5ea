// An imaging program built as an ANSI program: the C runtime splits the command line the system
// converted to the ANSI code page (best fit included) into main's argv. Writes each argument's
// bytes on a line of "<own path>.args".
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    char path[MAX_PATH + 8] = "";
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    lstrcpyA(path + n, ".args");
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return 2;
    for (int i = 1; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
    std::fclose(out);
    return 0;
}

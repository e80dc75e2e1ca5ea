// Restricts the DLL search as Vorbel.exe does at start, then loads each DLL named on its command
// line by name alone, as a system DLL loads what it needs. Exit code: 0 when every system DLL
// named still loads, 1 otherwise; the planted DLLs say themselves whether they were loaded.
#include <windows.h>

#include "win/system_dll.h"

int wmain(int argc, wchar_t** argv) {
    vorbel::RestrictDllSearchToSystemFolder();
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        const bool system = argv[i][0] != L'+';
        HMODULE module = LoadLibraryW(system ? argv[i] : argv[i] + 1);
        if (system && !module) code = 1;
    }
    return code;
}

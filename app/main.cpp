#include <windows.h>

#include "app/vorbel_instance.h"
#include "win/system_dll.h"
#include "win/wide.h"

// The C runtime hands over the command line without the program's path and the blanks after it.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    // Before anything loads: the DLLs that system DLLs load by name never come from the
    // program's folder or the current one, where a planted copy could wait.
    vorbel::RestrictDllSearchToSystemFolder();
    vorbel::CVorbelInstance instance(vorbel::U(commandLine));
    const int exitCode = instance.Run();
    // A later instance has nothing to tidy once its request is handed over: ending here spares
    // the practice program that waits for it the runtime's teardown (milliseconds under Wine).
    if (!instance.RanTheButton()) ExitProcess(static_cast<UINT>(exitCode));
    return exitCode;
}

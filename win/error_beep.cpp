#include "win/error_beep.h"

#include <windows.h>

namespace vorbel {

void ErrorBeep() {
    MessageBeep(MB_ICONHAND);
    wchar_t name[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(kErrorBeepSemaphoreVariable, name, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    if (HANDLE semaphore = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE, FALSE, name)) {
        ReleaseSemaphore(semaphore, 1, nullptr);
        CloseHandle(semaphore);
    }
}

}  // namespace vorbel

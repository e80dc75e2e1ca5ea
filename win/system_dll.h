// System DLLs loaded on first use, from the system folder only: never from the program's folder
// or the current one, where a planted copy could wait.
#pragma once

#include <windows.h>

namespace vorbel {

// Restricts the process's default DLL search to the system folder, for the DLLs that system DLLs
// load for themselves by name. Where the search flags are missing (Windows 7 without KB2533623),
// the current folder at least leaves the search. Call first, before anything loads.
void RestrictDllSearchToSystemFolder();

// The loaded DLL, or null (GetLastError says why).
HMODULE LoadSystemDll(const char* dll);

// A function of a system DLL, loaded on the first call of this for it; null when missing.
template <typename Function>
Function SystemDllFunction(const char* dll, const char* name) {
    HMODULE module = LoadSystemDll(dll);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace vorbel

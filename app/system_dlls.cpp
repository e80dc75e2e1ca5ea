// The DLLs that only Setup, the hand-off's date parsing, the web export and the version lookups
// need are delay-loaded (cmake/shipped_program.cmake): the button starts without them, and a
// later instance loads only what finding the button and writing "CmdLine" take. This hook loads
// each of them on first use from the system folder, never from the program's or the current one.
#include <windows.h>
#include <delayimp.h>

#include <cstring>

namespace {

HMODULE LoadFromSystemFolder(const char* dll) {
    // Side-by-side assemblies come first, so the manifest's common controls 6 stay the ones used.
    if (HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // Windows 7 without update KB2533623 has no search flags. The manifest's side-by-side
    // assembly finds the common controls by their name alone; the others load by full path.
    if (_stricmp(dll, "comctl32.dll") == 0) return LoadLibraryA(dll);
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 1 + std::strlen(dll) >= MAX_PATH) return nullptr;
    path[n] = '\\';
    std::strcpy(path + n + 1, dll);
    return LoadLibraryA(path);
}

FARPROC WINAPI OnDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    if (HMODULE module = LoadFromSystemFolder(info->szDll)) return reinterpret_cast<FARPROC>(module);
    // As the delay-load helper fails when a DLL is missing, without searching anywhere else.
    ULONG_PTR argument = reinterpret_cast<ULONG_PTR>(info);
    RaiseException(VcppException(ERROR_SEVERITY_ERROR, ERROR_MOD_NOT_FOUND), 0, 1, &argument);
    return nullptr;
}

}  // namespace

extern "C" {
extern PfnDliHook __pfnDliNotifyHook2;
PfnDliHook __pfnDliNotifyHook2 = OnDelayLoad;
}

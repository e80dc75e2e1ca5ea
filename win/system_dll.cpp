#include "win/system_dll.h"

#include <cstring>

namespace vorbel {

void RestrictDllSearchToSystemFolder() {
    using SetDefault = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault =
        kernel
            ? reinterpret_cast<SetDefault>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
            : nullptr;
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDirectoryW(L"");
}

HMODULE LoadSystemDll(const char* dll) {
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

}  // namespace vorbel

// The DLLs that only Setup, the hand-off, the web export and the version lookups need are
// delay-loaded (cmake/shipped_program.cmake): the button starts without them, and a later
// instance loads only what finding the button and writing "CmdLine" take. This hook loads each
// of them on first use from the system folder only.
#include <windows.h>
#include <delayimp.h>

#include "win/system_dll.h"

namespace {

FARPROC WINAPI OnDelayLoad(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) return nullptr;
    if (HMODULE module = vorbel::LoadSystemDll(info->szDll)) return reinterpret_cast<FARPROC>(module);
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

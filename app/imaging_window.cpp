#include "app/imaging_window.h"

#include "win/scoped.h"

namespace vorbel {

ImagingWindowLookup ReadCliniViewWindowHandle() {
    ImagingWindowLookup found;
#ifdef _WIN64
    const REGSAM views[] = {0, KEY_WOW64_32KEY};
#else
    const REGSAM views[] = {0};
#endif
    for (const REGSAM view : views) {
        UniqueHKey key;
        const LONG error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental\\CliniView", 0,
                                           nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | view, nullptr, key.put(),
                                           nullptr);
        if (error != ERROR_SUCCESS) {
            key.release();
            if (view == 0) found.keyError = error;
            continue;
        }
        found.keyError = ERROR_SUCCESS;
        DWORD handle = 0, size = sizeof(handle), type = 0;
        if (RegQueryValueExW(key.get(), L"ApplicationWindowHandle", nullptr, &type, reinterpret_cast<BYTE*>(&handle),
                             &size) == ERROR_SUCCESS) {
            found.window = WindowFromStoredHandle(handle);
            return found;
        }
    }
    return found;
}

ImagingWindowLookup FindOpenImagingProgram(int target) {
    if (target != 1) {
        ImagingWindowLookup found;
        found.window = FindWindowW(L"WVXMAIN", nullptr);
        return found;
    }
    return ReadCliniViewWindowHandle();
}

}  // namespace vorbel

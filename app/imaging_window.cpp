#include "app/imaging_window.h"

#include "win/scoped.h"

namespace vorbel {

ImagingWindowLookup FindOpenImagingProgram(int target) {
    ImagingWindowLookup found;
    if (target != 1) {
        found.window = FindWindowW(L"WVXMAIN", nullptr);
        return found;
    }
    UniqueHKey key;
    found.keyError = RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Instrumentarium Dental\\CliniView", 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, key.put(), nullptr);
    if (found.keyError != ERROR_SUCCESS) {
        key.release();
        return found;
    }
    DWORD handle = 0, size = sizeof(handle), type = 0;
    if (RegQueryValueExW(key.get(), L"ApplicationWindowHandle", nullptr, &type, reinterpret_cast<BYTE*>(&handle),
                         &size) == ERROR_SUCCESS) {
        found.window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(handle));
    }
    return found;
}

}  // namespace vorbel

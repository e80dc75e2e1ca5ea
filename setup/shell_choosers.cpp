#include "setup/shell_choosers.h"

#include "win/system_dll.h"
#include "win/wide.h"

namespace vorbel {
namespace {

using FileBrowseProc = BOOL(WINAPI*)(HWND, LPWSTR, UINT, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR);

bool BrowseFile(HWND owner, wchar_t* file, UINT capacity, const wchar_t* folder, const wchar_t* defaultExtension,
                const wchar_t* filter, const wchar_t* title) {
    // SHELL32 exports this dialog by ordinal only.
    static const auto proc = SystemDllFunction<FileBrowseProc>("shell32.dll", MAKEINTRESOURCEA(63));
    if (!proc) return false;
    return proc(owner, file, capacity, folder, defaultExtension, filter, title) != FALSE;
}

std::optional<std::u16string> BrowseFolder(BROWSEINFOW& info) {
    // The new dialog style needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::optional<std::u16string> chosen;
    if (PIDLIST_ABSOLUTE items = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(items, path)) chosen = U(path);
        IMalloc* allocator = nullptr;
        if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
            allocator->Free(items);
            allocator->Release();
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

}  // namespace

ShellChoosers SystemShellChoosers() { return {BrowseFile, BrowseFolder}; }

}  // namespace vorbel

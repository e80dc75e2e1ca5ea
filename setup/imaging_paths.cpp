#include "setup/imaging_paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "win/wide.h"

namespace vorbel {

std::u16string CliniViewIniPath() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    const bool xpOrLater = version.dwMajorVersion >= 6 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
    wchar_t path[MAX_PATH] = {};
    if (xpOrLater) {
        SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
        PathAppendW(path, L"CliniView");
    } else {
        SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, path);
    }
    PathAppendW(path, L"CliniView.ini");
    return U(path);
}

}  // namespace vorbel

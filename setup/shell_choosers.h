// The shell's file and folder choosers, held as replaceable functions so that what Setup asks
// of them can be checked without a person at the screen.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <optional>
#include <string>

namespace vorbel {

struct ShellChoosers {
    // The shell's file browse dialog (exported by SHELL32 by ordinal 63 only). `file` holds the
    // initial file and receives the chosen path; `capacity` counts its characters. True when a
    // file was chosen.
    std::function<bool(HWND owner, wchar_t* file, UINT capacity, const wchar_t* folder, const wchar_t* defaultExtension,
                       const wchar_t* filter, const wchar_t* title)>
        browseFile;
    // SHBrowseForFolderW as described by `info`: the chosen folder's path, or nothing.
    std::function<std::optional<std::u16string>(BROWSEINFOW& info)> browseFolder;
};

ShellChoosers SystemShellChoosers();

}  // namespace vorbel

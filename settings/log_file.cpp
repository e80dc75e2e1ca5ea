#include "settings/log_file.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "settings/diagnostic_log.h"
#include "win/scoped.h"
#include "win/wide.h"

namespace vorbel {

std::u16string LogFilePath() {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) path[0] = L'\0';
    if (!PathAppendW(path, L"VrbLog.Log")) return u"VrbLog.Log";
    return U(path);
}

std::optional<FileError> WriteLogFile() {
    const std::u16string path = LogFilePath();
    UniqueFile file(
        CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FileError{path, GetLastError()};
    const std::u16string& text = TheDiagnosticLog().Text();
    const char* bytes = reinterpret_cast<const char*>(text.data());
    size_t left = text.size() * sizeof(char16_t);
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(left, 1 << 20));
        if (!WriteFile(file.get(), bytes, chunk, &written, nullptr) || written == 0) {
            return FileError{path, GetLastError()};
        }
        bytes += written;
        left -= written;
    }
    return std::nullopt;
}

}  // namespace vorbel

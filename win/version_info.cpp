#include "win/version_info.h"

#include <windows.h>

#include <cwchar>

#include "win/module_path.h"
#include "win/wide.h"

namespace vorbel {

std::vector<uint8_t> LoadOwnVersionInfo() {
    const std::u16string path = OwnModulePath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(W(path), &handle);
    if (size == 0) return {};
    std::vector<uint8_t> block(size);
    if (!GetFileVersionInfoW(W(path), 0, size, block.data())) return {};
    return block;
}

std::u16string GetOwnVersionString(std::u16string_view key) {
    constexpr size_t kMaxChars = 255;
    std::vector<uint8_t> block = LoadOwnVersionInfo();
    if (block.empty()) return u"";
    const WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", (void**)&translation, &length) ||
        length < 2 * sizeof(WORD)) {
        return u"";
    }
    wchar_t sub[64];
    // The C runtime's own formatter: std::swprintf would link MinGW's, floating point and all.
    _snwprintf(sub, 64, L"\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    const std::wstring query = sub + ToWide(key);
    const wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), query.c_str(), (void**)&value, &length) || !value) return u"";
    // `length` counts characters here, with the terminating zero when there is one.
    std::u16string text = U(value, wcsnlen(value, length));
    if (text.size() > kMaxChars) text.resize(kMaxChars);
    return text;
}

OwnFileVersion GetOwnFileVersion() {
    std::vector<uint8_t> block = LoadOwnVersionInfo();
    if (block.empty()) return {};
    const VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", (void**)&fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO)) {
        return {};
    }
    return {fixed->dwFileVersionMS, fixed->dwFileVersionLS, (fixed->dwFileFlags & VS_FF_PRERELEASE) != 0};
}

std::u16string GetOwnModuleName() { return OwnModuleBaseName(); }

}  // namespace vorbel

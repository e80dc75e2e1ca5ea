#include "handoff/handoff_system.h"

#include <windows.h>
#include <oleauto.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cmath>

#include "text/text.h"
#include "win/system_dll.h"
#include "win/wide.h"

namespace vorbel {

std::u16string CliniViewIniDefaultPath() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    const bool xpOrLater = version.dwMajorVersion >= 6 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
    wchar_t path[MAX_PATH] = L"";
    if (xpOrLater) {
        if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path))) path[0] = 0;
        PathAppendW(path, L"CliniView");
    } else if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, path))) {
        path[0] = 0;
    }
    PathAppendW(path, L"CliniView.ini");
    return U(path);
}

std::optional<std::u16string> DefaultDataLocation(int target) {
    switch (target) {
        case TargetVixWin: return std::u16string(kDefaultImagesRoot);
        case TargetCliniView: return CliniViewIniDefaultPath();
        case TargetSidexis: return std::u16string(kDefaultExchangeFile);
        default: return std::nullopt;
    }
}

bool NamesExistingFile(std::u16string_view path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(W(std::u16string(path)));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::u16string LocalComputerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(name, &size)) return u"";
    return U(name, size);
}

namespace {

// Text to a code page's bytes. With bestFit, the system's look-alikes for what the page lacks
// (as the Sidexis records have always had them); without, "?" for it: "Œ" must not turn into "O"
// silently. Pages that refuse these flags (UTF-8 as the system page) hold every character anyway.
std::string ToCodePage(std::u16string_view text, UINT codePage, bool bestFit) {
    if (text.empty()) return {};
    const std::wstring wide = ToWide(text);
    const int length = static_cast<int>(wide.size());
    DWORD flags = bestFit ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = bestFit ? nullptr : "?";
    int n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, fallback, nullptr);
    if (n <= 0 && !bestFit) {
        flags = 0;
        fallback = nullptr;
        n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    }
    if (n <= 0) return bestFit ? std::string() : std::string(text.size(), '?');
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), n, fallback, nullptr);
    return out;
}

}  // namespace

std::string ToOemBytes(std::u16string_view text) { return ToCodePage(text, CP_OEMCP, true); }

std::string ToAnsiBytes(std::u16string_view text) { return ToCodePage(text, CP_ACP, false); }

std::string ToOemBytesOrQuestionMark(std::u16string_view text) { return ToCodePage(text, CP_OEMCP, false); }

char16_t SystemAnsiLookAlike(char16_t c) {
    if (c < 0x80 || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    const wchar_t wide = static_cast<wchar_t>(c);
    char bytes[4] = {};
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(CP_ACP, 0, &wide, 1, bytes, sizeof(bytes), nullptr, &usedDefault);
    const auto byte = static_cast<unsigned char>(bytes[0]);
    return n == 1 && !usedDefault && byte < 0x80 ? static_cast<char16_t>(byte) : 0;
}

LocalDateTime LocalNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {{st.wDay, st.wMonth, st.wYear}, st.wHour, st.wMinute, st.wSecond};
}

std::optional<CalendarDate> ParseBirthDate(std::u16string_view text) {
    const std::u16string trimmed = Trim(text);
    if (trimmed.empty()) return std::nullopt;
    std::wstring wide = ToWide(trimmed);
    // oleaut32 loads with the first birth date. Not through a delay-load stub: on x64, MinGW's
    // does not keep the floating-point argument of VariantTimeToSystemTime.
    static const auto varDateFromStr = SystemDllFunction<decltype(&VarDateFromStr)>("oleaut32.dll", "VarDateFromStr");
    static const auto variantTimeToSystemTime =
        SystemDllFunction<decltype(&VariantTimeToSystemTime)>("oleaut32.dll", "VariantTimeToSystemTime");
    if (!varDateFromStr || !variantTimeToSystemTime) return std::nullopt;
    DATE date = 0;
    if (FAILED(varDateFromStr(wide.data(), LANG_USER_DEFAULT, 0, &date))) return std::nullopt;
    // A time alone lands on day 0 (30/12/1899): no birth date was typed.
    if (std::trunc(date) == 0) return std::nullopt;
    SYSTEMTIME st;
    if (!variantTimeToSystemTime(std::trunc(date), &st)) return std::nullopt;
    return CalendarDate{st.wDay, st.wMonth, st.wYear};
}

}  // namespace vorbel

#include "locator/window_text.h"

#include <cwchar>
#include <vector>

#include "win/foreign_message.h"
#include "win/wide.h"

namespace vorbel {

std::u16string ReadWindowTextBounded(HWND window, size_t room) {
    if (room == 0) return u"";
    std::vector<wchar_t> buf(room, L'\0');
    if (!SendToForeignWindow(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(buf.data()))) return u"";
    // Another program's window may not terminate what it copies.
    buf[room - 1] = L'\0';
    return U(buf.data(), wcsnlen(buf.data(), room));
}

bool IsClassicControl(HWND window) {
    wchar_t cls[256] = {};
    GetClassNameW(window, cls, 256);
    return IsClassicControlClass(cls);
}

bool IsClassicControlClass(const wchar_t* className) {
    static constexpr const wchar_t* kClasses[] = {L"Edit",          L"Static",  L"Button",   L"ComboBox",
                                                  L"ComboLBox",     L"ListBox", L"RichEdit", L"SysListView32",
                                                  L"SysTreeView32", L"msctls_"};
    const int length = static_cast<int>(wcslen(className));
    for (const wchar_t* prefix : kClasses) {
        const int n = static_cast<int>(wcslen(prefix));
        if (length >= n && CompareStringOrdinal(className, n, prefix, n, TRUE) == CSTR_EQUAL) return true;
    }
    return false;
}

}  // namespace vorbel

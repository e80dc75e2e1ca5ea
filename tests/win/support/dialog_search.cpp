#include "tests/win/support/dialog_search.h"

namespace vorbel::test {
namespace {

struct Search {
    std::wstring_view prefix;
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t cls[32] = {}, title[1024] = {};
    GetClassNameW(w, cls, 32);
    if (std::wstring_view(cls) != L"#32770" || !IsWindowVisible(w)) return TRUE;
    if (s->owner && GetWindow(w, GW_OWNER) != s->owner) return TRUE;
    GetWindowTextW(w, title, 1024);
    if (std::wstring_view(title).rfind(s->prefix, 0) != 0) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace

HWND FindDialog(DWORD thread, std::wstring_view titlePrefix, HWND owner) {
    Search s = {titlePrefix, owner, nullptr};
    EnumThreadWindows(thread, MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace vorbel::test

// A control anywhere below a window, found by its id (GetDlgItem looks at direct children only).
#pragma once

#include <windows.h>

namespace vorbel {
namespace descendant_detail {

struct Search {
    int id;
    HWND found;
};

// A named __stdcall function: a lambda cannot be an enumeration callback on i686.
inline BOOL CALLBACK MatchId(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<Search*>(p);
    if (GetDlgCtrlID(w) != s->id) return TRUE;
    s->found = w;
    return FALSE;
}

}  // namespace descendant_detail

inline HWND FindDescendantById(HWND top, int id) {
    descendant_detail::Search search = {id, nullptr};
    EnumChildWindows(top, descendant_detail::MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace vorbel

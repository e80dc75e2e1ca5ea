// TEMPORARY stand-in for the field locator, replaced by the real one when the branches meet.
// It remembers a window by its class and the screen point of its centre, nothing more.
#include "setup/field_locator.h"

#include "settings/text.h"
#include "setup/window_at_point.h"
#include "setup/window_text.h"
#include "win/wide.h"

namespace vorbel {

namespace {
bool pointOnly = false;

std::u16string ClassOf(HWND w) {
    wchar_t name[250] = {};
    return U(name, GetClassNameW(w, name, 250));
}
}  // namespace

void SetPointOnlyMode(bool on) { pointOnly = on; }

std::u16string BuildFieldLocator(HWND window) {
    RECT r = {};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return ClassOf(window) + u";" + DecimalText((r.left + r.right) / 2) + u";" + DecimalText((r.top + r.bottom) / 2);
}

HWND FindLocatedControl(const std::u16string& locator) {
    const size_t y = locator.rfind(u';');
    if (y == std::u16string::npos || y == 0) return nullptr;
    const size_t x = locator.rfind(u';', y - 1);
    if (x == std::u16string::npos) return nullptr;
    const POINT p = {ParseDecimalInt(locator.substr(x + 1)), ParseDecimalInt(locator.substr(y + 1))};
    HWND w = WindowAtScreenPoint(p);
    return w && ClassOf(w) == locator.substr(0, x) ? w : nullptr;
}

std::u16string ReadControlValue(HWND window) {
    if (!window) return u"";
    if (ClassOf(window) == u"Button") {
        DWORD_PTR checked = 0;
        if (!SendMessageTimeoutW(window, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, kForeignWindowTimeoutMs,
                                 &checked))
            return u"";
        return checked ? u"1" : u"0";
    }
    return ReadWindowTextBounded(window, 1024);
}

}  // namespace vorbel

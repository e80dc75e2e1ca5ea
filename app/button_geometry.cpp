#include "app/button_geometry.h"

#include <algorithm>
#include <climits>

#include "settings/text.h"

namespace vorbel {
namespace {

// One "%d" conversion: white space, sign, digits. False when no digit is there.
bool ScanInt(std::u16string_view t, size_t& pos, int& out) {
    size_t i = pos;
    while (i < t.size() && IsWideSpace(t[i])) ++i;
    size_t start = i;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    size_t digits = i;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
    if (i == digits) return false;
    out = ParseDecimalInt(t.substr(start, i - start));
    pos = i;
    return true;
}

}  // namespace

ButtonRect ParseButtonRect(std::u16string_view text) {
    ButtonRect r{0, 0, 48, 48};
    int* fields[] = {&r.left, &r.top, &r.right, &r.bottom};
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != u';') break;
            ++pos;
        }
        if (!ScanInt(text, pos, *fields[i])) break;
    }
    return r;
}

std::u16string FormatButtonRect(const ButtonRect& r) {
    return DecimalText(r.left) + u';' + DecimalText(r.top) + u';' + DecimalText(r.right) + u';' + DecimalText(r.bottom);
}

ButtonRect ClampButtonSize(ButtonRect r, ButtonSize smallest, ButtonSize largest) {
    // 64-bit: a hand-edited rectangle may hold extreme numbers.
    auto width = [&] { return static_cast<long long>(r.right) - r.left; };
    auto height = [&] { return static_cast<long long>(r.bottom) - r.top; };
    auto at = [](int origin, int size) { return static_cast<int>(std::clamp<long long>(static_cast<long long>(origin) + size, INT_MIN, INT_MAX)); };
    if (width() < smallest.cx) r.right = at(r.left, smallest.cx);
    if (height() < smallest.cy) r.bottom = at(r.top, smallest.cy);
    if (width() > largest.cx) r.right = at(r.left, largest.cx);
    if (height() > largest.cy) r.bottom = at(r.top, largest.cy);
    return r;
}

bool LiesOnScreen(const ButtonRect& r, int screenWidth, int screenHeight) {
    return !(r.right > screenWidth || r.bottom > screenHeight || r.left < 0 || r.top < 0);
}

ButtonRect KeepOnScreen(ButtonRect r, int screenWidth, int screenHeight) {
    auto shift = [](int& a, int& b, int by) {
        a += by;
        b += by;
    };
    if (r.left < 0) shift(r.left, r.right, -r.left);
    if (r.top < 0) shift(r.top, r.bottom, -r.top);
    if (r.right > screenWidth) shift(r.left, r.right, screenWidth - r.right);
    if (r.bottom > screenHeight) shift(r.top, r.bottom, screenHeight - r.bottom);
    return r;
}

int ExitModeIconSize(int w, int h) {
    const int m = std::min(w, h);
    return m >= 56 ? 64 : m >= 40 ? 48 : m >= 18 ? 32 : 16;
}

}  // namespace vorbel

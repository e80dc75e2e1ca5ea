#include "app/button_geometry.h"

#include <algorithm>
#include <climits>

#include "app/monitor_placement.h"
#include "text/text.h"

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
    auto at = [](int origin, int size) {
        return static_cast<int>(std::clamp<long long>(static_cast<long long>(origin) + size, INT_MIN, INT_MAX));
    };
    if (width() < smallest.cx) r.right = at(r.left, smallest.cx);
    if (height() < smallest.cy) r.bottom = at(r.top, smallest.cy);
    if (width() > largest.cx) r.right = at(r.left, largest.cx);
    if (height() > largest.cy) r.bottom = at(r.top, largest.cy);
    return r;
}

int ExitModeIconSize(int w, int h, int dpi) {
    const int m = std::min(w, h);
    auto at = [dpi](int px) { return ScaleForDpi(px, dpi); };
    return m >= at(56) ? at(64) : m >= at(40) ? at(48) : m >= at(18) ? at(32) : at(16);
}

int SmallestSideAtLeast(std::span<const int> sides, int px) {
    int best = 0, largest = 0;
    for (int side : sides) {
        largest = std::max(largest, side);
        if (side >= px && (best == 0 || side < best)) best = side;
    }
    return best ? best : largest;
}

}  // namespace vorbel

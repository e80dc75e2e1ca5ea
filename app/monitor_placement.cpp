#include "app/monitor_placement.h"

#include <algorithm>
#include <climits>

namespace vorbel {
namespace {

long long Overlap(const ButtonRect& a, const ButtonRect& b) {
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between two rectangles that do not overlap.
long long Distance(const ButtonRect& a, const ButtonRect& b) {
    auto gap = [](long long lo1, long long hi1, long long lo2, long long hi2) {
        return std::max<long long>({0, lo2 - hi1, lo1 - hi2});
    };
    const long long dx = gap(a.left, a.right, b.left, b.right);
    const long long dy = gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

bool Holds(const ButtonRect& area, int x, int y) {
    return x >= area.left && x < area.right && y >= area.top && y < area.bottom;
}

}  // namespace

int ScaleForDpi(int pixelsAt96, int dpi) {
    const long long scaled = static_cast<long long>(pixelsAt96) * dpi;
    return static_cast<int>((scaled >= 0 ? scaled + 48 : scaled - 48) / 96);
}

int MonitorOf(const ButtonRect& r, std::span<const MonitorArea> monitors) {
    int best = -1;
    long long bestOverlap = 0;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const long long o = Overlap(r, monitors[i].bounds);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = static_cast<int>(i);
        }
    }
    if (best >= 0) return best;
    long long bestDistance = LLONG_MAX;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const long long d = Distance(r, monitors[i].bounds);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(i);
        }
    }
    return best;
}

bool LiesWithin(const ButtonRect& r, const ButtonRect& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right && r.bottom <= area.bottom;
}

ButtonRect ShiftInto(ButtonRect r, const ButtonRect& area) {
    auto shift = [](int& a, int& b, long long by) {
        a = static_cast<int>(a + by);
        b = static_cast<int>(b + by);
    };
    if (r.right > area.right) shift(r.left, r.right, static_cast<long long>(area.right) - r.right);
    if (r.bottom > area.bottom) shift(r.top, r.bottom, static_cast<long long>(area.bottom) - r.bottom);
    if (r.left < area.left) shift(r.left, r.right, static_cast<long long>(area.left) - r.left);
    if (r.top < area.top) shift(r.top, r.bottom, static_cast<long long>(area.top) - r.top);
    return r;
}

ButtonRect KeepOnItsMonitor(const ButtonRect& proposed, std::span<const MonitorArea> monitors) {
    const int m = MonitorOf(proposed, monitors);
    return m < 0 ? proposed : ShiftInto(proposed, monitors[m].work);
}

std::optional<ButtonRect> PlaceStoredRect(const ButtonRect& stored, std::span<const MonitorArea> monitors) {
    for (const MonitorArea& m : monitors) {
        if (!Holds(m.bounds, stored.left, stored.top)) continue;
        const ButtonRect r = ClampButtonSize(stored, m.limits.smallest, m.limits.largest);
        if (LiesWithin(r, m.bounds)) return r;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ButtonRect> BringBackOnScreen(const ButtonRect& current, std::span<const MonitorArea> monitors) {
    for (const MonitorArea& m : monitors) {
        if (LiesWithin(current, m.bounds)) return std::nullopt;
    }
    const int m = MonitorOf(current, monitors);
    if (m < 0) return std::nullopt;
    return ShiftInto(current, monitors[m].work);
}

}  // namespace vorbel

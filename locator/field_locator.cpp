#include "locator/field_locator.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "locator/locator_text.h"
#include "locator/window_text.h"
#include "settings/settings_store.h"
#include "win/foreign_message.h"
#include "win/wide.h"

namespace vorbel {
namespace {

// Far deeper than any real window tree: bounds the climbs and descents when a tree changes
// while we walk it.
constexpr int kMaxDepth = 1024;
// A combo item this long is not a patient field; its text is not fetched.
constexpr LRESULT kMaxComboItemLength = 1 << 20;
constexpr size_t kMaxValueLength = 1023;

bool HasChildStyle(HWND w) { return (GetWindowLongW(w, GWL_STYLE) & WS_CHILD) != 0; }

HWND TopWindowOf(HWND w) {
    for (int depth = 0; depth < kMaxDepth && HasChildStyle(w); ++depth) {
        HWND parent = GetParent(w);
        if (!parent) break;
        w = parent;
    }
    return w;
}

// 1-based, in first-child / next-sibling order.
int32_t ChildPosition(HWND w) {
    int32_t position = 1;
    for (HWND c = GetWindow(GetParent(w), GW_CHILD); c && c != w; c = GetWindow(c, GW_HWNDNEXT)) ++position;
    return position;
}

POINT ClientCentre(HWND w, HWND to) {
    RECT rc = {};
    GetClientRect(w, &rc);
    MapWindowPoints(w, to, reinterpret_cast<POINT*>(&rc), 2);
    return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// The c-th child (from 1), or nullptr when the children run out first.
HWND NthChild(HWND parent, int32_t c) {
    if (c < 1) return nullptr;
    HWND w = GetWindow(parent, GW_CHILD);
    while (w && --c > 0) w = GetWindow(w, GW_HWNDNEXT);
    return w;
}

// The path leads to the control's parent; among its children, the last visible one whose
// rectangle holds the centre, scaled to the top window's present size, is the control.
HWND FindByStructure(HWND top, const ParsedLocator& locator) {
    HWND parent = top;
    for (int32_t position : locator.path) {
        parent = NthChild(parent, position);
        if (!parent) return nullptr;
    }
    RECT client = {};
    GetClientRect(top, &client);
    const POINT scaled = {MulDiv(locator.x, client.right - client.left, locator.width),
                          MulDiv(locator.y, client.bottom - client.top, locator.height)};
    HWND candidate = nullptr;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r = {};
        GetWindowRect(c, &r);
        MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
        if (PtInRect(&r, scaled) && IsWindowVisible(c)) candidate = c;
    }
    return candidate;
}

// The window an element locator names: its path leads to that window itself.
HWND FindElementHost(HWND top, const ParsedLocator& locator) {
    HWND host = top;
    for (int32_t position : locator.path) {
        host = NthChild(host, position);
        if (!host) return nullptr;
    }
    return host;
}

// The locator's centre scaled to the top window's present client size, on the screen.
POINT ScaledScreenPoint(HWND top, const ParsedLocator& locator) {
    RECT client = {};
    GetClientRect(top, &client);
    POINT scaled = {MulDiv(locator.x, client.right - client.left, locator.width),
                    MulDiv(locator.y, client.bottom - client.top, locator.height)};
    ClientToScreen(top, &scaled);
    return scaled;
}

HWND TopWindowNamed(const ParsedLocator& locator) {
    return locator.className.empty() ? nullptr : FindWindowW(W(locator.className), nullptr);
}

// Where an element is read: its own window only, never whatever lies at its screen point when
// that window cannot be found (another window there may show another patient); with point-only
// reading, that point alone.
struct ElementSource {
    HWND host = nullptr;  // none: point-only, or nothing to read
    std::optional<POINT> point;
};

ElementSource SourceOf(const ParsedLocator& locator, LocatorLookup lookup) {
    if (lookup == LocatorLookup::PointOnly) {
        if (!locator.screen) return {};
        return {nullptr, POINT{locator.screen->x, locator.screen->y}};
    }
    const HWND top = TopWindowNamed(locator);
    if (!top || !locator.hasStructure) return {};
    const HWND host = FindElementHost(top, locator);
    if (!host) return {};
    return {host, ScaledScreenPoint(top, locator)};
}

// The elements of `fields` read from one source each: those of one window together, and those
// read at their points together.
void ReadElements(const std::vector<const ParsedLocator*>& fields, LocatorLookup lookup,
                  std::vector<std::u16string>& texts) {
    std::vector<ElementSource> sources(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] && fields[i]->IsElement()) sources[i] = SourceOf(*fields[i], lookup);
    }
    std::vector<bool> read(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (read[i] || !sources[i].point) continue;
        std::vector<size_t> together;
        for (size_t j = i; j < fields.size(); ++j) {
            if (!read[j] && sources[j].point && sources[j].host == sources[i].host) together.push_back(j);
        }
        if (sources[i].host) {
            std::vector<ElementQuery> queries;
            for (size_t j : together) queries.push_back({fields[j]->element, sources[j].point});
            const auto found = ReadElementTexts(sources[i].host, queries);
            for (size_t k = 0; k < together.size(); ++k) texts[together[k]] = found[k].value_or(u"");
        } else {
            std::vector<POINT> points;
            for (size_t j : together) points.push_back(*sources[j].point);
            const auto found = ReadElementTextsAtPoints(points);
            for (size_t k = 0; k < together.size(); ++k) texts[together[k]] = found[k];
        }
        for (size_t j : together) read[j] = true;
    }
}

std::u16string Cut(std::u16string text) {
    if (text.size() > kMaxValueLength) text.resize(kMaxValueLength);
    return text;
}

std::u16string ReadComboSelection(HWND combo) {
    const auto selection = SendToForeignWindow(combo, CB_GETCURSEL, 0, 0);
    if (!selection || *selection == CB_ERR) return {};
    // CB_GETLBTEXT takes no buffer size: ask for the length first and leave room to spare, in
    // case the item grows between the two messages.
    const auto length = SendToForeignWindow(combo, CB_GETLBTEXTLEN, *selection, 0);
    if (!length || *length < 0 || *length > kMaxComboItemLength) return {};
    std::vector<wchar_t> buffer(static_cast<size_t>(*length) + 1 + 1024, L'\0');
    const auto copied = SendToForeignWindow(combo, CB_GETLBTEXT, *selection, reinterpret_cast<LPARAM>(buffer.data()));
    if (!copied || *copied == CB_ERR) return {};
    buffer.back() = L'\0';
    return Cut(U(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
}

// The top-level window's part, then the text; empty when the store could not keep it exactly:
// cut, or changed by its scrambling, a locator would name another field.
std::u16string FinishLocator(LocatorParts& parts, HWND top) {
    wchar_t className[kMaxLocatorClassLength + 1] = {};
    const int classLength = GetClassNameW(top, className, kMaxLocatorClassLength + 1);
    parts.className = U(className, static_cast<size_t>(std::max(classLength, 0)));
    RECT client = {};
    GetClientRect(top, &client);
    parts.width = client.right;
    parts.height = client.bottom;
    std::u16string locator = FormatFieldLocator(parts);
    if (!CanStoreExactly(Setting::ChartNumberLocator, locator)) return {};
    return locator;
}

}  // namespace

std::u16string BuildFieldLocator(HWND window) {
    if (!window || !IsWindow(window)) return {};
    const HWND top = TopWindowOf(window);

    LocatorParts parts;
    const POINT centre = ClientCentre(window, top);
    parts.x = centre.x;
    parts.y = centre.y;
    HWND ancestor = GetParent(window);
    for (int depth = 0; depth < kMaxDepth && ancestor && HasChildStyle(ancestor); ++depth) {
        parts.path.insert(parts.path.begin(), ChildPosition(ancestor));
        ancestor = GetParent(ancestor);
    }
    const POINT screen = ClientCentre(window, HWND_DESKTOP);
    parts.screen = {screen.x, screen.y};
    return FinishLocator(parts, top);
}

std::u16string BuildElementLocator(const AccessibleElement& element) {
    if (!element.host || !IsWindow(element.host) || element.path.empty()) return {};
    const HWND top = TopWindowOf(element.host);

    LocatorParts parts;
    for (HWND w = element.host; w != top && HasChildStyle(w) && parts.path.size() < kMaxDepth; w = GetParent(w)) {
        parts.path.insert(parts.path.begin(), ChildPosition(w));
    }
    const POINT screen = {(element.screen.left + element.screen.right) / 2,
                          (element.screen.top + element.screen.bottom) / 2};
    POINT centre = screen;
    ScreenToClient(top, &centre);
    parts.x = centre.x;
    parts.y = centre.y;
    parts.screen = {screen.x, screen.y};
    parts.element = element.path;
    // A field without a value shows its own text as its name: that text is no key to find it
    // again (another field may show it later, the previous patient's), and no patient's name
    // belongs in the settings. Its role and position find it.
    if (element.value.empty()) parts.element.back().name.clear();
    return FinishLocator(parts, top);
}

HWND FindLocatedControl(std::u16string_view text, LocatorLookup lookup) {
    const auto locator = ParseFieldLocator(text);
    return locator ? FindLocatedControl(*locator, lookup) : nullptr;
}

HWND FindLocatedControl(const ParsedLocator& locator, LocatorLookup lookup) {
    if (locator.IsElement()) {
        const HWND top = TopWindowNamed(locator);
        return top && locator.hasStructure ? FindElementHost(top, locator) : nullptr;
    }
    if (lookup == LocatorLookup::StructureFirst) {
        const HWND top = TopWindowNamed(locator);
        if (!top || !locator.hasStructure) return nullptr;
        if (HWND found = FindByStructure(top, locator)) return found;
    }
    if (!locator.screen) return nullptr;
    return ControlAtScreenPoint({locator.screen->x, locator.screen->y});
}

std::u16string ReadLocatedField(std::u16string_view text, LocatorLookup lookup) {
    return ReadLocatedFields({ParseFieldLocator(text)}, lookup).front();
}

std::vector<std::u16string> ReadLocatedFields(const std::vector<std::optional<ParsedLocator>>& locators,
                                              LocatorLookup lookup) {
    std::vector<std::u16string> texts(locators.size());
    std::vector<const ParsedLocator*> elements(locators.size());
    for (size_t i = 0; i < locators.size(); ++i) {
        if (!locators[i]) continue;
        if (locators[i]->IsElement()) {
            elements[i] = &*locators[i];
        } else {
            texts[i] = ReadControlValue(FindLocatedControl(*locators[i], lookup));
        }
    }
    ReadElements(elements, lookup, texts);
    return texts;
}

HWND ControlAtScreenPoint(POINT screen) {
    HWND h = WindowFromPoint(screen);
    if (!h || h == GetDesktopWindow()) return nullptr;
    POINT point = screen;
    ScreenToClient(h, &point);
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        const HWND c = ChildWindowFromPointEx(h, point, CWP_SKIPINVISIBLE);
        if (!c) {
            if (depth == 0) return nullptr;  // on the frame or caption of the window under the point
            break;                           // on the border of a child: that child
        }
        if (c == h) break;
        MapWindowPoints(h, c, &point, 1);
        h = c;
    }
    ClientToScreen(h, &point);
    // A group frame or a panel listed before the control may also hold the point: the last
    // visible sibling that holds it wins. Top-level windows are left out: those after h lie
    // beneath it, out of sight at that point.
    HWND result = h;
    if (HasChildStyle(h)) {
        for (HWND s = GetWindow(h, GW_HWNDNEXT); s; s = GetWindow(s, GW_HWNDNEXT)) {
            RECT r = {};
            GetWindowRect(s, &r);
            if (IsWindowVisible(s) && PtInRect(&r, point)) result = s;
        }
    }
    return result;
}

std::u16string ReadControlValue(HWND window) {
    if (!window) return {};
    wchar_t className[kMaxLocatorClassLength + 1] = {};
    const int classLength = GetClassNameW(window, className, kMaxLocatorClassLength + 1);
    const std::u16string cls = U(className, static_cast<size_t>(std::max(classLength, 0)));
    if (SameClassName(cls, u"Button")) {
        const auto checked = SendToForeignWindow(window, BM_GETCHECK, 0, 0);
        if (!checked) return {};
        return *checked != 0 ? u"1" : u"0";
    }
    if (SameClassName(cls, u"ComboBox")) return ReadComboSelection(window);
    return ReadWindowTextBounded(window, kMaxValueLength + 1);
}

DesignatedField DesignateField(HWND window, std::optional<POINT> screen) {
    if (window && screen && !IsClassicControl(window)) {
        // A window that draws its fields itself: the element under the point, when it publishes one.
        if (const auto element = ElementAtScreenPoint(window, *screen)) return {BuildElementLocator(*element), true};
    }
    return {window ? BuildFieldLocator(window) : u"", false};
}

}  // namespace vorbel

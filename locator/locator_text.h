// The text by which a field of another program's window is remembered. A control (a child
// window): W;H;CLASS;i1;...;ik;X;Y|SX|SY. An element the window draws and publishes to screen
// readers: the same window part, then "|@" and the element's path in the window's accessible tree,
// one step per level joined by ">", each "ROLE,INDEX,NAME". Platform-free: reading and writing the
// text only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorbel {

// A locator is stored as one setting; a longer text could not come back whole from the store.
inline constexpr size_t kMaxLocatorLength = 511;
// GetClassNameW into a buffer of 250 characters.
inline constexpr size_t kMaxLocatorClassLength = 249;

// Names are kept to this many characters and compared on them: a long label or a value
// mistaken for a name must not push the locator over kMaxLocatorLength.
inline constexpr size_t kMaxAccessibleNameLength = 64;

// One level of an accessible element's path: its role (ROLE_SYSTEM_*), its 1-based position
// among its siblings, and its name (cut to kMaxAccessibleNameLength).
struct AccessibleStep {
    int32_t role = 0;
    int32_t index = 0;
    std::u16string name;
    bool operator==(const AccessibleStep&) const = default;
};

struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// What a locator says, read as its separators fall: a class name holding ";" or "|" shifts the
// fields after it. Malformed numbers read as 0.
struct ParsedLocator {
    int32_t width = 0;          // client width of the top window when the locator was built
    int32_t height = 0;         // client height
    std::u16string className;   // class of the top window
    bool hasStructure = false;  // at least four ";": a path and a centre to walk
    std::vector<int32_t> path;  // 1-based child positions, outermost first, down to the parent
    int32_t x = 0;              // centre of the control in the top window's client area
    int32_t y = 0;
    std::optional<ScreenPoint> screen;  // the centre on the screen, when both "|" fields exist
    // For an element: its path from the window's client object, outermost first. The window
    // part then names the window that publishes it: `path` leads to that window itself (empty:
    // the top window), and the centre and screen point are the element's.
    std::vector<AccessibleStep> element;

    bool IsElement() const { return !element.empty(); }
    bool operator==(const ParsedLocator&) const = default;
};

// nullopt when nothing can be found from the text: empty, longer than kMaxLocatorLength,
// holding a NUL, or without a class field (fewer than two ";"). The element part is what follows
// the first "|@" after the last ";"; a step missing its name or its index reads as not found.
std::optional<ParsedLocator> ParseFieldLocator(std::u16string_view text);

struct LocatorParts {
    int32_t width = 0;
    int32_t height = 0;
    std::u16string className;
    std::vector<int32_t> path;  // outermost first; empty for a direct child of the top window
    int32_t x = 0;
    int32_t y = 0;
    ScreenPoint screen;
    std::vector<AccessibleStep> element;  // empty for a control
};

// "%d;%d;%s;%s|%d|%d" of W, H, CLASS (cut to kMaxLocatorClassLength), the path and centre, SX
// and SY; for an element, "|@" and its steps. In names, "%", ";", "|", ",", ">" and control
// characters are written "%" and four hex digits. The length is not checked here: see
// kMaxLocatorLength.
std::u16string FormatFieldLocator(const LocatorParts& parts);

// Window class names compare without regard to ASCII letter case, as Windows compares them.
bool SameClassName(std::u16string_view a, std::u16string_view b);

}  // namespace vorbel

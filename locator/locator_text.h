// The text by which a control of another program's window is remembered:
// W;H;CLASS;i1;...;ik;X;Y|SX|SY. Platform-free: reading and writing the text only.
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

    bool operator==(const ParsedLocator&) const = default;
};

// nullopt when nothing can be found from the text: empty, longer than kMaxLocatorLength,
// holding a NUL, or without a class field (fewer than two ";").
std::optional<ParsedLocator> ParseFieldLocator(std::u16string_view text);

struct LocatorParts {
    int32_t width = 0;
    int32_t height = 0;
    std::u16string className;
    std::vector<int32_t> path;  // outermost first; empty for a direct child of the top window
    int32_t x = 0;
    int32_t y = 0;
    ScreenPoint screen;
};

// "%d;%d;%s;%s|%d|%d" of W, H, CLASS (cut to kMaxLocatorClassLength), the path and centre, SX
// and SY. The length is not checked here: see kMaxLocatorLength.
std::u16string FormatFieldLocator(const LocatorParts& parts);

// Window class names compare without regard to ASCII letter case, as Windows compares them.
bool SameClassName(std::u16string_view a, std::u16string_view b);

}  // namespace vorbel

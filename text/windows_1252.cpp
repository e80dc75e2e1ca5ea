#include "text/windows_1252.h"

#include <algorithm>
#include <array>

namespace vorbel {
namespace {

// Bytes 80 to 9F; an undefined byte stands for its C1 control character.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

bool IsHighSurrogateUnit(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogateUnit(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

}  // namespace

std::string EncodeWindows1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* at = std::find(kHighControls.begin(), kHighControls.end(), c);
        if (at != kHighControls.end()) {
            out += static_cast<char>(0x80 + (at - kHighControls.begin()));
            continue;
        }
        if (IsHighSurrogateUnit(c) && i + 1 < text.size() && IsLowSurrogateUnit(text[i + 1])) ++i;
        out += '?';
    }
    return out;
}

std::u16string DecodeWindows1252(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        out += u >= 0x80 && u < 0xA0 ? kHighControls[u - 0x80] : static_cast<char16_t>(u);
    }
    return out;
}

}  // namespace vorbel

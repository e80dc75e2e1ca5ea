#include "capture/bridge_encoding.h"

namespace vorbel {
namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// Code points of the text; half a surrogate pair is "?".
template <typename OnCodePoint>
void ForEachCodePoint(std::u16string_view text, OnCodePoint onCodePoint) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            onCodePoint(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[++i] - 0xDC00));
        } else {
            onCodePoint(IsHigh(c) || IsLow(c) ? U'?' : static_cast<char32_t>(c));
        }
    }
}

void AppendUtf8(std::vector<uint8_t>& out, std::u16string_view text) {
    ForEachCodePoint(text, [&](char32_t cp) {
        if (cp < 0x80) {
            out.push_back(static_cast<uint8_t>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<uint8_t>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<uint8_t>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<uint8_t>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<uint8_t>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<uint8_t>(0x80 | (cp & 0x3F)));
        }
    });
}

void AppendUtf16Le(std::vector<uint8_t>& out, std::u16string_view text) {
    const auto unit = [&](char32_t u) {
        out.push_back(static_cast<uint8_t>(u & 0xFF));
        out.push_back(static_cast<uint8_t>(u >> 8));
    };
    ForEachCodePoint(text, [&](char32_t cp) {
        if (cp < 0x10000) {
            unit(cp);
        } else {
            unit(0xD800 + ((cp - 0x10000) >> 10));
            unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    });
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

const std::array<std::u16string_view, kBridgeEncodingCount> kBridgeEncodingLabels = {
    u"UTF-8", u"UTF-8 avec BOM", u"UTF-16 LE avec BOM", u"ANSI (page de code du syst\u00e8me)",
    u"OEM (page de code DOS)",
};

std::optional<std::vector<uint8_t>> EncodeBridgeText(std::u16string_view text, int encoding,
                                                     const CodePageConverter& toAnsi,
                                                     const CodePageConverter& toOem) {
    std::vector<uint8_t> out;
    switch (encoding) {
        case EncodingUtf8Bom:
            out = {0xEF, 0xBB, 0xBF};
            [[fallthrough]];
        case EncodingUtf8:
            AppendUtf8(out, text);
            return out;
        case EncodingUtf16LeBom:
            out = {0xFF, 0xFE};
            AppendUtf16Le(out, text);
            return out;
        case EncodingAnsi: return Bytes(toAnsi(text));
        case EncodingOem: return Bytes(toOem(text));
        default: return std::nullopt;
    }
}

}  // namespace vorbel

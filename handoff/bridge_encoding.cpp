#include "handoff/bridge_encoding.h"

#include "text/text.h"

namespace vorbel {
namespace {

// The text with half of a surrogate pair as "?": what is left, every encoding of Unicode holds.
std::u16string WholeCharacters(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(out[i]) || IsLowSurrogate(out[i])) {
            out[i] = u'?';
        }
    }
    return out;
}

void AppendUtf16Le(std::vector<uint8_t>& out, std::u16string_view text) {
    for (const char16_t unit : text) {
        out.push_back(static_cast<uint8_t>(unit & 0xFF));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
}

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace

const std::array<std::u16string_view, kBridgeEncodingCount> kBridgeEncodingLabels = {
    u"UTF-8", u"UTF-8 avec BOM", u"UTF-16 LE avec BOM", u"ANSI (page de code du système)", u"OEM (page de code DOS)",
};

std::optional<std::vector<uint8_t>> EncodeBridgeText(std::u16string_view text, int encoding,
                                                     const CodePageConverter& toAnsi, const CodePageConverter& toOem) {
    std::vector<uint8_t> out;
    switch (encoding) {
        case EncodingUtf8Bom: out = {0xEF, 0xBB, 0xBF}; [[fallthrough]];
        case EncodingUtf8: {
            const std::string utf8 = ToUtf8(WholeCharacters(text));
            out.insert(out.end(), utf8.begin(), utf8.end());
        }
            return out;
        case EncodingUtf16LeBom:
            out = {0xFF, 0xFE};
            AppendUtf16Le(out, WholeCharacters(text));
            return out;
        case EncodingAnsi: return Bytes(toAnsi(text));
        case EncodingOem: return Bytes(toOem(text));
        default: return std::nullopt;
    }
}

}  // namespace vorbel

#include "text/text.h"

#include <limits>

namespace vorbel {

bool IsWideSpace(char16_t c) { return c == u' ' || (c >= 0x09 && c <= 0x0D); }

std::u16string Trim(std::u16string_view t) {
    size_t b = 0, e = t.size();
    while (b < e && IsWideSpace(t[b])) ++b;
    while (e > b && IsWideSpace(t[e - 1])) --e;
    return std::u16string(t.substr(b, e - b));
}

std::u16string LineBreaksToSpaces(std::u16string_view t) {
    std::u16string out(t);
    for (char16_t& c : out) {
        if (c == u'\r' || c == u'\n') c = u' ';
    }
    return out;
}

int32_t ParseDecimalInt(std::u16string_view t) {
    size_t i = 0;
    while (i < t.size() && IsWideSpace(t[i])) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) negative = t[i++] == u'-';
    // Accumulate with saturation so that any number of digits is safe.
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kLimit = kMax + 1;  // magnitude of INT32_MIN
    int64_t magnitude = 0;
    for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
        magnitude = magnitude * 10 + (t[i] - u'0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    if (negative) return static_cast<int32_t>(-magnitude);
    return static_cast<int32_t>(magnitude > kMax ? kMax : magnitude);
}

std::u16string DecimalText(int64_t v) { return Widen(std::to_string(v)); }

std::u16string HexText(uint32_t v) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string out;
    do {
        out.insert(out.begin(), kDigits[v & 0xF]);
        v >>= 4;
    } while (v != 0);
    return out;
}

std::u16string Widen(std::string_view ascii) {
    std::u16string out;
    out.reserve(ascii.size());
    for (unsigned char c : ascii) out.push_back(c);
    return out;
}

std::string ToUtf8(std::u16string_view t) {
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        uint32_t c = t[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (t[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view s) {
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        unsigned char b = s[i];
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        bool ok = extra >= 0 && i + extra < s.size();
        uint32_t c = ok ? (extra == 0 ? b : b & (0x3F >> extra)) : 0;
        for (int k = 1; ok && k <= extra; ++k) {
            unsigned char n = s[i + k];
            ok = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        i += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

}  // namespace vorbel

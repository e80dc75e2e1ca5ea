#include "settings/scramble.h"

#include <array>
#include <cstdint>

#include "text/text.h"

namespace vorbel {
namespace {

// Alphabet position of each ASCII unit, -1 for a unit that is not a symbol. A table rather than
// a search: every stored setting read goes through here, unit by unit.
constexpr std::array<int8_t, 128> kSymbolValue = [] {
    std::array<int8_t, 128> t{};
    t.fill(-1);
    for (size_t i = 0; i < kScrambleAlphabet.size(); ++i) t[kScrambleAlphabet[i]] = static_cast<int8_t>(i);
    return t;
}();

// Hex digit character ('0'-'9', 'A'-'F') for the alphabet symbol c, or c itself when c is
// not a symbol.
char16_t SymbolToHexChar(char16_t c) {
    const int pos = c < kSymbolValue.size() ? kSymbolValue[c] : -1;
    if (pos < 0) return c;
    return static_cast<char16_t>(pos < 10 ? u'0' + pos : u'A' + (pos - 10));
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// wcstol(pair, nullptr, 16) on a two-unit text, keeping the low 16 bits.
char16_t ParseHexPair(char16_t a, char16_t b) {
    const char16_t pair[2] = {a, b};
    size_t i = 0;
    while (i < 2 && IsWideSpace(pair[i])) ++i;
    bool negative = false;
    if (i < 2 && (pair[i] == u'+' || pair[i] == u'-')) negative = pair[i++] == u'-';
    int32_t value = 0;
    for (; i < 2 && HexValue(pair[i]) >= 0; ++i) value = value * 16 + HexValue(pair[i]);
    return static_cast<char16_t>(negative ? -value : value);
}

}  // namespace

std::u16string ScrambleText(std::u16string_view plain) {
    std::u16string out;
    out.reserve(plain.size() * 2);
    for (size_t i = 0; i < plain.size(); ++i) {
        char16_t unit = i == 0 ? plain[0] : static_cast<char16_t>(plain[i] ^ plain[0]);
        // Its hex digits, at least two.
        const int digits = unit > 0xFFF ? 4 : unit > 0xFF ? 3 : 2;
        for (int d = digits - 1; d >= 0; --d) out.push_back(kScrambleAlphabet[(unit >> (4 * d)) & 0xF]);
    }
    return out;
}

std::u16string UnscrambleText(std::u16string_view stored) {
    const size_t count = stored.size() / 2;
    std::u16string out;
    out.reserve(count);
    for (size_t k = 0; k < count; ++k) {
        out.push_back(ParseHexPair(SymbolToHexChar(stored[2 * k]), SymbolToHexChar(stored[2 * k + 1])));
    }
    for (size_t k = 1; k < count; ++k) {
        out[k] = static_cast<char16_t>(out[k] ^ out[0]);
        if (out[k] == 0) out[k] = u'2';
    }
    size_t end = out.find(char16_t(0));
    if (end != std::u16string::npos) out.resize(end);
    return out;
}

bool SurvivesRoundTrip(std::u16string_view plain) { return UnscrambleText(ScrambleText(plain)) == plain; }

}  // namespace vorbel

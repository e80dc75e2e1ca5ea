#include "net/server_url.h"

#include <array>

namespace vorbel {
namespace {

constexpr size_t kWorkBytes = 1024;
constexpr size_t kGroupSymbols = 8;
constexpr size_t kGroupBytes = 6;
constexpr size_t kMaxOutput = 1023;
// Groups that fit the work area whole; a longer text cannot come from the encoder.
constexpr size_t kMaxSymbols = kWorkBytes / kGroupBytes * kGroupSymbols;
// The last masked word starts below n + 4 and must end inside the work area.
constexpr int kMaxLength = static_cast<int>(kWorkBytes) - 4;

constexpr std::u16string_view kTable(kServerUrlSymbols, 64);
static_assert(sizeof(kServerUrlSymbols) / sizeof(char16_t) == 65, "64 symbols and the terminating zero");

uint64_t SymbolValue(char16_t c) {
    const size_t at = kTable.find(c);
    return at == std::u16string_view::npos ? 0 : at;
}

}  // namespace

std::u16string DecodeServerUrl(std::u16string_view encoded) {
    if (encoded.size() > kMaxSymbols) return u"";
    std::array<uint8_t, kWorkBytes> work{};
    const size_t groups = (encoded.size() + kGroupSymbols - 1) / kGroupSymbols;
    for (size_t g = 0; g < groups; ++g) {
        uint64_t value = 0;
        for (size_t m = 0; m < kGroupSymbols; ++m) {
            const size_t at = g * kGroupSymbols + m;
            if (at < encoded.size()) value |= SymbolValue(encoded[at]) << (6 * m);
        }
        for (size_t b = 0; b < kGroupBytes; ++b) work[g * kGroupBytes + b] = static_cast<uint8_t>(value >> (8 * b));
    }

    const uint8_t keyLow = work[0], keyHigh = work[1];
    const int length = static_cast<int16_t>(static_cast<uint16_t>((work[2] ^ keyLow) | (work[3] ^ keyHigh) << 8));
    if (length > kMaxLength) return u"";
    for (int offset = 4; offset < length + 4; offset += 2) {
        work[offset] ^= keyLow;
        work[offset + 1] ^= keyHigh;
    }

    std::u16string out;
    for (size_t i = 4; i < work.size() && work[i] != 0 && out.size() < kMaxOutput; ++i) out.push_back(work[i]);
    return out;
}

std::optional<std::u16string> EncodeServerUrl(std::u16string_view url, uint16_t key) {
    std::u16string bytes;  // one byte per unit, to keep the arithmetic below plain
    for (char16_t c : url) {
        if (c == 0 || c > 0xFF) return std::nullopt;
    }
    const size_t n = url.size();
    if (n > static_cast<size_t>(kMaxLength)) return std::nullopt;
    const uint8_t keyLow = key & 0xFF, keyHigh = key >> 8;
    bytes.push_back(keyLow);
    bytes.push_back(keyHigh);
    bytes.push_back((n & 0xFF) ^ keyLow);
    bytes.push_back((n >> 8) ^ keyHigh);
    bytes.append(url);
    if (n % 2 != 0) bytes.push_back(0);  // the last masked word covers the zero after the text
    for (size_t offset = 4; offset < bytes.size(); offset += 2) {
        bytes[offset] ^= keyLow;
        bytes[offset + 1] ^= keyHigh;
    }

    std::u16string code;
    for (size_t g = 0; g * kGroupBytes < bytes.size(); ++g) {
        uint64_t value = 0;
        for (size_t b = 0; b < kGroupBytes; ++b) {
            const size_t at = g * kGroupBytes + b;
            if (at < bytes.size()) value |= static_cast<uint64_t>(bytes[at]) << (8 * b);
        }
        for (size_t m = 0; m < kGroupSymbols; ++m) code.push_back(kTable[(value >> (6 * m)) & 63]);
    }
    // Symbols past the end read as value 0: trailing ones need not be written.
    while (!code.empty() && code.back() == kTable[0]) code.pop_back();
    if (code.size() > kMaxEncodedAddress) return std::nullopt;
    return code;
}

}  // namespace vorbel

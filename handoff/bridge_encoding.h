// The encodings of the bridge file an imaging program reads before it starts.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorbel {

// Stored in the bridge-file encoding setting; empty reads as UTF-8.
enum BridgeEncoding : int {
    EncodingUtf8 = 0,
    EncodingUtf8Bom = 1,
    EncodingUtf16LeBom = 2,
    EncodingAnsi = 3,  // the system's ANSI code page
    EncodingOem = 4,   // the system's OEM code page
};

inline constexpr int kBridgeEncodingCount = 5;

// Labels of Setup's list, in the order of the values.
extern const std::array<std::u16string_view, kBridgeEncodingCount> kBridgeEncodingLabels;

// Text to the bytes of a code page of the system; a character it lacks becomes "?".
using CodePageConverter = std::function<std::string(std::u16string_view)>;

// The file's bytes; a character the encoding cannot hold (for the Unicode ones: half of a
// surrogate pair) becomes "?". nullopt for an encoding outside the list.
std::optional<std::vector<uint8_t>> EncodeBridgeText(std::u16string_view text, int encoding,
                                                     const CodePageConverter& toAnsi, const CodePageConverter& toOem);

}  // namespace vorbel

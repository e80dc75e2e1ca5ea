// The upload address as the information server publishes it. Eight symbols of a 64-symbol
// table carry six bytes; the bytes are a 16-bit key, the payload length masked by the key, and
// the payload masked word by word with the key. tools/encode_server_url is the inverse.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorbel {

// Position in the table = value of the symbol. Shared with the information server: changing it
// breaks every address already published or remembered.
inline constexpr char16_t kServerUrlSymbols[] = u"K6oqRwVnYfNxWHQzbX8dmAiBZ4OpMvkj0UC3Sh_L1sycrD-aGIEP5uT9Fg7l2teJ";

// Longest encoded address taken from the document and remembered in the registry.
inline constexpr size_t kMaxEncodedAddress = 259;

// The decoded URL, its bytes taken as the characters of the same value; at most 1,023
// characters. Symbols outside the table count as 0. Text whose length field does not fit the
// 1,024-byte work area, or that is too long to fit it at all, decodes to the empty text.
std::u16string DecodeServerUrl(std::u16string_view encoded);

// The inverse, with a chosen key. Nothing when the URL holds a zero or a unit above 0xFF, or
// when its code would be longer than kMaxEncodedAddress.
std::optional<std::u16string> EncodeServerUrl(std::u16string_view url, uint16_t key);

}  // namespace vorbel
